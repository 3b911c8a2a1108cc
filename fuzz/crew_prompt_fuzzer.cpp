// Text typed into the add-crew input boxes. First the callback on its own,
// on a prompt block in any state and with any contents, fenced by guard
// bytes; then whole dialogues in a tractor: the add-crew key, frames, texts
// entered or boxes escaped, the block overwritten with anything between,
// the tractor deleted while a box is open; every member added comes back
// from the crew line a scenario saves, and from a walk out and back in.
#include <cstring>
#include <string>

#include "crew/crew_line.h"
#include "drive/crew_events.h"
#include "fuzz/fuzz_host.h"
#include "host/keys.h"
#include "sim/sim.h"
#include "tests/crew/crew_test_root.h"
#include "tests/support/invariants.h"

namespace {

constexpr size_t GUARD = 64;

struct Fenced {
  unsigned char before[GUARD];
  CrewPromptBlock block;
  unsigned char after[GUARD];
};

void CallbackAlone(fuzz::Bytes& in) {
  Fenced f;
  std::memset(&f, 0xA5, sizeof f);
  unsigned char* raw = reinterpret_cast<unsigned char*>(&f.block);
  for (size_t i = 0; i < sizeof f.block && !in.Empty(); ++i) {
    if (in.U8() & 1) break;
    raw[i] = in.U8();
  }
  f.block.crewPromptState = static_cast<char>(in.U8());
  std::string text = in.Text(300);
  const Fenced old = f;

  const bool took = TakeCrewPromptText(f.block, text.data());
  for (size_t i = 0; i < GUARD; ++i)
    if (f.before[i] != 0xA5 || f.after[i] != 0xA5) fuzz::Require("write outside the prompt block", "a typed text");
  const size_t n = text.size();
  if (took != (n >= 2 && n <= 38)) fuzz::Require("length rule broken", "a typed text");
  char* field = nullptr;
  size_t fieldSize = 0;
  char next = old.block.crewPromptState;
  if (took) {
    switch (old.block.crewPromptState) {
      case 2: field = f.block.crewPromptName, fieldSize = sizeof f.block.crewPromptName, next = 3; break;
      case 4: field = f.block.crewPromptAge, fieldSize = sizeof f.block.crewPromptAge, next = 5; break;
      case 6: field = f.block.crewPromptFunction, fieldSize = sizeof f.block.crewPromptFunction, next = 7; break;
      default: break;
    }
  }
  if (f.block.crewPromptState != next) fuzz::Require("wrong next state", "a typed text");
  if (field != nullptr && (std::memchr(field, '\0', fieldSize) == nullptr || text != field))
    fuzz::Require("field does not hold the text", "a typed text");
  // Nothing but the state and the one field changes.
  const unsigned char* a = reinterpret_cast<const unsigned char*>(&old.block);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&f.block);
  const size_t lo = field ? static_cast<size_t>(reinterpret_cast<unsigned char*>(field) - raw) : 0;
  const size_t hi = field ? lo + fieldSize : 0;
  for (size_t i = 1; i < sizeof f.block; ++i)
    if ((i < lo || i >= hi) && a[i] != b[i]) fuzz::Require("byte outside the field changed", "a typed text");
}

// A member saved in a scenario reads back the same, whatever was typed. (A
// name emptied by overwriting the block is no typed text: the boxes take 2
// to 38 characters.)
bool ComesBackFromItsLine(const CrewMember& m) {
  if (m.name[0] == '\0') return true;
  char value[300];
  FormatCrewLine(m, value, sizeof value);
  CrewMember back{};
  return ParseCrewLine((std::string(CREW_LINE_KEY) + " " + value).c_str(), back) &&
         std::strcmp(back.name, m.name) == 0 && std::strcmp(back.functionCode, m.functionCode) == 0 &&
         back.age == m.age && back.pulse == m.pulse && back.weight == m.weight;
}

// The last member walks out and back in through the airlock: the crew
// vessel's name carries the member, who comes back the same.
void WalkOutAndIn(KVQ_R7700& tug) {
  if (tug.crew.crewCount < 1) return;
  // Names are looked up ignoring case: the one who walks is the first of
  // that name.
  const int slot = tug.crew.FindMember(tug.crew.roster[tug.crew.crewCount - 1].name);
  if (slot < 0) fuzz::Require("a member not found by name", "an EVA");
  const CrewMember m = tug.crew.roster[slot];
  const int r = tug.crew.EvaMember(m.name);
  if (r != 1) fuzz::Require("a member could not walk out (the host refused the crew vessel's name?)", "an EVA");
  OBJHANDLE walker = nullptr;
  for (DWORD i = 0; i < oapiGetVesselCount() && walker == nullptr; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    VESSEL* v = oapiGetVesselInterface(h);
    if (v != nullptr && std::strncmp(v->GetClassName(), "UMmu", 4) == 0) walker = h;
  }
  if (walker == nullptr) fuzz::Require("no crew vessel after an EVA", "an EVA");
  StandAt(walker, tug.GetHandle(), {0, 1, 3.5});
  const int crewOut = tug.crew.crewCount;
  if (!RunUntil([&] { return tug.crew.crewCount > crewOut; }, 2.0)) fuzz::Require("not taken back in", "a walk-in");
  const CrewMember& back = tug.crew.roster[tug.crew.crewCount - 1];
  if (std::strcmp(back.name, m.name) != 0 || std::strcmp(back.functionCode, m.functionCode) != 0)
    fuzz::Require("the member changed through an EVA and a walk-in", "a walk-in");
}

void Dialogue(fuzz::Bytes& in) {
  fuzz::Restart();
  KVQ_R7700* tug = fuzz::NewTractor();
  char kstate[256] = {};
  for (int op = 0; op < 40 && !in.Empty(); ++op) {
    const char stateBefore = tug->crewPrompt.crewPromptState;
    const int crewBefore = tug->crew.crewCount;
    bool stepped = false, forcedComplete = false;
    switch (in.U8() % 8) {
      case 6:
        WalkOutAndIn(*tug);
        continue;
      case 7: {
        // The tractor goes while its box may be open; what is typed next
        // reaches nothing (the sanitizers see any write), and a new tractor
        // takes its place.
        oapiDeleteVessel(tug->GetHandle());
        sim::RunFrame();
        if (sim::InputBoxOpen()) sim::InputBoxEnter(in.Text(60).c_str());
        tug = fuzz::NewTractor();
        continue;
      }
      case 0: tug->clbkConsumeBufferedKey(OAPI_KEY_4, true, kstate); break;
      case 1: {
        const std::string text = in.Text(60);
        if (sim::InputBoxOpen()) sim::InputBoxEnter(text.c_str());
        break;
      }
      case 2:
        if (sim::InputBoxOpen()) sim::InputBoxCancel();
        break;
      case 3: {
        // Anything may be in the block when the step reads it.
        unsigned char* raw = reinterpret_cast<unsigned char*>(&tug->crewPrompt);
        const int at = in.Int(0, sizeof(CrewPromptBlock) - 1);
        const int count = in.Int(0, 63);
        for (int i = 0; i < count && at + i < static_cast<int>(sizeof(CrewPromptBlock)); ++i) raw[at + i] = in.U8();
        CrewPromptBlock& b = tug->crewPrompt;
        b.crewPromptState = static_cast<char>(in.Int(0, 7));
        // Unterminated texts are left for the step of a completed dialogue to
        // cope with; in the other states the typed texts were terminated.
        if (b.crewPromptState != 7) {
          b.crewPromptName[sizeof b.crewPromptName - 1] = '\0';
          b.crewPromptAge[sizeof b.crewPromptAge - 1] = '\0';
        }
        if (b.crewPromptState == 7) {
          sim::RunFrame();
          forcedComplete = true;
        }
        break;
      }
      default: {
        const int n = in.Int(1, 4);
        for (int i = 0; i < n; ++i) sim::RunFrame();
        stepped = true;
        break;
      }
    }
    fuzz::Require(CheckTractorInvariants(*tug), "a dialogue step");
    // Nobody walks in or out here: the people are the crew aboard, and only
    // a completed dialogue adds one, reporting what it did.
    const int crew = tug->crew.crewCount;
    if (fuzz::CountPeople() != crew) fuzz::Require("people not conserved", "a dialogue step");
    const bool completed = (stepped && stateBefore == 7) || forcedComplete;
    if (crew != crewBefore) {
      if (!completed || crew != crewBefore + 1) fuzz::Require("crew changed outside a completed dialogue", "a step");
      if (std::strncmp(tug->messageText, "Crew \"", 6) != 0) fuzz::Require("added without its message", "a step");
      if (!ComesBackFromItsLine(tug->crew.roster[crew - 1]))
        fuzz::Require("the member added does not come back from its crew line", "a step");
    } else if (completed && std::strcmp(tug->messageText, "ERROR: Crew not added (vessel full?)") != 0) {
      fuzz::Require("refusal not reported", "a dialogue step");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ShutdownAtEnd end;
  fuzz::Bytes in(data, size);
  if (in.U8() & 1)
    CallbackAlone(in);
  else
    Dialogue(in);
  return 0;
}
