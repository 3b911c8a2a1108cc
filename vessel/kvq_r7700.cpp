#include "vessel/kvq_r7700.h"

#include "cockpit/vc.h"
#include "drive/prestep.h"
#include "script/binding.h"
#include "towing/keys.h"

KVQ_R7700::KVQ_R7700(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {
  realismMode = flightmodel;
}

KVQ_R7700::~KVQ_R7700() {
  ClearBeacons();
  ClearLightEmitters();
}

void KVQ_R7700::clbkSetClassCaps(FILEHANDLE cfg) {}
void KVQ_R7700::clbkSaveState(FILEHANDLE scn) { VESSEL2::clbkSaveState(scn); }
void KVQ_R7700::clbkLoadStateEx(FILEHANDLE scn, void* vs) {
  char* line = nullptr;
  while (oapiReadScenario_nextline(scn, line)) ParseScenarioLineEx(line, vs);
}
void KVQ_R7700::clbkPostCreation() {}
void KVQ_R7700::clbkPreStep(double simt, double simdt, double mjd) { RunPreStep(*this, simt, simdt); }
void KVQ_R7700::clbkVisualCreated(VISHANDLE vis, int refcount) { vcMesh = GetDevMesh(vis, 0); }
void KVQ_R7700::clbkVisualDestroyed(VISHANDLE vis, int refcount) { vcMesh = nullptr; }
int KVQ_R7700::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) {
  return ConsumeBufferedKey(*this, key, down, kstate);
}
bool KVQ_R7700::clbkLoadGenericCockpit() { return false; }
bool KVQ_R7700::clbkLoadVC(int id) { return LoadVC(*this, id); }
bool KVQ_R7700::clbkVCMouseEvent(int id, int event, VECTOR3& p) { return VCMouseEvent(*this, id, event, p); }
bool KVQ_R7700::clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) {
  return VCRedrawEvent(*this, id, event, surf);
}
int KVQ_R7700::clbkGeneric(int msgid, int prm, void* context) {
  return HandleGenericMessage(*this, msgid, prm, context);
}
