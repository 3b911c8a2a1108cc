#include "cockpit/gauges.h"

#include <cmath>

namespace {

constexpr double SPEEDOMETER_PER_MPS = 0.12000000048000001;
constexpr double TACHOMETER_PER_RPM = 0.0004;
constexpr double FUEL_GAUGE_PER_KG = 0.005656108597285068;  // 1 / 176.8, a full tank

}  // namespace

double SpeedometerState(double speed) { return std::fabs(speed) * SPEEDOMETER_PER_MPS; }

double TachometerState(double rpm) { return rpm > 0 ? rpm * TACHOMETER_PER_RPM : 0.0; }

double FuelGaugeState(double fuel) { return fuel > 0 ? fuel * FUEL_GAUGE_PER_KG : 0.0; }

double GearIndicatorState(int transmission) {
  switch (transmission) {
    case -1: return 0.0;
    case 1: return 0.66666;
    case 2: return 1.0;
    default: return 0.33333;  // neutral, and any value the selector should never hold
  }
}

double ThrottlePedalState(double mainThrusterLevel) { return mainThrusterLevel; }

// The parking brake holds the wheels by itself: the pedal stays up.
double BrakePedalState(double rightWheelbrakeLevel, bool parkingBrake) {
  return parkingBrake ? 0.0 : rightWheelbrakeLevel;
}

double SteeringWheelState(double rudderLevel) { return (rudderLevel + 1.0) * 0.5; }

double ParkingBrakeLeverState(bool parkingBrake) { return parkingBrake ? 1.0 : 0.0; }

bool GearLeverState(int transmission, double* state) {
  switch (transmission) {
    case 0: *state = 0.0; return true;
    case -1: *state = 0.25; return true;
    case 1: *state = 0.7; return true;
    case 2: *state = 1.0; return true;
    default: return false;
  }
}

double SwitchState(bool on) { return on ? 1.0 : 0.0; }

double SteerModeSwitchState(int attitudeMode) {
  if (attitudeMode == 1) return 0.5;
  if (attitudeMode == 2) return 1.0;
  return 0.0;
}
