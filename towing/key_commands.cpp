#include "towing/key_commands.h"

#include "host/keys.h"

namespace {

constexpr int AREA_PARKING_BRAKE = 5;
constexpr int AREA_GEAR_LEVER = 6;
constexpr int AREA_LIGHT_SWITCH = 7;
constexpr int AREA_BEACON_SWITCH = 8;
constexpr int AREA_REALISM_SWITCH = 9;

struct KeyBinding {
  DWORD key;
  KeyCommand command;
};

// Whatever modifiers are held.
constexpr KeyBinding PLAIN_KEYS[] = {
    {OAPI_KEY_W, {KeyAction::GearUp, AREA_GEAR_LEVER, true}},
    {OAPI_KEY_S, {KeyAction::GearDown, AREA_GEAR_LEVER, true}},
    {OAPI_KEY_V, {KeyAction::TowbarFront, 0, false}},
    {OAPI_KEY_B, {KeyAction::TowbarRear, 0, false}},
    {OAPI_KEY_D, {KeyAction::HitchFront, 0, false}},
    {OAPI_KEY_A, {KeyAction::HitchRear, 0, false}},
};

// With the left Shift held.
constexpr KeyBinding SHIFT_KEYS[] = {
    {OAPI_KEY_B, {KeyAction::ReleaseTowbar, 0, false}},
    {OAPI_KEY_D, {KeyAction::ReleaseVesselFront, 0, false}},
    {OAPI_KEY_A, {KeyAction::ReleaseVesselRear, 0, false}},
    {OAPI_KEY_H, {KeyAction::ToggleLights, AREA_LIGHT_SWITCH, false}},
    {OAPI_KEY_F, {KeyAction::ToggleBeacons, AREA_BEACON_SWITCH, false}},
    {OAPI_KEY_P, {KeyAction::ToggleParkingBrake, AREA_PARKING_BRAKE, true}},
};

bool Held(const char* kstate, int key) { return kstate && KEYDOWN(kstate, key); }

void Add(KeyPlan& plan, const KeyCommand& c) {
  if (plan.count < static_cast<int>(sizeof plan.commands / sizeof plan.commands[0])) plan.commands[plan.count++] = c;
}

}  // namespace

bool IsHitchKey(DWORD key) { return key == OAPI_KEY_A || key == OAPI_KEY_D; }

KeyPlan PlanKeyCommands(DWORD key, const char* kstate) {
  KeyPlan plan{};
  for (const KeyBinding& b : PLAIN_KEYS) {
    if (b.key == key) Add(plan, b.command);
  }
  if (Held(kstate, OAPI_KEY_LSHIFT)) {
    for (const KeyBinding& b : SHIFT_KEYS) {
      if (b.key == key) Add(plan, b.command);
    }
  }
  // The Ctrl combinations look at the keyboard state, not at the key code.
  if (Held(kstate, OAPI_KEY_LCONTROL)) {
    if (Held(kstate, OAPI_KEY_O)) Add(plan, {KeyAction::ToggleRealismMode, AREA_REALISM_SWITCH, false});
    if (Held(kstate, OAPI_KEY_E)) Add(plan, {KeyAction::ToggleEngine, 0, false});
    if (Held(kstate, OAPI_KEY_F)) Add(plan, {KeyAction::Refuel, 0, false});
  }
  return plan;
}
