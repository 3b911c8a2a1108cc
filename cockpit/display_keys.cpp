// The four soft keys under the status display. They do what the display's
// labels say, in realism mode too: a vessel coupled or released here always
// moves towMode, so the display never disagrees with what hangs on the hitch.
#include "cockpit/vc.h"
#include "towing/actions.h"
#include "towing/hitch.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr int KEY_FIRST = 11;
constexpr int KEY_LEFT_LABEL = 12;   // left half of the display's labels
constexpr int KEY_RIGHT_LABEL = 13;  // right half
constexpr int KEY_LAST = 14;

constexpr bool FRONT = true;
constexpr bool REAR = false;
constexpr bool COUPLE = true;
constexpr bool RELEASE = false;

void CoupleTowbarKey(KVQ_R7700& v, bool front, int newMode) {
  if (!CoupleTowbar(v, front, COUPLE)) return;
  v.towMode = newMode;
  PlayCouplingSound(v);
}

void ReleaseTowbarKey(KVQ_R7700& v) {
  if (!CoupleTowbar(v, FRONT, RELEASE)) return;
  v.towMode = 0;
  PlayCouplingSound(v);
}

void CoupleVesselKey(KVQ_R7700& v, bool front, bool attach, int newMode) {
  if (!CoupleVessel(v, front, attach)) return;
  v.towMode = newMode;
  PlayCouplingSound(v);
}

// "Detach Towbar" with a vessel on it: the vessel first, then the towbar,
// with one sound for both.
void ReleaseVesselAndTowbarKey(KVQ_R7700& v, bool front) {
  CoupleVesselKey(v, front, RELEASE, front ? 1 : -1);
  if (CoupleTowbar(v, FRONT, RELEASE)) v.towMode = 0;
}

void LeftLabelKey(KVQ_R7700& v) {
  switch (v.towMode) {
    case 0: CoupleTowbarKey(v, FRONT, 1); break;
    case 1: CoupleVesselKey(v, FRONT, COUPLE, 2); break;
    case 2: CoupleVesselKey(v, FRONT, RELEASE, 1); break;
    case -1: CoupleVesselKey(v, REAR, COUPLE, -2); break;
    case -2: CoupleVesselKey(v, REAR, RELEASE, -1); break;
    default: break;
  }
}

void RightLabelKey(KVQ_R7700& v) {
  switch (v.towMode) {
    case 0: CoupleTowbarKey(v, REAR, -1); break;
    case 1:
    case -1: ReleaseTowbarKey(v); break;
    case 2: ReleaseVesselAndTowbarKey(v, FRONT); break;
    case -2: ReleaseVesselAndTowbarKey(v, REAR); break;
    default: break;
  }
}

}  // namespace

void DisplayKeyPressed(KVQ_R7700& v, int id) {
  if (id < KEY_FIRST || id > KEY_LAST) return;
  // With the engine off the display reads "START": every key starts it.
  if (!v.engineRunning) {
    v.engineRunning = true;
    v.idleTime = 0;
    PlayStarterSound(v);
    return;
  }
  if (id == KEY_LEFT_LABEL)
    LeftLabelKey(v);
  else if (id == KEY_RIGHT_LABEL)
    RightLabelKey(v);
}
