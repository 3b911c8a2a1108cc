// The drive train: net-force rows, breakaway, gearbox, standstill, governor,
// fuel and towed load.
#include <gtest/gtest.h>

#include <cmath>

#include "drive/drivetrain.h"
#include "vessel/definition.h"

namespace {

constexpr double G = 9.81;
constexpr double DT = 1.0 / 60.0;
constexpr double WEIGHT_Y = -(BASE_MASS + 1.0) * G;  // level ground, tank holding 1 kg

DriveState Running(int transmission, double speed, int gearIndex = 0) {
  DriveState s;
  s.engineRunning = true;
  s.transmission = transmission;
  s.speed = speed;
  s.gearIndex = gearIndex;
  s.fuel = FULL_TANK;
  return s;
}

DriveInputs Pedals(double throttle, double brake = 0, double dt = DT) {
  DriveInputs in;
  in.throttle = throttle;
  in.brakePedal = brake;
  in.weightY = WEIGHT_Y;
  in.dt = dt;
  return in;
}

// Road speed at which gearbox index i turns the engine at rpm with selector g.
double SpeedFor(double rpm, int i, int g) { return rpm / (GEAR_RATIOS[i] * 60 * 0.4244131815783876 * 18 * g); }

}  // namespace

TEST(DriveTrain, NetForceFollowsTheTableRows) {
  struct Row {
    const char* name;
    int g;
    double v;
    int gear;
    double throttle;
    double brake;
    int fdSign;  // expected F = fdSign' x Fd + rSign x R, with Fd counted only where used
    bool useFd;
    int rSign;
  };
  const Row rows[] = {
      {"1 forward driving", 1, 2.0, 2, 1.0, 0, 1, true, -1},
      {"1 forward at the cap", 1, 8.0, 5, 1.0, 0, 0, false, -1},
      {"2 reverse driving", -1, -2.0, 2, 1.0, 0, 1, true, 1},
      {"2 reverse at the cap", -1, -8.0, 5, 1.0, 0, 0, false, 1},
      {"3 neutral rolling forward", 0, 2.0, 0, 1.0, 0, 0, false, -1},
      {"3 reverse selected rolling forward", -1, 2.0, 0, 1.0, 0, 0, false, -1},
      {"4 neutral rolling backward", 0, -2.0, 0, 1.0, 0, 0, false, 1},
      {"4 forward selected rolling backward", 1, -2.0, 0, 1.0, 0, 0, false, 1},
      {"5 breakaway forward", 1, 0.0, 0, 1.0, 0, 1, true, -1},
      {"6 breakaway reverse", -1, 0.0, 0, 1.0, 0, 1, true, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const DriveResult r = StepDriveTrain(Running(row.g, row.v, row.gear), Pedals(row.throttle, row.brake));
    const double expected = (row.useFd ? row.fdSign * r.tractiveForce : 0.0) + row.rSign * r.resistance;
    EXPECT_DOUBLE_EQ(r.netForce, expected);
    EXPECT_GT(r.resistance, 0);
    EXPECT_DOUBLE_EQ(r.state.speed, row.v + r.netForce / r.mass * DT);
  }
}

TEST(DriveTrain, StandingStillWithoutEnoughForceStaysPut) {
  // No throttle, neutral, or a brake stronger than the engine: rows 5, 6 and 7 give nothing.
  EXPECT_EQ(StepDriveTrain(Running(1, 0), Pedals(0)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(0, 0), Pedals(1)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(1, 0), Pedals(1, 1)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(-1, 0), Pedals(1, 1)).state.speed, 0);
}

TEST(DriveTrain, BreakawayAtIdleInFirstIndex) {
  const DriveResult r = StepDriveTrain(Running(1, 0), Pedals(1));
  const double t925 = (3.03599224284932 - 0.00112465880214 * 925) * 925 - 800;
  EXPECT_NEAR(r.tractiveForce, t925 * 4.5 * 18 * 1.3333333333333333, 1e-6);
  EXPECT_NEAR(r.resistance, 0.01 * r.mass * G * (BASE_MASS + 1) / BASE_MASS, 1e-6);
  EXPECT_EQ(r.state.rpm, 925);
  EXPECT_FALSE(r.state.driveEngaged);
  EXPECT_GT(r.state.speed, 0);

  // The tractor moves only when the tractive force exceeds the resistance.
  const double brakeToMatch = (r.tractiveForce - r.resistance) / 200000.0;
  EXPECT_EQ(StepDriveTrain(Running(1, 0), Pedals(1, brakeToMatch * 1.0001)).state.speed, 0);
  EXPECT_GT(StepDriveTrain(Running(1, 0), Pedals(1, brakeToMatch * 0.9999)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(-1, 0), Pedals(1, brakeToMatch * 1.0001)).state.speed, 0);
  EXPECT_LT(StepDriveTrain(Running(-1, 0), Pedals(1, brakeToMatch * 0.9999)).state.speed, 0);
}

TEST(DriveTrain, GearboxShiftsAtTheThresholdsOneIndexPerStep) {
  for (int g : {1, 2, -1}) {
    SCOPED_TRACE(g);
    for (int i = 1; i < GEAR_COUNT; ++i) {
      EXPECT_EQ(StepDriveTrain(Running(g, SpeedFor(1149, i, g), i), Pedals(0.5)).state.gearIndex, i - 1);
      EXPECT_EQ(StepDriveTrain(Running(g, SpeedFor(1151, i, g), i), Pedals(0.5)).state.gearIndex, i);
    }
    for (int i = 0; i < GEAR_COUNT - 1; ++i) {
      const double v = SpeedFor(1801, i, g);
      const DriveResult up = StepDriveTrain(Running(g, v, i), Pedals(0.5));
      EXPECT_EQ(up.state.gearIndex, i + 1);
      EXPECT_NEAR(up.state.rpm, 1801 * GEAR_RATIOS[i + 1] / GEAR_RATIOS[i], 1e-6);
      EXPECT_EQ(StepDriveTrain(Running(g, SpeedFor(1799, i, g), i), Pedals(0.5)).state.gearIndex, i);
    }
  }
  // Far too fast for index 0: one shift only.
  EXPECT_EQ(StepDriveTrain(Running(1, 6.0, 0), Pedals(1)).state.gearIndex, 1);
}

TEST(DriveTrain, NeutralStepsTheGearboxDownEvenWithTheEngineOff) {
  DriveState s = Running(0, 0, 5);
  s.engineRunning = false;
  for (int expected = 4; expected >= 0; --expected) {
    const DriveResult r = StepDriveTrain(s, Pedals(0));
    EXPECT_EQ(r.state.gearIndex, expected);
    EXPECT_EQ(r.state.rpm, 0);
    EXPECT_FALSE(r.state.driveEngaged);
    s = r.state;
  }
  EXPECT_EQ(StepDriveTrain(s, Pedals(0)).state.gearIndex, 0);
}

TEST(DriveTrain, EngineSpeedStaysWithinIdleAndCap) {
  // Road speed against the selected direction: idle, drive disengaged.
  const DriveResult against = StepDriveTrain(Running(1, -1.0), Pedals(1));
  EXPECT_EQ(against.state.rpm, 925);
  EXPECT_FALSE(against.state.driveEngaged);
  const DriveResult fast = StepDriveTrain(Running(1, 9.0, 5), Pedals(1));
  EXPECT_EQ(fast.state.rpm, 2075);
  EXPECT_TRUE(fast.state.driveEngaged);
  // Reverse turns the engine forward and shifts as going forward.
  const DriveResult reverse = StepDriveTrain(Running(-1, -1.0, 1), Pedals(1));
  EXPECT_GT(reverse.state.rpm, 925);
  EXPECT_TRUE(reverse.state.driveEngaged);
  // Engine off: no engine speed and no traction.
  DriveState off = Running(1, 2.0, 2);
  off.engineRunning = false;
  const DriveResult r = StepDriveTrain(off, Pedals(1));
  EXPECT_EQ(r.state.rpm, 0);
  EXPECT_EQ(r.tractiveForce, 0);
  EXPECT_LT(r.state.speed, 2.0);
}

TEST(DriveTrain, GovernorHoldsTheTopSpeedOfEachSelector) {
  for (auto [g, top] : {std::pair{1, 6.677}, std::pair{2, 3.338}}) {
    SCOPED_TRACE(g);
    DriveState s = Running(g, 0);
    double lo = 1e9, hi = -1e9, maxRpm = 0, sum = 0;
    int n = 0;
    for (int step = 0; step < 120 * 60; ++step) {
      s = StepDriveTrain(s, Pedals(1)).state;
      if (step >= 110 * 60) {
        lo = std::min(lo, s.speed);
        hi = std::max(hi, s.speed);
        sum += s.speed;
        ++n;
      }
      maxRpm = std::max(maxRpm, s.rpm);
    }
    EXPECT_EQ(s.gearIndex, 5);
    EXPECT_EQ(maxRpm, 2075);
    // The governor cuts the drive each time the cap is reached: the speed
    // hovers within a step's change of the top speed.
    EXPECT_NEAR(sum / n, top, 0.003);
    EXPECT_NEAR(lo, top, 0.006);
    EXPECT_NEAR(hi, top, 0.006);
    EXPECT_NEAR(SpeedFor(2075, 5, g), top, 0.0005);
  }
}

TEST(DriveTrain, SpeedNeverPassesThroughZero) {
  // Neutral rolling: decelerates by R / M until exactly 0, and stays there.
  DriveState s = Running(0, 1.0);
  int steps = 0;
  while (s.speed != 0 && steps < 10000) {
    const double before = s.speed;
    s = StepDriveTrain(s, Pedals(0)).state;
    EXPECT_LE(s.speed, before);
    EXPECT_GE(s.speed, 0);
    ++steps;
  }
  EXPECT_EQ(s.speed, 0);
  EXPECT_EQ(StepDriveTrain(s, Pedals(0)).state.speed, 0);
  // A step that would reverse the direction stops the tractor exactly.
  EXPECT_EQ(StepDriveTrain(Running(0, 0.5), Pedals(0, 1, 1.0)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(0, -0.5), Pedals(0, 1, 1.0)).state.speed, 0);
  // A new speed inside the band from a moving start becomes 0.
  EXPECT_EQ(StepDriveTrain(Running(0, 0.00105), Pedals(0, 0, 0.001)).state.speed, 0);
  EXPECT_EQ(StepDriveTrain(Running(0, -0.00105), Pedals(0, 0, 0.001)).state.speed, 0);
  EXPECT_GT(StepDriveTrain(Running(0, 0.00115), Pedals(0, 0, 0.001)).state.speed, 0.001);
  // From standstill a tiny new speed is kept.
  const double creep = StepDriveTrain(Running(1, 0), Pedals(0.06, 0, 1e-4)).state.speed;
  EXPECT_GT(creep, 0);
  EXPECT_LT(creep, 0.001);
}

TEST(DriveTrain, ParkingBrakeReplacesThePedal) {
  DriveState s = Running(1, 1.0, 0);
  s.parkingBrake = true;
  for (double pedal : {0.0, 1.0}) {
    const DriveResult r = StepDriveTrain(s, Pedals(0, pedal));
    EXPECT_EQ(r.brake, 0.5);
    EXPECT_NEAR(r.resistance, 100000 + 0.01 * r.mass * G * (BASE_MASS + 1) / BASE_MASS, 1e-6);
  }
}

TEST(DriveTrain, RealismUsesFuelAndNeedsIt) {
  DriveState s = Running(1, 2.0, 1);
  s.realismMode = 1;
  const DriveResult r = StepDriveTrain(s, Pedals(1, 0, 0.5));
  EXPECT_DOUBLE_EQ(r.state.fuel, FULL_TANK - 0.5 * 2.4666e-06 * r.state.rpm);
  EXPECT_GT(r.tractiveForce, 0);
  EXPECT_DOUBLE_EQ(r.mass, BASE_MASS + FULL_TANK);

  // Empty tank: no traction, no consumption.
  s.fuel = 0;
  const DriveResult empty = StepDriveTrain(s, Pedals(1));
  EXPECT_EQ(empty.state.fuel, 0);
  EXPECT_EQ(empty.tractiveForce, 0);
  // The last drop is used up within the step and leaves no traction: fuel may end below zero.
  s.fuel = 1e-9;
  const DriveResult last = StepDriveTrain(s, Pedals(1));
  EXPECT_LT(last.state.fuel, 0);
  EXPECT_EQ(last.tractiveForce, 0);

  // Without realism the tractor drives on any fuel and uses none.
  s.realismMode = 0;
  s.fuel = -3;
  const DriveResult free = StepDriveTrain(s, Pedals(1));
  EXPECT_EQ(free.state.fuel, -3);
  EXPECT_GT(free.tractiveForce, 0);
}

TEST(DriveTrain, TowedLoadAndCrewCountIntoTheMass) {
  EXPECT_EQ(TowedLoad(0, 2, true, 40000), 0);
  EXPECT_EQ(TowedLoad(1, 0, false, 0), 0);
  EXPECT_EQ(TowedLoad(1, 1, false, 0), 100);
  EXPECT_EQ(TowedLoad(1, -1, false, 0), 100);
  EXPECT_EQ(TowedLoad(1, 2, true, 40000), 40100);
  EXPECT_EQ(TowedLoad(1, -2, true, 40000), 40100);
  // A coupled state restored without its vessel counts the towbar alone.
  EXPECT_EQ(TowedLoad(1, 2, false, 0), 100);
  EXPECT_EQ(TowedLoad(1, -2, false, 0), 100);

  DriveInputs in = Pedals(1);
  in.crewMass = 140;
  in.towedLoad = 40100;
  EXPECT_DOUBLE_EQ(StepDriveTrain(Running(1, 1), in).mass, 140 + BASE_MASS + FULL_TANK + 40100);
}

TEST(DriveTrain, NoRestoredFuelOrTowedLoadMakesTheMassZero) {
  // "TRANS 1 0 -54400" made the total mass zero, and one frame with the
  // engine on gave an infinite speed. Neither a fuel below nothing nor a
  // towed load below nothing counts into the mass.
  DriveState s = Running(1, 0.5);
  s.fuel = -BASE_MASS;
  DriveInputs in = Pedals(1);
  in.towedLoad = -1e9;
  const DriveResult r = StepDriveTrain(s, in);
  EXPECT_EQ(r.mass, BASE_MASS);
  EXPECT_TRUE(std::isfinite(r.state.speed));
  EXPECT_GT(r.state.speed, 0.5);
  EXPECT_LT(r.state.speed, 1.0);
}

TEST(DriveTrain, GearIndexOutOfRangeIsBroughtIntoRange) {
  const DriveResult high = StepDriveTrain(Running(1, SpeedFor(1500, 5, 1), 9), Pedals(1));
  EXPECT_EQ(high.state.gearIndex, 5);
  EXPECT_NEAR(high.state.rpm, 1500, 1e-6);
  const DriveResult low = StepDriveTrain(Running(1, 0, -3), Pedals(1));
  EXPECT_EQ(low.state.gearIndex, 0);
  EXPECT_NEAR(low.tractiveForce, EngineTorque(925) * 4.5 * 18 * 1.3333333333333333, 1e-6);
}
