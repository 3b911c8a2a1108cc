// Which commands a key-down event fires, decided from the key code and the
// keyboard state alone.
#pragma once

#include "host/types.h"

enum class KeyAction {
  GearUp,
  GearDown,
  TowbarFront,
  TowbarRear,
  HitchFront,
  HitchRear,
  ReleaseTowbar,
  ReleaseVesselFront,
  ReleaseVesselRear,
  ToggleLights,
  ToggleBeacons,
  ToggleParkingBrake,
  ToggleRealismMode,
  ToggleEngine,
  Refuel,  // only while standing still
};

// A command and the cockpit area it asks to redraw (0: none) in cockpit 0,
// and in cockpit 1 as well when bothCockpits is set.
struct KeyCommand {
  KeyAction action;
  int redrawArea;
  bool bothCockpits;
};

struct KeyPlan {
  KeyCommand commands[8];
  int count;
};

// The plain, Shift and Ctrl commands of one key-down event, in the order
// they run. A null state holds no key.
KeyPlan PlanKeyCommands(DWORD key, const char* kstate);

// A or D: the keys that a crew member's action-area trigger admits.
bool IsHitchKey(DWORD key);
