#include "drive/outputs.h"

#include "crew/numbers.h"
#include "drive/cockpit_pictures.h"
#include "drive/output_rules.h"
#include "sound/sound_client.h"
#include "vessel/kvq_r7700.h"

namespace {

// Lamps, by index in the vessel's beacon records.
constexpr int LAMP_PARK_BRAKE[2] = {2, 3};
constexpr int LAMP_RIGHT_INDICATORS[2] = {4, 6};
constexpr int LAMP_LEFT_INDICATORS[2] = {5, 7};
constexpr int LAMP_REVERSE[2] = {8, 9};
constexpr int LAMP_BRAKE[2] = {12, 13};

// Sound slots.
constexpr int SOUND_ENGINE = 2;
constexpr int SOUND_ROLLING = 6;
constexpr int SOUND_INDICATOR = 10;

// Cockpit mesh: crew figure groups, indicator lamp materials, the texture
// carrying the switch pictures.
constexpr DWORD GROUP_CREW_FIRST = 24;
constexpr DWORD GROUP_CREW_SECOND = 25;
constexpr DWORD CREW_HIDDEN_FLAG = 3;
constexpr int MATERIAL_RIGHT_INDICATOR = 5;
constexpr int MATERIAL_LEFT_INDICATOR = 2;
constexpr DWORD SWITCH_TEXTURE = 5;

void SetLamps(KVQ_R7700& v, const int (&lamps)[2], bool active) {
  for (int i : lamps) v.beacons[i].active = active;
}

void ShowGroup(DEVMESHHANDLE mesh, DWORD group, bool show) {
  GROUPEDITSPEC ges{};
  ges.flags = show ? GRPEDIT_DELUSERFLAG : GRPEDIT_ADDUSERFLAG;
  ges.UsrFlag = CREW_HIDDEN_FLAG;
  oapiEditMeshGroup(mesh, group, &ges);
}

void SetIndicatorMaterial(KVQ_R7700& v, int material, bool lit) {
  const MATERIAL m = IndicatorMaterial(lit);
  oapiSetMaterial(v.vcMesh, material, &m);
}

// The indicators of one side follow the steering; the cockpit lamp of that
// side flashes and ticks once per flash.
void Indicate(KVQ_R7700& v, const int (&on)[2], const int (&off)[2], int litMaterial, int darkMaterial, bool lit) {
  SetLamps(v, on, true);
  SetLamps(v, off, false);
  if (!v.vcMesh) return;
  SetIndicatorMaterial(v, litMaterial, lit);
  if (lit && SoundIsPlaying(v.soundId, SOUND_INDICATOR) == 0) SoundPlay(v.soundId, SOUND_INDICATOR, 0, 255, 0);
  SetIndicatorMaterial(v, darkMaterial, false);
}

void UpdateIndicators(KVQ_R7700& v, double steer, double simt) {
  const bool lit = IndicatorLit(simt);
  if (steer > 0) {
    Indicate(v, LAMP_RIGHT_INDICATORS, LAMP_LEFT_INDICATORS, MATERIAL_RIGHT_INDICATOR, MATERIAL_LEFT_INDICATOR, lit);
  } else if (steer < 0) {
    Indicate(v, LAMP_LEFT_INDICATORS, LAMP_RIGHT_INDICATORS, MATERIAL_LEFT_INDICATOR, MATERIAL_RIGHT_INDICATOR, lit);
  } else {
    SetLamps(v, LAMP_RIGHT_INDICATORS, false);
    SetLamps(v, LAMP_LEFT_INDICATORS, false);
    if (v.vcMesh) {
      SetIndicatorMaterial(v, MATERIAL_RIGHT_INDICATOR, false);
      SetIndicatorMaterial(v, MATERIAL_LEFT_INDICATOR, false);
    }
  }
}

void UpdateSteerAnimations(KVQ_R7700& v, double steer) {
  const SteerAnimationStates s = ComputeSteerAnimation(v.steerMode, steer);
  for (int i = 0; i < 2; ++i) {
    v.steerFrontState[i] = s.front[i];
    v.steerRearState[i] = s.rear[i];
    v.SetAnimation(v.animSteerFront[i], s.front[i]);
    v.SetAnimation(v.animSteerRear[i], s.rear[i]);
  }
}

}  // namespace

void ShowCrewFigures(KVQ_R7700& v, int crewCount) {
  if (!v.vcMesh) return;
  const CrewFigures f = CrewFiguresFor(crewCount);
  if (!f.changes) return;
  ShowGroup(v.vcMesh, GROUP_CREW_FIRST, f.first);
  ShowGroup(v.vcMesh, GROUP_CREW_SECOND, f.second);
}

void UpdateBrakeLamps(KVQ_R7700& v) { SetLamps(v, LAMP_BRAKE, !v.brakeReleased); }

void UpdateParkBrakeIndicator(KVQ_R7700& v) {
  SetLamps(v, LAMP_PARK_BRAKE, !v.parkBrakeReleased);
  ShowPicture(oapiGetTextureHandle(v.vcMeshTemplate, SWITCH_TEXTURE), 740, 874, v.parkBrakeReleased ? 5 : 103, 630,
              88, 70);
}

void UpdateStepOutputs(KVQ_R7700& v, double simt, double dt, double brake) {
  if (v.engineRunning) {
    SoundPlay(v.soundId, SOUND_ENGINE, 1, 255, EngineSoundFrequency(v.rpm));
  } else {
    SoundStop(v.soundId, SOUND_ENGINE);
  }
  if (v.speed != 0) {
    SoundPlay(v.soundId, SOUND_ROLLING, 1, RollingSoundVolume(v.speed), 0);
  } else {
    SoundStop(v.soundId, SOUND_ROLLING);
  }

  const double roll = WheelRollStep(v.speed, dt);
  for (int k = 0; k < 4; ++k) {
    v.wheelRoll[k] = AdvanceWheelRoll(v.wheelRoll[k], roll);
    v.SetAnimation(v.animWheel[k], v.wheelRoll[k]);
  }

  const double steer = FiniteOrZero(v.GetControlSurfaceLevel(AIRCTRL_RUDDER));
  UpdateIndicators(v, steer, simt);

  // While the parking brake is set the brake lamps keep their last state.
  if (v.parkingBrake) {
    v.parkBrakeReleased = false;
    UpdateParkBrakeIndicator(v);
  } else {
    v.parkBrakeReleased = true;
    UpdateParkBrakeIndicator(v);
    v.brakeReleased = !(brake > 0);
    UpdateBrakeLamps(v);
  }

  SetLamps(v, LAMP_REVERSE, v.transmission == -1);
  UpdateSteerAnimations(v, steer);
}
