#include "drive/crew_events.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "crew/crew_text.h"
#include "host/keys.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr double MESSAGE_TIME = 15.0;  // s
constexpr size_t PROMPT_TEXT_MIN = 2, PROMPT_TEXT_MAX = 38;
constexpr int PROMPT_VISIBLE_CHARS = 30;
constexpr int NEW_CREW_AGE_MIN = 5, NEW_CREW_AGE_MAX = 100;
constexpr int NEW_CREW_PULSE = 70;
constexpr int NEW_CREW_WEIGHT = 70;  // kg
constexpr int AREA_BACK = 0, AREA_FRONT = 1;
constexpr char KEY_HELD = static_cast<char>(0x80);

enum PromptState : char {
  PROMPT_IDLE = 0,
  PROMPT_NAME_WANTED,
  PROMPT_NAME_OPEN,
  PROMPT_AGE_WANTED,
  PROMPT_AGE_OPEN,
  PROMPT_FUNCTION_WANTED,
  PROMPT_FUNCTION_OPEN,
  PROMPT_COMPLETE,
};

void ReportArrivals(KVQ_R7700& v) {
  const int r = v.crew.ProcessArrivals();
  if (r != 1 && r != 2) return;
  const char* name = v.crew.GetLastArrivalName();
  const char* function = v.crew.GetCrewFunction(name);
  const char* format =
      r == 1 ? "%s \"%s\" aged %i entered into our ship" : "%s \"%s\" aged %i was transfered to our ship";
  std::snprintf(PostMessage(v), sizeof v.messageText, format, function != nullptr ? function : "", name,
                v.crew.GetCrewAge(name));
}

void HandleActionAreas(KVQ_R7700& v) {
  const int id = v.crew.PollActionArea();
  if (id != AREA_BACK && id != AREA_FRONT) return;
  v.actionAreaTriggered = true;
  char kstate[256] = {};
  kstate[OAPI_KEY_LSHIFT] = KEY_HELD;
  if (id == AREA_BACK) {
    if (v.towMode == -2) {
      v.crew.SetActionAreaText(AREA_BACK, "Vessel Dettached from the back");
      v.SendBufferedKey(OAPI_KEY_A, true, kstate);
    } else {
      v.crew.SetActionAreaText(AREA_BACK, "Vessel Attached to the back");
      v.SendBufferedKey(OAPI_KEY_A, true, nullptr);
    }
  } else {
    kstate[OAPI_KEY_D] = KEY_HELD;
    if (v.towMode == 2) {
      v.crew.SetActionAreaText(AREA_FRONT, "Vessel Dettached from the front");
      v.SendBufferedKey(OAPI_KEY_D, true, kstate);
    } else {
      v.crew.SetActionAreaText(AREA_FRONT, "Vessel Attached to the front");
      v.SendBufferedKey(OAPI_KEY_D, true, nullptr);
    }
  }
}

void OpenPrompt(KVQ_R7700& v, const char* title) {
  oapiOpenInputBox(title, CrewPromptInput, nullptr, PROMPT_VISIBLE_CHARS, &v.crewPrompt);
}

void RunAddCrewDialogue(KVQ_R7700& v) {
  CrewPromptBlock& p = v.crewPrompt;
  switch (p.crewPromptState) {
    case PROMPT_NAME_WANTED:
      p.crewPromptState = PROMPT_NAME_OPEN;
      OpenPrompt(v, "Enter new crew's name (or escape)");
      break;
    case PROMPT_AGE_WANTED:
      p.crewPromptState = PROMPT_AGE_OPEN;
      OpenPrompt(v, "Enter crew's age");
      break;
    case PROMPT_FUNCTION_WANTED:
      p.crewPromptState = PROMPT_FUNCTION_OPEN;
      OpenPrompt(v, "Enter function (Capt,Sec,Vip,Sci,Doc,Tech,Crew,Pax)");
      break;
    case PROMPT_COMPLETE: {
      p.crewPromptState = PROMPT_IDLE;
      p.crewPromptAge[sizeof p.crewPromptAge - 1] = '\0';
      p.crewPromptName[sizeof p.crewPromptName - 1] = '\0';
      p.crewPromptFunction[sizeof p.crewPromptFunction - 1] = '\0';
      const int age = std::clamp(ReadLeadingInteger(p.crewPromptAge), NEW_CREW_AGE_MIN, NEW_CREW_AGE_MAX);
      const int added =
          v.crew.AddMember(p.crewPromptName, age, NEW_CREW_PULSE, NEW_CREW_WEIGHT, p.crewPromptFunction);
      if (added == 1)
        std::snprintf(PostMessage(v), sizeof v.messageText, "Crew \"%s\" aged %i added to vessel", p.crewPromptName,
                      age);
      else
        CopyBounded(PostMessage(v), sizeof v.messageText, "ERROR: Crew not added (vessel full?)");
      break;
    }
    default:
      break;
  }
}

}  // namespace

void StepCrewEvents(KVQ_R7700& v) {
  ReportArrivals(v);
  HandleActionAreas(v);
  RunAddCrewDialogue(v);
  v.crew.ShowVersionWarning("KVQ R7700");
}

bool CrewPromptInput(void* id, char* text, void* userData) {
  if (text == nullptr || userData == nullptr) return false;
  // The box stays open when its tractor is deleted: the block is written
  // only while a tractor of the scene still owns it. A text for a tractor
  // that is gone goes nowhere, and taking it closes the box.
  const DWORD count = oapiGetVesselCount();
  for (DWORD i = 0; i < count; ++i) {
    auto* owner = dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i))));
    if (owner != nullptr && &owner->crewPrompt == userData) return TakeCrewPromptText(owner->crewPrompt, text);
  }
  return true;
}

bool TakeCrewPromptText(CrewPromptBlock& p, const char* text) {
  if (text == nullptr) return false;
  const size_t length = std::strlen(text);
  if (length < PROMPT_TEXT_MIN || length > PROMPT_TEXT_MAX) return false;
  switch (p.crewPromptState) {
    case PROMPT_NAME_OPEN:
      CopyBounded(p.crewPromptName, sizeof p.crewPromptName, text);
      p.crewPromptState = PROMPT_AGE_WANTED;
      break;
    case PROMPT_AGE_OPEN:
      CopyBounded(p.crewPromptAge, sizeof p.crewPromptAge, text);
      p.crewPromptState = PROMPT_FUNCTION_WANTED;
      break;
    case PROMPT_FUNCTION_OPEN:
      CopyBounded(p.crewPromptFunction, sizeof p.crewPromptFunction, text);
      p.crewPromptState = PROMPT_COMPLETE;
      break;
    default:
      break;
  }
  return true;
}

char* PostMessage(KVQ_R7700& v) {
  v.messageTime = MESSAGE_TIME;
  return v.messageText;
}
