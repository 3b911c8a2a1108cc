// The key handler: plain, Shift and Ctrl commands, then the crew keys.
#pragma once

#include "host/types.h"

class KVQ_R7700;

int ConsumeBufferedKey(KVQ_R7700& v, DWORD key, bool down, char* kstate);
