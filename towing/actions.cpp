#include "towing/actions.h"

#include "cockpit/lamps.h"
#include "sound/sound_client.h"
#include "towing/hitch.h"
#include "vessel/definition.h"
#include "vessel/kvq_r7700.h"
#include "vessel/post_creation.h"

namespace {

// In realism mode the hitches work only for a crew member standing at them.
bool HitchGateOpen(const KVQ_R7700& v) { return v.realismMode == 0 || v.actionAreaTriggered; }

void Hitch(KVQ_R7700& v, bool front) {
  if (!HitchGateOpen(v)) return;
  const int towbarOnly = front ? 1 : -1;
  if (v.towMode == 0) {
    // No vessel is coupled without a towbar between.
    if (!CoupleTowbar(v, front, true)) return;
    v.towMode = towbarOnly;
  }
  if (v.towMode == towbarOnly && CoupleVessel(v, front, true)) {
    v.towMode = 2 * towbarOnly;
    PlayCouplingSound(v);
  }
}

void ReleaseVessel(KVQ_R7700& v, bool front) {
  if (!HitchGateOpen(v)) return;
  if (!CoupleVessel(v, front, false)) return;
  v.towMode = front ? 1 : -1;
  PlayCouplingSound(v);
}

void Towbar(KVQ_R7700& v, bool front) {
  if (!CoupleTowbar(v, front, true)) return;
  v.towMode = front ? 1 : -1;
  PlayCouplingSound(v);
}

}  // namespace

void GearUp(KVQ_R7700& v) {
  if (v.transmission < 2 && v.speed == 0) ++v.transmission;
}

void GearDown(KVQ_R7700& v) {
  if (v.transmission > -1 && v.speed == 0) --v.transmission;
}

void TowbarFront(KVQ_R7700& v) { Towbar(v, true); }
void TowbarRear(KVQ_R7700& v) { Towbar(v, false); }
void HitchFront(KVQ_R7700& v) { Hitch(v, true); }
void HitchRear(KVQ_R7700& v) { Hitch(v, false); }

void ReleaseTowbar(KVQ_R7700& v) {
  CoupleTowbar(v, true, false);
  if (v.towMode == 1 || v.towMode == -1) {
    v.towMode = 0;
    PlayCouplingSound(v);
  }
}

void ReleaseVesselFront(KVQ_R7700& v) { ReleaseVessel(v, true); }
void ReleaseVesselRear(KVQ_R7700& v) { ReleaseVessel(v, false); }

void ToggleParkingBrake(KVQ_R7700& v) { v.parkingBrake = !v.parkingBrake; }
void ToggleRealismMode(KVQ_R7700& v) { v.realismMode ^= 1; }

void ToggleEngine(KVQ_R7700& v) {
  v.engineRunning = !v.engineRunning;
  v.idleTime = 0;
  if (v.engineRunning) PlayStarterSound(v);
}

void Refuel(KVQ_R7700& v) { v.fuel = FULL_TANK; }

void ToggleLightsAction(KVQ_R7700& v) { v.lightsOn = ToggleLights(v); }
void ToggleBeaconsAction(KVQ_R7700& v) { v.beaconOn = ToggleBeacons(v); }

void PlayCouplingSound(KVQ_R7700& v) { SoundPlay(v.soundId, SOUND_CLANG, 0, 255, 0); }
void PlayStarterSound(KVQ_R7700& v) { SoundPlay(v.soundId, SOUND_STARTER, 0, 255, 0); }
