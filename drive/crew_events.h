// Crew work of each step: arrivals, the hitch action areas, the add-crew
// dialogue and the crew add-on's version warning.
#pragma once

class KVQ_R7700;

void StepCrewEvents(KVQ_R7700& v);
// Input-box callback of the add-crew dialogue; userData is the prompt block.
bool CrewPromptInput(void* id, char* text, void* userData);
// Sets the display time and returns the message buffer for the caller to fill.
char* PostMessage(KVQ_R7700& v);
