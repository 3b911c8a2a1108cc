#include "drive/output_rules.h"

#include <cmath>

#include "crew/numbers.h"
#include "drive/steering_constants.h"

namespace {
constexpr double ENGINE_SOUND_HZ_PER_RPM = 22.6154;
constexpr double ROLLING_VOLUME_PER_MPS = 0.16666666666666666;  // of full volume: full at 6 m/s
constexpr int MAX_VOLUME = 255;
constexpr double WHEEL_RADIANS_PER_M = 1.3333333333333333;  // 0.75 m wheel radius
constexpr double TURNS_PER_RADIAN = 0.15915494309189535;    // 1 / (2 pi)

// Left and right states of one axle's steering for an input, about its neutral k.
void SteerAxle(double k, double d, double out[2]) {
  if (d > 0) {
    out[1] = (1 - k) * d + k;
    out[0] = (1 - d) * k;
  } else if (d < 0) {
    out[0] = k - (1 - k) * d;
    out[1] = (d + 1) * k;
  } else {
    out[0] = out[1] = k;
  }
}
}  // namespace

// Both conversions are defined for any value, NaN and infinities included.
int EngineSoundFrequency(double rpm) { return TruncateToInt(rpm * ENGINE_SOUND_HZ_PER_RPM); }

int RollingSoundVolume(double speed) {
  const double volume = std::fabs(speed) * ROLLING_VOLUME_PER_MPS * MAX_VOLUME;
  return volume >= MAX_VOLUME ? MAX_VOLUME : TruncateToInt(volume);
}

double WheelRollStep(double speed, double dt) { return speed * WHEEL_RADIANS_PER_M * dt * TURNS_PER_RADIAN; }

double AdvanceWheelRoll(double state, double step) {
  state += step;
  if (state > 1) state -= 1;
  if (state < 0) state += 1;
  return state;
}

double FrontSteerNeutral() { return FRONT_LOCK_OUTER / (FRONT_LOCK_INNER + FRONT_LOCK_OUTER); }
double RearSteerNeutral() { return REAR_LOCK_OUTER / (REAR_LOCK_INNER + REAR_LOCK_OUTER); }

SteerAnimationStates ComputeSteerAnimation(int steerMode, double steer) {
  const double kf = FrontSteerNeutral();
  const double kr = RearSteerNeutral();
  SteerAnimationStates s{};
  if (steerMode == 2) {
    // Crab: all four wheels turn the same way by the course offset.
    const double af = steer * CRAB_ANGLE_MAX / (FRONT_LOCK_INNER + FRONT_LOCK_OUTER);
    const double ar = steer * CRAB_ANGLE_MAX / (REAR_LOCK_INNER + REAR_LOCK_OUTER);
    s.front[0] = kf - af;
    s.front[1] = kf + af;
    s.rear[0] = kr + ar;
    s.rear[1] = kr - ar;
    return s;
  }
  SteerAxle(kf, steer, s.front);
  if (steerMode == 1) {
    SteerAxle(kr, steer, s.rear);
  } else {
    s.rear[0] = s.rear[1] = kr;
  }
  return s;
}

MATERIAL IndicatorMaterial(bool lit) {
  const COLOUR4 base{43 / 255.0f, 150 / 255.0f, 1 / 255.0f, 1};
  const float glow = lit ? 0.8f : 0.1f;
  return MATERIAL{base, base, {0.9f, 0.9f, 0.9f, 1}, {0, glow, 0, 1}, 40};
}

bool IndicatorLit(double simt) { return simt - std::trunc(simt) > 0.5; }

CrewFigures CrewFiguresFor(int crewCount) {
  switch (crewCount) {
    case 0:
      return {true, false, false};
    case 1:
      return {true, true, false};
    case 2:
      return {true, true, true};
    default:
      return {false, false, false};
  }
}
