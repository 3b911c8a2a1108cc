// Animation states of the cab's needles, pedals, levers and switches, from
// the vessel state and the host's control levels.
#pragma once

double SpeedometerState(double speed);
double TachometerState(double rpm);
double FuelGaugeState(double fuel);
double GearIndicatorState(int transmission);
double ThrottlePedalState(double mainThrusterLevel);
double BrakePedalState(double rightWheelbrakeLevel, bool parkingBrake);
double SteeringWheelState(double rudderLevel);
double ParkingBrakeLeverState(bool parkingBrake);
// False for a selector value the lever has no pose for: it keeps its last one.
bool GearLeverState(int transmission, double* state);
double SwitchState(bool on);
double SteerModeSwitchState(int attitudeMode);
