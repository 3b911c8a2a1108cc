// The tractor's Lua methods, in registration order.
#pragma once

#include <lua.hpp>

extern const luaL_Reg KVQ_R7700_METHODS[];

// The tractor a method was called on, or null when its first argument is not
// the userdata of a live vessel of this class.
class KVQ_R7700;
KVQ_R7700* ScriptTractor(lua_State* L);
