// The lamps, animations and sounds that follow each step.
#pragma once

class KVQ_R7700;

// Crew figures in the cab; skipped without a visual.
void ShowCrewFigures(KVQ_R7700& v, int crewCount);
// Sounds, wheel and steering animations, indicators, brake, parking-brake
// and reverse lamps, after the tractor has moved. brake: the step's brake level.
void UpdateStepOutputs(KVQ_R7700& v, double simt, double dt, double brake);

void UpdateBrakeLamps(KVQ_R7700& v);
void UpdateParkBrakeIndicator(KVQ_R7700& v);
