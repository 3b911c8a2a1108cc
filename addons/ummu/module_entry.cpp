// Vessel module entry points of the crew vessel class.
#include <new>

#include "addons/ummu/crew_vessel.h"

DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel) {
  return new (std::nothrow) UMmuVessel(hvessel, flightmodel);
}

DLLCLBK void ovcExit(VESSEL* vessel) { delete static_cast<UMmuVessel*>(vessel); }
