#include "cockpit/vc.h"

#include "cockpit/controls.h"
#include "cockpit/gauges.h"
#include "cockpit/vc_layout.h"
#include "crew/numbers.h"
#include "towing/actions.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr int AREA_GAUGES = 1;
constexpr int AREA_PEDALS = 4;
constexpr int AREA_PARKING_BRAKE = 5;
constexpr int AREA_GEAR_LEVER = 6;
constexpr int AREA_LIGHT_SWITCH = 7;
constexpr int AREA_BEACON_SWITCH = 8;
constexpr int AREA_REALISM_SWITCH = 9;
constexpr int AREA_REFUEL_BUTTON = 10;
constexpr int AREA_DISPLAY_KEY_FIRST = 11;
constexpr int AREA_DISPLAY_KEY_LAST = 14;
constexpr int AREA_STEER_MODE_KNOB = 15;
constexpr int AREA_LEFT_DOOR = 16;
constexpr int AREA_RIGHT_DOOR = 17;

// The cockpit texture that carries the status display.
constexpr DWORD STATUS_DISPLAY_TEXTURE = 1;

// Crew leave by the left door unless the right door sends them out.
constexpr VECTOR3 EVA_LEFT_DOOR = {-2.0, 1.2, 3.5};
constexpr VECTOR3 EVA_RIGHT_DOOR = {2.0, 1.2, 3.5};
constexpr VECTOR3 EVA_ROTATION = {0, 0, 0};

void RegisterArea(const VCArea& area, SURFHANDLE statusTexture) {
  if (area.id == STATUS_DISPLAY)
    oapiVCRegisterArea(area.id, STATUS_DISPLAY_RECT, area.redraw, area.mouse, PANEL_MAP_BACKGROUND, statusTexture);
  else
    oapiVCRegisterArea(area.id, area.redraw, area.mouse);
  if (area.shape == ClickShape::QUADRILATERAL)
    oapiVCSetAreaClickmode_Quadrilateral(area.id, area.corner[0], area.corner[1], area.corner[2], area.corner[3]);
  else if (area.shape == ClickShape::SPHERE)
    oapiVCSetAreaClickmode_Spherical(area.id, area.corner[0], area.radius);
}

void PushButtonUpdate(KVQ_R7700& v, int id, int event) {
  if (id == AREA_REFUEL_BUTTON)
    v.SetAnimation(v.animRefuelButton, PushButtonState(event));
  else if (id >= AREA_DISPLAY_KEY_FIRST && id <= AREA_DISPLAY_KEY_LAST)
    v.SetAnimation(v.animDisplayKey[id - AREA_DISPLAY_KEY_FIRST], PushButtonState(event));
}

void EvaCrewSlot(KVQ_R7700& v, int slot) {
  const char* name = v.crew.GetCrewName(slot);
  v.crew.EvaMember(name ? name : "");
}

void SetSwitchAnimations(KVQ_R7700& v) {
  v.SetAnimation(v.animLightSwitch, SwitchState(v.lightsOn));
  v.SetAnimation(v.animBeaconSwitch, SwitchState(v.beaconOn));
  v.SetAnimation(v.animRealismSwitch, SwitchState(v.realismMode != 0));
  v.SetAnimation(v.animSteerModeSwitch, SteerModeSwitchState(v.GetAttitudeMode()));
}

}  // namespace

bool LoadVC(KVQ_R7700& v, int id) {
  if (id < 0 || id >= COCKPIT_POSITION_COUNT) return false;
  const CockpitPosition& pos = COCKPIT_POSITIONS[id];
  SURFHANDLE statusTexture = oapiGetTextureHandle(v.vcMeshTemplate, STATUS_DISPLAY_TEXTURE);
  oapiVCSetNeighbours(pos.neighbours[0], pos.neighbours[1], pos.neighbours[2], pos.neighbours[3]);
  v.SetCameraOffset(pos.cameraOffset);
  v.SetCameraDefaultDirection(pos.viewDirection);
  if (pos.hasAreas)
    for (const VCArea& area : VC_AREAS) RegisterArea(area, statusTexture);
  return true;
}

bool VCMouseEvent(KVQ_R7700& v, int id, int event, const VECTOR3& p) {
  switch (id) {
    case AREA_PARKING_BRAKE: ToggleParkingBrake(v); return true;
    case AREA_GEAR_LEVER: v.transmission = GearLeverTransmission(p.y); return true;
    case AREA_LIGHT_SWITCH: ToggleLightsAction(v); return true;
    case AREA_BEACON_SWITCH: ToggleBeaconsAction(v); return true;
    case AREA_REALISM_SWITCH: ToggleRealismMode(v); return true;
    case AREA_REFUEL_BUTTON:
      Refuel(v);
      PushButtonUpdate(v, id, event);
      return true;
    case AREA_STEER_MODE_KNOB: v.SetAttitudeMode(StepSteerModeKnob(v.GetAttitudeMode(), event)); return true;
    case AREA_LEFT_DOOR: EvaCrewSlot(v, 0); return true;
    case AREA_RIGHT_DOOR:
      v.crew.SetEvaPlacement(EVA_RIGHT_DOOR, EVA_ROTATION);
      EvaCrewSlot(v, 1);
      v.crew.SetEvaPlacement(EVA_LEFT_DOOR, EVA_ROTATION);
      return true;
    default: break;
  }
  if (id >= AREA_DISPLAY_KEY_FIRST && id <= AREA_DISPLAY_KEY_LAST) {
    if (event & PANEL_MOUSE_LBDOWN) DisplayKeyPressed(v, id);
    PushButtonUpdate(v, id, event);
    return true;
  }
  return false;
}

bool VCRedrawEvent(KVQ_R7700& v, int id, int event, SURFHANDLE surf) {
  switch (id) {
    case AREA_GAUGES: {
      v.SetAnimation(v.animSpeedometer, SpeedometerState(v.speed));
      v.SetAnimation(v.animTachometer, TachometerState(v.rpm));
      v.SetAnimation(v.animFuelGauge, FuelGaugeState(v.fuel));
      v.SetAnimation(v.animGearIndicator, GearIndicatorState(v.transmission));
      return false;
    }
    case STATUS_DISPLAY: return DrawStatusDisplay(v, surf);
    case AREA_PEDALS: {
      // A level a script set to a non-finite number shows as 0.
      v.SetAnimation(v.animSteeringWheel, SteeringWheelState(FiniteOrZero(v.GetControlSurfaceLevel(AIRCTRL_RUDDER))));
      v.SetAnimation(v.animThrottlePedal, ThrottlePedalState(FiniteOrZero(v.GetThrusterGroupLevel(THGROUP_MAIN))));
      v.SetAnimation(v.animBrakePedal, BrakePedalState(FiniteOrZero(v.GetWheelbrakeLevel(2)), v.parkingBrake));
      return false;
    }
    case AREA_PARKING_BRAKE: v.SetAnimation(v.animParkingBrake, ParkingBrakeLeverState(v.parkingBrake)); return false;
    case AREA_GEAR_LEVER: {
      double state = 0;
      if (GearLeverState(v.transmission, &state)) v.SetAnimation(v.animGearLever, state);
      return false;
    }
    case AREA_LIGHT_SWITCH:
    case AREA_BEACON_SWITCH:
    case AREA_REALISM_SWITCH:
    case AREA_STEER_MODE_KNOB: SetSwitchAnimations(v); return false;
    default: return false;
  }
}
