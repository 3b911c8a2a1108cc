// Animation states of the cab's needles, pedals, levers and switches, from
// the vessel state and the host's control levels. The gear indicator's and
// the gear lever's rules live with the animations (vessel/animations.h).
#pragma once

double SpeedometerState(double speed);
double TachometerState(double rpm);
double FuelGaugeState(double fuel);
double ThrottlePedalState(double mainThrusterLevel);
double BrakePedalState(double rightWheelbrakeLevel, bool parkingBrake);
double SteeringWheelState(double rudderLevel);
double ParkingBrakeLeverState(bool parkingBrake);
double SwitchState(bool on);
double SteerModeSwitchState(int attitudeMode);
