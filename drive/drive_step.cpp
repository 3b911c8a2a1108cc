#include "drive/drive_step.h"

DriveStepResult StepDrive(const DriveState& state, int steerMode, const DriveStepInputs& in) {
  DriveStepResult out;
  out.drive = StepDriveTrain(state, in.drive);
  out.steering = SelectSteerMode(steerMode, in.steer, in.attitudeMode, in.towMode);

  const double v = out.drive.state.speed;
  const YawStep yaw = ComputeYaw(out.steering.steerMode, in.steer, v, in.drive.dt);
  out.omega = yaw.omega;
  out.heading = yaw.turnsHeading ? WrapHeading(in.heading + yaw.courseOffset) : in.heading;
  out.position = MoveOnSurface(in.origin, in.heading + yaw.courseOffset, v, in.drive.dt, in.bodyRadius);
  return out;
}
