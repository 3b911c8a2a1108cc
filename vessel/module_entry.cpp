// The library's exported entry points.
#include <new>

#include "vessel/kvq_r7700.h"

DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel) {
  return new (std::nothrow) KVQ_R7700(hvessel, flightmodel);
}

DLLCLBK void ovcExit(VESSEL* vessel) {
  if (vessel != nullptr) delete static_cast<KVQ_R7700*>(vessel);
}

DLLCLBK const char* ModuleDate() { return "Jan 21 2014"; }

DLLCLBK int GetModuleVersion() {
  static const int version = Date2Int("Aug 30 2010");
  return version;
}
