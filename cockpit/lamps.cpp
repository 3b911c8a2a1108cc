#include "cockpit/lamps.h"

#include "vessel/kvq_r7700.h"

bool ToggleLights(KVQ_R7700& v) { return !v.lightsOn; }
bool ToggleBeacons(KVQ_R7700& v) { return !v.beaconOn; }
