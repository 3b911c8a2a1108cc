// The drive train under random states and inputs: the speed never changes
// sign within one step, and every figure it returns is finite and in range.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "drive/drivetrain.h"

namespace {

bool SignFlipped(double before, double after) { return (before > 0 && after < 0) || (before < 0 && after > 0); }

}  // namespace

TEST(DriveProperty, RandomInputsNeverChangeTheSpeedsSignWithinAStep) {
  std::mt19937 rng(77);
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int i = 0; i < 200000; ++i) {
    DriveState s;
    // Mostly slow speeds, where a step could carry the tractor through zero.
    s.speed = integer(0, 3) == 0 ? real(-15, 15) : real(-0.5, 0.5);
    if (integer(0, 20) == 0) s.speed = 0;
    s.transmission = integer(-1, 2);
    s.gearIndex = integer(0, GEAR_COUNT - 1);
    s.rpm = real(0, 2500);
    s.driveEngaged = integer(0, 1) == 1;
    s.engineRunning = integer(0, 1) == 1;
    s.parkingBrake = integer(0, 1) == 1;
    s.fuel = real(-1, 176.8);
    s.realismMode = integer(0, 1);
    DriveInputs in;
    in.throttle = real(0, 1);
    in.brakePedal = integer(0, 2) == 0 ? 0 : real(0, 1);
    in.weightY = -real(0, 70000) * 9.81 * (integer(0, 1) ? 1 : real(0.9, 1.0));
    in.crewMass = real(0, 600);
    in.towedLoad = integer(0, 1) ? 0 : real(0, 300000);
    in.dt = integer(0, 3) == 0 ? real(0.001, 1.0) : 1.0 / 60;
    const DriveResult r = StepDriveTrain(s, in);
    ASSERT_FALSE(SignFlipped(s.speed, r.state.speed))
        << "case " << i << ": " << s.speed << " -> " << r.state.speed << " in selector " << s.transmission;
    ASSERT_TRUE(std::isfinite(r.state.speed) && std::isfinite(r.state.rpm) && std::isfinite(r.state.fuel)) << i;
    ASSERT_GE(r.state.gearIndex, 0);
    ASSERT_LT(r.state.gearIndex, GEAR_COUNT);
    ASSERT_LE(r.state.rpm, MAX_RPM + 1e-9) << i;
  }
}
