#include "towing/crew_keys.h"

#include "vessel/kvq_r7700.h"

void EvaSelectedCrew(KVQ_R7700& v) {}
void SelectNextCrew(KVQ_R7700& v) {}
void SelectPreviousCrew(KVQ_R7700& v) {}
void AddCrew(KVQ_R7700& v) {}
int HandleCrewKeys(KVQ_R7700& v, DWORD key, const char* kstate) { return 0; }
