#include "towing/crew_keys.h"

#include <cstring>

#include "host/keys.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr size_t PROMPT_CLEARED_BYTES = 255;
constexpr char PROMPT_NAME_WANTED = 1;

}  // namespace

void EvaSelectedCrew(KVQ_R7700& v) {
  if (v.speed != 0) return;
  v.crew.EvaMember(v.crew.GetCrewName(v.selectedCrewSlot));
}

void SelectNextCrew(KVQ_R7700& v) {
  const int count = v.crew.GetCrewCount();
  if (count != 0 && v.selectedCrewSlot < count - 1) v.selectedCrewSlot += 1;
}

void SelectPreviousCrew(KVQ_R7700& v) {
  if (v.crew.GetCrewCount() != 0 && v.selectedCrewSlot > 0) v.selectedCrewSlot -= 1;
}

void AddCrew(KVQ_R7700& v) {
  static_assert(sizeof(CrewPromptBlock) >= PROMPT_CLEARED_BYTES);
  std::memset(&v.crewPrompt, 0, PROMPT_CLEARED_BYTES);
  v.crewPrompt.crewPromptState = PROMPT_NAME_WANTED;
}

int HandleCrewKeys(KVQ_R7700& v, DWORD key, const char* kstate) {
  if (kstate != nullptr && (KEYMOD_SHIFT(kstate) || KEYMOD_CONTROL(kstate))) return 0;
  switch (key) {
    case OAPI_KEY_E:
      EvaSelectedCrew(v);
      return 1;
    case OAPI_KEY_1:
      SelectNextCrew(v);
      return 1;
    case OAPI_KEY_2:
      SelectPreviousCrew(v);
      return 1;
    case OAPI_KEY_4:
      AddCrew(v);
      return 0;
    default:
      return 0;
  }
}
