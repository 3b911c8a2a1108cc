// Steering modes, yaw, heading, surface position and the idle shutdown.
#include <gtest/gtest.h>

#include <cmath>

#include "drive/drive_step.h"
#include "drive/steering_constants.h"
#include "host/types.h"

namespace {

constexpr double EARTH = 6.371e6;  // m

// Surface displacement in metres (north, east) between two points near each other.
struct Metres {
  double north, east;
};
Metres Between(SurfacePoint a, SurfacePoint b) {
  return {(b.lat - a.lat) * EARTH, (b.lng - a.lng) * EARTH * std::cos(a.lat)};
}

}  // namespace

TEST(SteeringMode, ChangesOnlyWithTheSteeringCentred) {
  struct Case {
    int mode;
    double steer;
    int attitude;
    int towMode;
    int expectedMode;
    bool draws;
    int x, y;
  };
  const Case cases[] = {
      {0, 0.0, 1, 0, 1, true, 15, 716},    {0, 0.0, 2, 0, 2, true, 112, 720},  {2, 0.0, 0, 0, 0, true, 208, 718},
      {1, 0.0, 7, 0, 0, true, 208, 718},   {0, 0.3, 1, 0, 0, false, 0, 0},     {1, -1.0, 0, 0, 1, false, 0, 0},
      {0, 0.0, 2, 1, 0, false, 0, 0},      {1, 0.0, 2, -2, 1, false, 0, 0},
      // A crab mode chosen before coupling stays.
      {2, 0.0, 2, 2, 2, false, 0, 0},
  };
  for (const Case& c : cases) {
    const SteerModeChoice r = SelectSteerMode(c.mode, c.steer, c.attitude, c.towMode);
    EXPECT_EQ(r.steerMode, c.expectedMode);
    EXPECT_EQ(r.drawImage, c.draws);
    if (c.draws) {
      EXPECT_EQ(r.imageX, c.x);
      EXPECT_EQ(r.imageY, c.y);
    }
  }
}

TEST(Motion, SteeringConstants) {
  EXPECT_NEAR(STEER_GAIN_FRONT, 0.33808, 1e-5);
  EXPECT_NEAR(STEER_GAIN_ALL, 0.65160, 1e-5);
  EXPECT_NEAR(FRONT_LOCK_INNER, 0.37589, 1e-5);
  EXPECT_NEAR(FRONT_LOCK_OUTER, 0.30729, 1e-5);
  EXPECT_NEAR(REAR_LOCK_INNER, 0.45187, 1e-5);
  EXPECT_NEAR(REAR_LOCK_OUTER, 0.23429, 1e-5);
  EXPECT_EQ(CRAB_ANGLE_MAX, FRONT_LOCK_OUTER);
}

TEST(Motion, TurningRadiusAtFullLockWhateverTheSpeed) {
  for (double v : {0.5, 3.0, 6.677, -2.0}) {
    for (double d : {1.0, -1.0}) {
      const YawStep front = ComputeYaw(0, d, v, 0.1);
      const YawStep all = ComputeYaw(1, d, v, 0.1);
      EXPECT_NEAR(std::fabs(v / front.omega), 11.035, 1e-9);
      EXPECT_NEAR(std::fabs(v / all.omega), 6.035, 1e-9);
      // Right when driving forward, left when reversing.
      EXPECT_EQ(front.omega > 0, (d > 0) == (v > 0));
      EXPECT_DOUBLE_EQ(front.courseOffset, front.omega * 0.1);
      EXPECT_TRUE(front.turnsHeading);
    }
  }
  EXPECT_EQ(ComputeYaw(0, 0.0, 5.0, 0.1).omega, 0);
  EXPECT_EQ(ComputeYaw(1, -0.0, 5.0, 0.1).omega, 0);
}

TEST(Motion, DrivenCircleHasTheTurningRadiusOffTheEquator) {
  // Full lock at 60 degrees north: the path is a circle of the turning radius in metres.
  for (auto [mode, radius] : {std::pair{0, 11.035}, std::pair{1, 6.035}}) {
    SCOPED_TRACE(mode);
    const SurfacePoint start{0.2, PI / 3};
    SurfacePoint p = start;
    double heading = 0.4, maxDistance = 0;
    const double v = 2.0, dt = 0.001;
    const int steps = static_cast<int>(2 * PI * radius / v / dt);
    for (int i = 0; i < steps; ++i) {
      const YawStep y = ComputeYaw(mode, 1.0, v, dt);
      p = MoveOnSurface(p, heading + y.courseOffset, v, dt, EARTH);
      heading = WrapHeading(heading + y.courseOffset);
      const Metres m = Between(start, p);
      maxDistance = std::max(maxDistance, std::hypot(m.north, m.east));
    }
    EXPECT_NEAR(maxDistance, 2 * radius, 0.01);
    const Metres back = Between(start, p);
    EXPECT_LT(std::hypot(back.north, back.east), 0.01);  // closed after one turn
  }
}

TEST(Motion, EachStepCoversItsDistanceOverTheGround) {
  for (double lat : {0.0, 0.5, PI / 3, -1.2}) {
    for (double course : {0.0, PI / 2, 2.0, -0.7}) {
      const SurfacePoint o{1.0, lat};
      const Metres m = Between(o, MoveOnSurface(o, course, 5.0, 0.1, EARTH));
      EXPECT_NEAR(std::hypot(m.north, m.east), 0.5, 1e-6);
      EXPECT_NEAR(std::atan2(m.east, m.north), std::atan2(std::sin(course), std::cos(course)), 1e-6);
    }
  }
  // At the equator the same as stepping along (sin k, cos k cos p0), normalised, in angle space.
  const double k = 0.9, v = 3.0, dt = 0.02;
  const SurfacePoint p = MoveOnSurface({0.3, 0.0}, k, v, dt, EARTH);
  const double e = std::sin(k), n = std::cos(k), norm = std::sqrt(e * e + n * n);
  EXPECT_DOUBLE_EQ(p.lng, 0.3 + v * (e / norm) * dt / EARTH);
  EXPECT_DOUBLE_EQ(p.lat, 0.0 + v * (n / norm) * dt / EARTH);
  // At a pole the longitude is kept.
  const SurfacePoint pole = MoveOnSurface({0.3, PI / 2}, PI / 2, 5.0, 1.0, EARTH);
  EXPECT_EQ(pole.lng, 0.3);
  EXPECT_TRUE(std::isfinite(pole.lat));
  // Without a body radius nothing moves.
  EXPECT_EQ(MoveOnSurface({0.3, 0.1}, 1.0, 5.0, 1.0, 0).lat, 0.1);
}

TEST(Motion, CrabHoldsTheHeadingAndOffsetsTheCourse) {
  DriveState s;
  s.engineRunning = true;
  s.transmission = 1;
  s.speed = 2.0;
  s.gearIndex = 1;
  DriveStepInputs in;
  in.drive.throttle = 0.3;
  in.drive.weightY = -(BASE_MASS + 1) * 9.81;
  in.drive.dt = 0.1;
  in.steer = 1.0;
  in.heading = 1.0;
  in.origin = {0.0, 0.0};
  in.bodyRadius = EARTH;
  const DriveStepResult r = StepDrive(s, 2, in);
  EXPECT_EQ(r.steering.steerMode, 2);
  EXPECT_EQ(r.omega, 0);
  EXPECT_EQ(r.heading, 1.0);
  EXPECT_NEAR(CRAB_ANGLE_MAX, 0.30729, 1e-5);
  const Metres m = Between(in.origin, r.position);
  EXPECT_NEAR(std::atan2(m.east, m.north), 1.0 + CRAB_ANGLE_MAX, 1e-9);
  EXPECT_NEAR(std::hypot(m.north, m.east), r.drive.state.speed * 0.1, 1e-9);
}

TEST(Motion, HeadingStaysWithinOneTurn) {
  EXPECT_DOUBLE_EQ(WrapHeading(-0.1), PI2 - 0.1);
  EXPECT_EQ(WrapHeading(PI2), 0);
  EXPECT_NEAR(WrapHeading(PI2 + 0.1), 0.1, 1e-15);
  EXPECT_EQ(WrapHeading(-1e-18), 0);  // would round to 2 pi
  EXPECT_EQ(WrapHeading(3.0), 3.0);

  // Reversing in a tight circle for a long time, in all-wheel steering.
  DriveState s;
  s.engineRunning = true;
  s.transmission = -1;
  DriveStepInputs in;
  in.drive.throttle = 1;
  in.drive.weightY = -(BASE_MASS + 1) * 9.81;
  in.drive.dt = 0.05;
  in.steer = 1.0;
  in.heading = 0.01;
  in.bodyRadius = EARTH;
  int mode = 1;
  for (int i = 0; i < 4000; ++i) {
    const DriveStepResult r = StepDrive(s, mode, in);
    ASSERT_GE(r.heading, 0);
    ASSERT_LT(r.heading, PI2);
    s = r.drive.state;
    mode = r.steering.steerMode;
    in.heading = r.heading;
    in.origin = r.position;
  }
  EXPECT_LT(s.speed, -1);
}

TEST(Motion, AnInputThatIsNotAFiniteNumberCountsAsZero) {
  DriveState s;
  s.engineRunning = true;
  s.transmission = 1;
  s.speed = 3.0;
  s.gearIndex = 2;
  DriveStepInputs base;
  base.drive.throttle = 0.7;
  base.drive.brakePedal = 0.2;
  base.drive.weightY = -(BASE_MASS + 1) * 9.81;
  base.drive.dt = 0.05;
  base.steer = 0.4;
  base.heading = 1.0;
  base.origin = {0.3, 1.0};
  base.bodyRadius = EARTH;
  using Set = void (*)(DriveStepInputs&, double);
  const Set inputs[] = {
      [](DriveStepInputs& in, double x) { in.drive.throttle = x; },
      [](DriveStepInputs& in, double x) { in.drive.brakePedal = x; },
      [](DriveStepInputs& in, double x) { in.drive.weightY = x; },
      [](DriveStepInputs& in, double x) { in.steer = x; },
  };
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    for (int which = 0; which < 4; ++which) {
      DriveStepInputs given = base, zero = base;
      inputs[which](given, bad);
      inputs[which](zero, 0);
      const DriveStepResult r = StepDrive(s, 0, given), z = StepDrive(s, 0, zero);
      EXPECT_EQ(r.drive.state.speed, z.drive.state.speed) << which << " " << bad;
      EXPECT_EQ(r.drive.state.rpm, z.drive.state.rpm) << which << " " << bad;
      EXPECT_EQ(r.omega, z.omega) << which << " " << bad;
      EXPECT_EQ(r.heading, z.heading) << which << " " << bad;
      EXPECT_EQ(r.position.lat, z.position.lat) << which << " " << bad;
      EXPECT_EQ(r.position.lng, z.position.lng) << which << " " << bad;
    }
  }
}

TEST(Motion, IdleShutdownStrictlyAfterThreeHundredSeconds) {
  IdleState s{0, true};
  for (int i = 0; i < 300; ++i) s = StepIdle(s, 0.0, 1.0);
  EXPECT_EQ(s.idleTime, 300);
  EXPECT_TRUE(s.engineRunning);
  s = StepIdle(s, 0.0, 1.0);
  EXPECT_FALSE(s.engineRunning);
  // Any motion resets the timer; it also runs with the engine off.
  EXPECT_EQ(StepIdle({299, true}, 0.01, 1.0).idleTime, 0);
  EXPECT_EQ(StepIdle({299, true}, -0.01, 1.0).idleTime, 0);
  EXPECT_EQ(StepIdle({10, false}, 0.0, 0.5).idleTime, 10.5);
}
