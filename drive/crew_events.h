// Crew work of each step: arrivals, the hitch action areas, the add-crew
// dialogue and the crew add-on's version warning.
#pragma once

class KVQ_R7700;
struct CrewPromptBlock;

void StepCrewEvents(KVQ_R7700& v);
// Input-box callback of the add-crew dialogue; userData is the prompt block
// of a tractor, which may have been deleted since the box opened.
bool CrewPromptInput(void* id, char* text, void* userData);
// What the callback does with a text for a live tractor's prompt block:
// true when it takes the text (the box closes), false when it refuses it.
bool TakeCrewPromptText(CrewPromptBlock& p, const char* text);
// Sets the display time and returns the message buffer for the caller to fill.
char* PostMessage(KVQ_R7700& v);
