// Gives the vessel userdata on top of a Lua stack the class's own metatable,
// whose method table falls back to the host's generic vessel methods
// ("VESSEL.vtable"). The tables are registry entries: every tractor in one
// Lua state shares them, and registering again reuses them.
#pragma once

#include <lua.hpp>

void RegisterTractorMethods(lua_State* L, const luaL_Reg* methods);
