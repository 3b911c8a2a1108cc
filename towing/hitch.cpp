#include "towing/hitch.h"

#include "vessel/kvq_r7700.h"

bool CoupleTowbar(KVQ_R7700& v, bool front, bool attach) { return false; }
bool CoupleVessel(KVQ_R7700& v, bool front, bool attach) { return false; }
