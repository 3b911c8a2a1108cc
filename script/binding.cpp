#include "script/binding.h"

#include "vessel/kvq_r7700.h"

int HandleGenericMessage(KVQ_R7700& v, int msgid, int prm, void* context) { return 0; }
