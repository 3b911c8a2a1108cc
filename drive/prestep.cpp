#include "drive/prestep.h"

#include "vessel/kvq_r7700.h"

void RunPreStep(KVQ_R7700& v, double simt, double simdt) {}
