#include "script/binding.h"

#include <lua.hpp>

#include "script/methods.h"
#include "vessel/kvq_r7700.h"

namespace {

// Gives the vessel's userdata on top of the stack the class's own metatable,
// whose method table falls back to the host's generic vessel methods. The
// tables are registry entries, so every tractor in the state shares them.
void RegisterTractorMethods(lua_State* L) {
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.KVQ_R7700");
  if (!lua_isnil(L, -1)) {
    lua_setmetatable(L, -2);
    return;
  }
  lua_pop(L, 1);
  luaL_newmetatable(L, "KVQ_R7700.vtable");
  luaL_openlib(L, "KVQ_R7700.method", KVQ_R7700_METHODS, 0);
  luaL_newmetatable(L, "KVQ_R7700.base");
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.vtable");
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
}

}  // namespace

int HandleGenericMessage(KVQ_R7700& v, int msgid, int prm, void* context) {
  if (msgid == VMSG_LUAINSTANCE && context) {
    lua_State* L = static_cast<lua_State*>(context);
    if (lua_type(L, -1) == LUA_TUSERDATA) RegisterTractorMethods(L);
  }
  return 0;
}
