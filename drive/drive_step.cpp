#include "drive/drive_step.h"

#include <initializer_list>

#include "crew/numbers.h"

namespace {

// A value that is not a finite number (a script can set a control level to
// one) counts as 0 for the step, so it never reaches the tractor's state.
DriveStepInputs FiniteInputs(DriveStepInputs in) {
  for (double* x : {&in.drive.throttle, &in.drive.brakePedal, &in.drive.weightY, &in.drive.crewMass,
                    &in.drive.towedLoad, &in.drive.dt, &in.steer, &in.origin.lng, &in.origin.lat, &in.heading,
                    &in.bodyRadius})
    *x = FiniteOrZero(*x);
  return in;
}

}  // namespace

DriveStepResult StepDrive(const DriveState& state, int steerMode, const DriveStepInputs& given) {
  const DriveStepInputs in = FiniteInputs(given);
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
