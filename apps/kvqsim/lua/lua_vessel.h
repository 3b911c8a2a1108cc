// Vessels as Lua userdata. The userdata's first word is the host's VESSEL
// pointer, which a vessel module's own script methods read; its metatable is
// the registry's "VESSEL.vtable" until the vessel gives it one of its own.
#pragma once

#include <string>

#include <lua.hpp>

#include "host/orbiterapi.h"

namespace kvqsim {

struct VesselRef {
  VESSEL* vessel;    // first word, read by vessel modules; null once deleted
  OBJHANDLE handle;
};

// Creates "VESSEL.vtable" with the generic vessel methods.
void RegisterVesselType(lua_State* L);

// Pushes the vessel's userdata (one per vessel while it lives) and hands it
// to the vessel: clbkGeneric(2, 0, L) with the userdata on top. Pushes nil
// for a null handle.
void PushVessel(lua_State* L, OBJHANDLE h);

// The vessel is about to be deleted: its userdata stops reaching it. Runs
// protected; false with the Lua error's message (a registry entry a script
// broke).
bool ForgetVessel(lua_State* L, OBJHANDLE h, std::string* error);

// The live vessel behind the userdata at idx, or null (deleted, or not a
// vessel userdata).
VESSEL* ToVessel(lua_State* L, int idx);

}  // namespace kvqsim
