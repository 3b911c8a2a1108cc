#include "drive/crew_events.h"

#include "vessel/kvq_r7700.h"

void StepCrewEvents(KVQ_R7700& v) {}
bool CrewPromptInput(void* id, char* text, void* userData) { return false; }
char* PostMessage(KVQ_R7700& v) {
  v.messageTime = 15.0;
  return v.messageText;
}
