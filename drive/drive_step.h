// The motion of one step from values: drive train, steering mode, yaw,
// heading and surface position. The per-frame step gathers the inputs from
// the host, calls StepDrive and writes the result back.
#pragma once

#include "drive/drivetrain.h"
#include "drive/motion.h"
#include "drive/steering_mode.h"

struct DriveStepInputs {
  DriveInputs drive;
  double steer = 0;      // rudder level, -1..1, positive turns right going forward
  int attitudeMode = 0;  // 0 off, 1 rotation, 2 translation
  int towMode = 0;
  SurfacePoint origin{};  // where the tractor stands at the start of the step
  double heading = 0;     // rad, at the start of the step
  double bodyRadius = 0;  // m
};

struct DriveStepResult {
  DriveResult drive;       // new drive state, mass, brake level and forces
  SteerModeChoice steering;  // the step's steering mode and its picture
  double omega = 0;        // yaw rate, rad/s
  double heading = 0;      // new heading, 0..2 pi
  SurfacePoint position{};  // new surface position
};

// An input that is not a finite number counts as 0.
DriveStepResult StepDrive(const DriveState& state, int steerMode, const DriveStepInputs& in);
