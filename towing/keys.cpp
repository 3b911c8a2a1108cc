#include "towing/keys.h"

#include "towing/actions.h"
#include "towing/crew_keys.h"
#include "towing/key_commands.h"
#include "vessel/kvq_r7700.h"

namespace {

void Run(KVQ_R7700& v, KeyAction action) {
  switch (action) {
    case KeyAction::GearUp: GearUp(v); break;
    case KeyAction::GearDown: GearDown(v); break;
    case KeyAction::TowbarFront: TowbarFront(v); break;
    case KeyAction::TowbarRear: TowbarRear(v); break;
    case KeyAction::HitchFront: HitchFront(v); break;
    case KeyAction::HitchRear: HitchRear(v); break;
    case KeyAction::ReleaseTowbar: ReleaseTowbar(v); break;
    case KeyAction::ReleaseVesselFront: ReleaseVesselFront(v); break;
    case KeyAction::ReleaseVesselRear: ReleaseVesselRear(v); break;
    case KeyAction::ToggleLights: ToggleLightsAction(v); break;
    case KeyAction::ToggleBeacons: ToggleBeaconsAction(v); break;
    case KeyAction::ToggleParkingBrake: ToggleParkingBrake(v); break;
    case KeyAction::ToggleRealismMode: ToggleRealismMode(v); break;
    case KeyAction::ToggleEngine: ToggleEngine(v); break;
    case KeyAction::Refuel:
      if (v.speed == 0) Refuel(v);
      break;
  }
}

}  // namespace

int ConsumeBufferedKey(KVQ_R7700& v, DWORD key, bool down, char* kstate) {
  if (!down) return 1;

  const KeyPlan plan = PlanKeyCommands(key, kstate);
  for (int i = 0; i < plan.count; ++i) {
    const KeyCommand& c = plan.commands[i];
    Run(v, c.action);
    if (c.redrawArea) {
      oapiVCTriggerRedrawArea(0, c.redrawArea);
      if (c.bothCockpits) oapiVCTriggerRedrawArea(1, c.redrawArea);
    }
  }
  // A crew member's trigger admits one A or D event: its plain and its Shift
  // handling, whatever they did.
  if (IsHitchKey(key)) v.actionAreaTriggered = false;

  static const char noKeys[256] = {};
  return HandleCrewKeys(v, key, kstate ? kstate : noKeys);
}
