// What the tractor shows and sounds each step, as values: sound frequency and
// volume, wheel roll, steering-animation states, indicator lamps.
#pragma once

#include "host/types.h"

// Engine sound frequency in Hz at an engine speed.
int EngineSoundFrequency(double rpm);
// Rolling-sound volume 0..255: full at 6 m/s and above.
int RollingSoundVolume(double speed);

// Turns of a wheel in this step at a ground speed.
double WheelRollStep(double speed, double dt);
// A wheel-roll state advanced by a step and kept within 0..1.
double AdvanceWheelRoll(double state, double step);

// Neutral (straight-ahead) states of the front and rear steering animations.
double FrontSteerNeutral();
double RearSteerNeutral();

struct SteerAnimationStates {
  double front[2];  // left, right
  double rear[2];   // left, right
};
SteerAnimationStates ComputeSteerAnimation(int steerMode, double steer);

// Indicator lamp of the cockpit, lit or dark.
MATERIAL IndicatorMaterial(bool lit);
// The indicator flashes once a second: lit in the second half of each second.
bool IndicatorLit(double simt);

// Crew figures shown in the cab (groups 24 and 25) for a crew count; false
// in changes when the count leaves the figures as they are.
struct CrewFigures {
  bool changes;
  bool first, second;
};
CrewFigures CrewFiguresFor(int crewCount);
