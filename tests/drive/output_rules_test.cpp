// What the tractor shows and sounds: sound values, wheel roll, steering
// animation states, indicators and crew figures.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "drive/output_rules.h"
#include "drive/steering_constants.h"

TEST(OutputRules, EngineSoundPitchAndRollingVolume) {
  EXPECT_EQ(EngineSoundFrequency(925), 20919);
  EXPECT_EQ(EngineSoundFrequency(2075), 46926);
  EXPECT_EQ(RollingSoundVolume(0), 0);
  EXPECT_EQ(RollingSoundVolume(3.0), 127);
  EXPECT_EQ(RollingSoundVolume(-3.0), 127);
  EXPECT_EQ(RollingSoundVolume(6.0), 255);
  // At top speed the volume stays within the sound client's range.
  EXPECT_EQ(RollingSoundVolume(6.677), 255);
  EXPECT_EQ(RollingSoundVolume(-40.0), 255);
  // Defined for any value: no conversion out of the int range.
  EXPECT_EQ(EngineSoundFrequency(std::nan("")), 0);
  EXPECT_EQ(EngineSoundFrequency(HUGE_VAL), INT_MAX);
  EXPECT_EQ(EngineSoundFrequency(1e300), INT_MAX);
  EXPECT_EQ(RollingSoundVolume(std::nan("")), 0);
  EXPECT_EQ(RollingSoundVolume(-HUGE_VAL), 255);
}

TEST(OutputRules, WheelRollWrapsBothWays) {
  // One metre turns a 0.75 m wheel by 1 / (1.5 pi).
  EXPECT_NEAR(WheelRollStep(1.0, 1.0), 1 / (1.5 * PI), 1e-12);
  EXPECT_DOUBLE_EQ(AdvanceWheelRoll(0.9, 0.2), 0.9 + 0.2 - 1);
  const double back = AdvanceWheelRoll(0.0, WheelRollStep(-0.5, 1.0 / 60));
  EXPECT_GT(back, 0.99);
  EXPECT_LT(back, 1.0);
  EXPECT_EQ(AdvanceWheelRoll(0.4, 0.0), 0.4);
}

TEST(OutputRules, SteeringAnimationInTheThreeModes) {
  const double kf = FrontSteerNeutral(), kr = RearSteerNeutral();
  EXPECT_NEAR(kf, 0.4497953, 1e-6);
  EXPECT_NEAR(kr, 0.3414509, 1e-6);

  for (int mode : {0, 1, 2}) {
    const SteerAnimationStates centred = ComputeSteerAnimation(mode, 0.0);
    EXPECT_EQ(centred.front[0], kf);
    EXPECT_EQ(centred.front[1], kf);
    EXPECT_EQ(centred.rear[0], kr);
    EXPECT_EQ(centred.rear[1], kr);
  }

  // Front-wheel steering at full lock right: left state to 0, right to 1; rear straight.
  const SteerAnimationStates right = ComputeSteerAnimation(0, 1.0);
  EXPECT_DOUBLE_EQ(right.front[0], 0);
  EXPECT_DOUBLE_EQ(right.front[1], 1);
  EXPECT_EQ(right.rear[0], kr);
  EXPECT_EQ(right.rear[1], kr);
  const SteerAnimationStates left = ComputeSteerAnimation(0, -1.0);
  EXPECT_DOUBLE_EQ(left.front[0], 1);
  EXPECT_DOUBLE_EQ(left.front[1], 0);
  const SteerAnimationStates half = ComputeSteerAnimation(0, 0.5);
  EXPECT_DOUBLE_EQ(half.front[1], 0.5 * (1 - kf) + kf);
  EXPECT_DOUBLE_EQ(half.front[0], 0.5 * kf);

  // All-wheel: the rear follows the same rule about its own neutral.
  const SteerAnimationStates all = ComputeSteerAnimation(1, -0.5);
  EXPECT_DOUBLE_EQ(all.rear[0], kr + 0.5 * (1 - kr));
  EXPECT_DOUBLE_EQ(all.rear[1], 0.5 * kr);
  EXPECT_DOUBLE_EQ(all.front[0], kf + 0.5 * (1 - kf));

  // Crab: every wheel turns by the course offset, the same way.
  const SteerAnimationStates crab = ComputeSteerAnimation(2, 1.0);
  const double frontSweep = FRONT_LOCK_INNER + FRONT_LOCK_OUTER;
  const double rearSweep = REAR_LOCK_INNER + REAR_LOCK_OUTER;
  EXPECT_NEAR((crab.front[1] - kf) * frontSweep, CRAB_ANGLE_MAX, 1e-12);
  EXPECT_NEAR((kf - crab.front[0]) * frontSweep, CRAB_ANGLE_MAX, 1e-12);
  EXPECT_NEAR((crab.rear[0] - kr) * rearSweep, CRAB_ANGLE_MAX, 1e-12);
  EXPECT_NEAR((kr - crab.rear[1]) * rearSweep, CRAB_ANGLE_MAX, 1e-12);
}

TEST(OutputRules, IndicatorFlashesOnceASecond) {
  EXPECT_FALSE(IndicatorLit(10.2));
  EXPECT_FALSE(IndicatorLit(10.5));
  EXPECT_TRUE(IndicatorLit(10.6));
  EXPECT_TRUE(IndicatorLit(0.99));
  EXPECT_FLOAT_EQ(IndicatorMaterial(true).emissive.g, 0.8f);
  EXPECT_FLOAT_EQ(IndicatorMaterial(false).emissive.g, 0.1f);
  EXPECT_FLOAT_EQ(IndicatorMaterial(false).diffuse.g, 150 / 255.0f);
  EXPECT_FLOAT_EQ(IndicatorMaterial(true).power, 40);
}

TEST(OutputRules, CrewFiguresForEachCount) {
  EXPECT_TRUE(CrewFiguresFor(0).changes);
  EXPECT_FALSE(CrewFiguresFor(0).first);
  EXPECT_FALSE(CrewFiguresFor(0).second);
  EXPECT_TRUE(CrewFiguresFor(1).first);
  EXPECT_FALSE(CrewFiguresFor(1).second);
  EXPECT_TRUE(CrewFiguresFor(2).second);
  EXPECT_FALSE(CrewFiguresFor(3).changes);  // the figures keep what two crew showed
}
