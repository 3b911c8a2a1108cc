#include "cockpit/controls.h"

#include "host/types.h"

namespace {

// Lower edges of the lever's reverse, first and second bands.
constexpr double GEAR_LEVER_REVERSE = 0.12;
constexpr double GEAR_LEVER_FIRST = 0.47;
constexpr double GEAR_LEVER_SECOND = 0.85;

constexpr int STEER_MODE_MAX = 2;

}  // namespace

int GearLeverTransmission(double y) {
  if (y < GEAR_LEVER_REVERSE) return 0;
  if (y < GEAR_LEVER_FIRST) return -1;
  if (y < GEAR_LEVER_SECOND) return 1;
  return 2;
}

int StepSteerModeKnob(int mode, int mouseEvent) {
  if (mode < 0 || mode > STEER_MODE_MAX) return mode;
  if (mouseEvent & PANEL_MOUSE_LBDOWN) return mode < STEER_MODE_MAX ? mode + 1 : mode;
  if (mouseEvent & PANEL_MOUSE_RBDOWN) return mode > 0 ? mode - 1 : mode;
  return mode;
}

double PushButtonState(int mouseEvent) { return (mouseEvent & PANEL_MOUSE_LBDOWN) ? 0.0 : 1.0; }
