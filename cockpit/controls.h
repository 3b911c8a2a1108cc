// What the cab's levers, knob and push buttons make of a click: pure rules.
#pragma once

// The gear lever's selector from the click's y along the lever slot
// (0 top, 1 bottom): neutral, reverse, 1 and 2 in bands.
int GearLeverTransmission(double y);

// One click on the steering-mode knob: the left button steps the host
// attitude mode up, the right button down, within 0 to 2.
int StepSteerModeKnob(int mode, int mouseEvent);

// The push buttons (refuel, display keys) are held in while the left button
// goes down and spring back on any other event: animation state 0 or 1.
double PushButtonState(int mouseEvent);
