// The virtual cockpit: positions, clickable areas, mouse and redraw events.
#pragma once

#include "host/types.h"

class KVQ_R7700;

constexpr int STATUS_DISPLAY = 3;

bool LoadVC(KVQ_R7700& v, int id);
bool VCMouseEvent(KVQ_R7700& v, int id, int event, const VECTOR3& p);
bool VCRedrawEvent(KVQ_R7700& v, int id, int event, SURFHANDLE surf);
void DisplayKeyPressed(KVQ_R7700& v, int id);
bool DrawStatusDisplay(KVQ_R7700& v, SURFHANDLE surf);
