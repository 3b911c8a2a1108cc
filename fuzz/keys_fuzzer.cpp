// Key events and frames in any order: key codes, modifiers, key-down and
// key-up, with or without a keyboard state; frames with any throttle,
// brake, rudder (NaN and infinities among them) and attitude mode; crew members who left walking into the
// airlock or to a hitch. An airliner stands ahead of the tractor and one
// behind it. After every event and every frame: the tractor's invariants,
// the people conserved, and no frame in which the speed changes sign.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "host/keys.h"
#include "sim/sim.h"
#include "tests/crew/crew_test_root.h"
#include "tests/support/invariants.h"

namespace {

const DWORD KEYS[] = {OAPI_KEY_W, OAPI_KEY_S, OAPI_KEY_A, OAPI_KEY_D, OAPI_KEY_V, OAPI_KEY_B, OAPI_KEY_H,
                      OAPI_KEY_F, OAPI_KEY_P, OAPI_KEY_O, OAPI_KEY_E, OAPI_KEY_1, OAPI_KEY_2, OAPI_KEY_4};
const DWORD HELD[] = {OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RSHIFT, OAPI_KEY_RCONTROL,
                      OAPI_KEY_O,      OAPI_KEY_E,        OAPI_KEY_F,      OAPI_KEY_D};

std::vector<OBJHANDLE> CrewVessels() {
  std::vector<OBJHANDLE> found;
  for (DWORD i = 0; i < oapiGetVesselCount(); ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    VESSEL* v = oapiGetVesselInterface(h);
    if (v && std::strncmp(v->GetClassName(), "UMmu", 4) == 0) found.push_back(h);
  }
  return found;
}

// A coupled state names a vessel that really hangs on that hitch.
void CheckCouplings(KVQ_R7700& tug, const char* context) {
  if (tug.towMode == 2 && tug.GetAttachmentStatus(tug.vesselHitchFront) == nullptr)
    fuzz::Require("towMode 2 with nothing on the front hitch", context);
  if (tug.towMode == -2 && tug.GetAttachmentStatus(tug.vesselHitchBack) == nullptr)
    fuzz::Require("towMode -2 with nothing on the back hitch", context);
}

void Check(KVQ_R7700& tug, int people, const char* context) {
  fuzz::Require(CheckTractorInvariants(tug), context);
  CheckCouplings(tug, context);
  if (fuzz::CountPeople() != people) fuzz::Require("people not conserved", context);
  double lng = 0, lat = 0, hdg = 0;
  sim::GetSurfacePos(tug.GetHandle(), &lng, &lat, &hdg);
  if (!std::isfinite(lng) || !std::isfinite(lat) || !std::isfinite(hdg)) fuzz::Require("position not finite", context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ShutdownAtEnd end;
  fuzz::Bytes in(data, size);
  fuzz::Restart();
  KVQ_R7700* tug = fuzz::NewTractor();
  fuzz::PlaceAirliners(*tug);
  const OBJHANDLE h = tug->GetHandle();
  if (in.U8() & 1) tug->realismMode = 1;
  const int people = fuzz::CountPeople();

  for (int op = 0; op < 200 && !in.Empty(); ++op) {
    const uint8_t kind = in.U8();
    if (kind < 120) {
      char kstate[256] = {};
      const uint8_t held = in.U8();
      for (int i = 0; i < 8; ++i)
        if (held & (1 << i)) kstate[HELD[i]] = static_cast<char>(0x80);
      const uint8_t k = in.U8();
      const DWORD key = k < 200 ? KEYS[k % (sizeof KEYS / sizeof KEYS[0])] : k;
      const bool down = (kind & 1) == 0;
      const bool withState = (kind & 2) == 0;
      const int r = tug->clbkConsumeBufferedKey(key, down, withState ? kstate : nullptr);
      if (!down && r != 1) fuzz::Require("key-up not answered with 1", "a key-up");
      Check(*tug, people, "a key");
    } else if (kind < 220) {
      double levels[3] = {in.Unit(), in.Unit() * in.Unit(), in.Unit() * 2 - 1};
      if (kind >= 205) {
        // A level no control gives but a host passes on: NaN or an infinity.
        const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
        levels[kind % 3] = bad[(kind / 3) % 3];
      }
      tug->SetThrusterGroupLevel(THGROUP_MAIN, levels[0]);
      tug->SetWheelbrakeLevel(levels[1], 0, true);
      tug->SetControlSurfaceLevel(AIRCTRL_RUDDER, levels[2]);
      tug->SetAttitudeMode(in.Int(0, 2));
      const int frames = in.Int(1, 16);
      for (int i = 0; i < frames; ++i) {
        const double before = tug->speed;
        sim::RunFrame();
        if ((before > 0 && tug->speed < 0) || (before < 0 && tug->speed > 0))
          fuzz::Require("speed changed sign within one step", "a frame");
        Check(*tug, people, "a frame");
      }
    } else if (kind < 245) {
      // A crew member on foot walks somewhere near the tractor.
      const std::vector<OBJHANDLE> crew = CrewVessels();
      if (crew.empty()) continue;
      const OBJHANDLE who = crew[in.U8() % crew.size()];
      static const VECTOR3 spots[] = {{0, 1, 3.5}, {0, 0.45, -9.91}, {0, 0.45, 10.01}, {-6, 0, 0}, {0, 0, 40}};
      StandAt(who, h, spots[in.U8() % 5]);
      Check(*tug, people, "a walk");
    } else {
      tug->actionAreaTriggered = true;
    }
  }
  return 0;
}
