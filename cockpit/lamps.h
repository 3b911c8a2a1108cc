// The two lamp switches. Each returns the new value; the caller stores it.
#pragma once

class KVQ_R7700;

bool ToggleLights(KVQ_R7700& v);
bool ToggleBeacons(KVQ_R7700& v);
