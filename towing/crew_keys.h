// The crew keys, the last step of the key handler.
#pragma once

#include "host/types.h"

class KVQ_R7700;

void EvaSelectedCrew(KVQ_R7700& v);
void SelectNextCrew(KVQ_R7700& v);
void SelectPreviousCrew(KVQ_R7700& v);
void AddCrew(KVQ_R7700& v);
// Step 4 of the key handler: the result the key handler returns.
int HandleCrewKeys(KVQ_R7700& v, DWORD key, const char* kstate);
