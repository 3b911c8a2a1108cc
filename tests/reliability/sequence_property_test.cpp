// Random key events, frames, crew walks and add-crew dialogues on a tractor
// between two airliners: after each of them the tractor's invariants hold,
// a coupled state names a vessel that hangs on that hitch, the speed never
// changes sign within a frame, and nobody appears or vanishes except through
// a completed dialogue.
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/keys.h"
#include "sim/sim.h"
#include "tests/crew/crew_test_root.h"
#include "tests/reliability/reliability_scene.h"
#include "tests/support/invariants.h"

namespace {

const DWORD KEYS[] = {OAPI_KEY_W, OAPI_KEY_S, OAPI_KEY_A, OAPI_KEY_D, OAPI_KEY_V, OAPI_KEY_B, OAPI_KEY_H,
                      OAPI_KEY_F, OAPI_KEY_P, OAPI_KEY_O, OAPI_KEY_E, OAPI_KEY_1, OAPI_KEY_2, OAPI_KEY_4};
const DWORD HELD[] = {OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RSHIFT, OAPI_KEY_RCONTROL,
                      OAPI_KEY_O,      OAPI_KEY_E,        OAPI_KEY_F,      OAPI_KEY_D};
const VECTOR3 SPOTS[] = {{0, 1, 3.5}, {0, 0.45, -9.91}, {0, 0.45, 10.01}, {-6, 0, 0}, {0, 0, 40}};

std::vector<OBJHANDLE> CrewVessels() {
  std::vector<OBJHANDLE> found;
  for (DWORD i = 0; i < oapiGetVesselCount(); ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    VESSEL* v = oapiGetVesselInterface(h);
    if (v && std::strncmp(v->GetClassName(), "UMmu", 4) == 0) found.push_back(h);
  }
  return found;
}

std::string CouplingFault(KVQ_R7700& tug) {
  if (tug.towMode == 2 && tug.GetAttachmentStatus(tug.vesselHitchFront) == nullptr) return "towMode 2, front empty";
  if (tug.towMode == -2 && tug.GetAttachmentStatus(tug.vesselHitchBack) == nullptr) return "towMode -2, back empty";
  return "";
}

class SequenceProperty : public ReliabilityScene, public ::testing::WithParamInterface<unsigned> {};

}  // namespace

TEST_P(SequenceProperty, KeysFramesWalksAndDialoguesKeepTheInvariants) {
  std::mt19937 rng(GetParam());
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  KVQ_R7700* tug = NewTractor();
  ASSERT_NE(tug, nullptr);
  PlaceAirliners(*tug);
  tug->realismMode = integer(0, 1);
  int people = CountPeople();
  static const char* const texts[] = {"Ann Lee", "42", "Capt", "x", "", "250", "Doc", "Crew", "A very long name "};

  for (int op = 0; op < 1500; ++op) {
    const int kind = integer(0, 99);
    const char stateBefore = tug->crewPrompt.crewPromptState;
    bool framed = false;
    std::string what;
    if (kind < 50) {
      char kstate[256] = {};
      const int held = integer(0, 255) & integer(0, 255);
      for (int i = 0; i < 8; ++i)
        if (held & (1 << i)) kstate[HELD[i]] = static_cast<char>(0x80);
      const DWORD key = KEYS[integer(0, 13)];
      const bool down = integer(0, 5) != 0;
      what = "key " + std::to_string(key) + (down ? " down" : " up") + " held " + std::to_string(held);
      const int r = tug->clbkConsumeBufferedKey(key, down, integer(0, 3) ? kstate : nullptr);
      if (!down) {
        ASSERT_EQ(r, 1) << what;
      }
    } else if (kind < 80) {
      tug->SetThrusterGroupLevel(THGROUP_MAIN, real(0, 1));
      tug->SetWheelbrakeLevel(integer(0, 2) ? 0 : real(0, 1), 0, true);
      tug->SetControlSurfaceLevel(AIRCTRL_RUDDER, real(-1, 1));
      tug->SetAttitudeMode(integer(0, 2));
      const int frames = integer(1, 20);
      what = "frames";
      for (int i = 0; i < frames; ++i) {
        const double before = tug->speed;
        sim::RunFrame();
        ASSERT_FALSE((before > 0 && tug->speed < 0) || (before < 0 && tug->speed > 0))
            << "op " << op << ": " << before << " -> " << tug->speed;
        ASSERT_EQ(CheckTractorInvariants(*tug), "") << "op " << op << " frame " << i;
      }
      framed = true;
    } else if (kind < 90) {
      const std::vector<OBJHANDLE> crew = CrewVessels();
      what = "walk";
      if (!crew.empty()) StandAt(crew[integer(0, static_cast<int>(crew.size()) - 1)], tug->GetHandle(), SPOTS[integer(0, 4)]);
    } else if (kind < 97) {
      what = "typed text";
      if (sim::InputBoxOpen()) sim::InputBoxEnter(texts[integer(0, 8)]);
    } else {
      what = "escape";
      if (sim::InputBoxOpen()) sim::InputBoxCancel();
    }
    SCOPED_TRACE("op " + std::to_string(op) + ": " + what);
    ASSERT_EQ(CheckTractorInvariants(*tug), "");
    ASSERT_EQ(CouplingFault(*tug), "");
    const int now = CountPeople();
    if (now != people) {
      ASSERT_TRUE(framed && stateBefore == 7 && now == people + 1) << people << " -> " << now;
      ASSERT_EQ(std::strncmp(tug->messageText, "Crew \"", 6), 0) << tug->messageText;
    }
    people = now;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SequenceProperty, ::testing::Values(1u, 2u, 3u, 4u));
