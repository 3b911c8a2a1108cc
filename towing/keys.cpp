#include "towing/keys.h"

#include "vessel/kvq_r7700.h"

int ConsumeBufferedKey(KVQ_R7700& v, DWORD key, bool down, char* kstate) { return down ? 0 : 1; }
