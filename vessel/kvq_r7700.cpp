#include "vessel/kvq_r7700.h"

#include "cockpit/vc.h"
#include "drive/prestep.h"
#include "script/binding.h"
#include "towing/keys.h"
#include "vessel/animations.h"
#include "vessel/definition.h"
#include "vessel/post_creation.h"
#include "vessel/scenario.h"

KVQ_R7700::KVQ_R7700(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {
  towClassList.clear();
  realismMode = flightmodel;
  actionAreaTriggered = false;
  CreateAnimations(*this);
  vcMeshTemplate = nullptr;
  vcMesh = nullptr;
}

KVQ_R7700::~KVQ_R7700() {
  DestroyAnimations(*this);
  // The host drops its references to the lamp records before they go away.
  ClearBeacons();
  ClearLightEmitters();
  towClassList.clear();
}

void KVQ_R7700::clbkSetClassCaps(FILEHANDLE cfg) { DefineVessel(*this, cfg); }

void KVQ_R7700::clbkSaveState(FILEHANDLE scn) { SaveTractorState(*this, scn); }

void KVQ_R7700::clbkLoadStateEx(FILEHANDLE scn, void* vs) { LoadTractorState(*this, scn, vs); }

void KVQ_R7700::clbkPostCreation() { PostCreate(*this); }

void KVQ_R7700::clbkPreStep(double simt, double simdt, double mjd) { RunPreStep(*this, simt, simdt); }

void KVQ_R7700::clbkVisualCreated(VISHANDLE vis, int refcount) { vcMesh = GetDevMesh(vis, 0); }

void KVQ_R7700::clbkVisualDestroyed(VISHANDLE vis, int refcount) { vcMesh = nullptr; }

int KVQ_R7700::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) {
  return ConsumeBufferedKey(*this, key, down, kstate);
}

// Only the virtual cockpit is offered.
bool KVQ_R7700::clbkLoadGenericCockpit() { return false; }

bool KVQ_R7700::clbkLoadVC(int id) { return LoadVC(*this, id); }

bool KVQ_R7700::clbkVCMouseEvent(int id, int event, VECTOR3& p) { return VCMouseEvent(*this, id, event, p); }

bool KVQ_R7700::clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) {
  return VCRedrawEvent(*this, id, event, surf);
}

int KVQ_R7700::clbkGeneric(int msgid, int prm, void* context) {
  return HandleGenericMessage(*this, msgid, prm, context);
}
