#include "cockpit/vc.h"

#include "vessel/kvq_r7700.h"

bool LoadVC(KVQ_R7700& v, int id) { return false; }
bool VCMouseEvent(KVQ_R7700& v, int id, int event, const VECTOR3& p) { return false; }
bool VCRedrawEvent(KVQ_R7700& v, int id, int event, SURFHANDLE surf) { return false; }
void DisplayKeyPressed(KVQ_R7700& v, int id) {}
bool DrawStatusDisplay(KVQ_R7700& v, SURFHANDLE surf) { return true; }
