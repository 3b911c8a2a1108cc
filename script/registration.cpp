#include "script/registration.h"

namespace {

// The library name "KVQ_R7700.method" also names a global table. A script
// that put something else under the global name would make the
// registration raise a Lua error out of the vessel's message handler; the
// registration is then left out and the userdata keeps the host's methods.
bool LibraryNameFree(lua_State* L) {
  lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "KVQ_R7700.method");
    const bool loaded = lua_istable(L, -1);
    lua_pop(L, 2);
    if (loaded) return true;
  } else {
    lua_pop(L, 1);
  }
  lua_getglobal(L, "KVQ_R7700");
  bool free = lua_isnil(L, -1);
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "method");
    free = lua_isnil(L, -1) || lua_istable(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return free;
}

}  // namespace

void RegisterTractorMethods(lua_State* L, const luaL_Reg* methods) {
  // A host that keeps its own entry for the class has the last word.
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.KVQ_R7700");
  if (!lua_isnil(L, -1)) {
    lua_setmetatable(L, -2);
    return;
  }
  lua_pop(L, 1);
  if (!LibraryNameFree(L)) return;
  luaL_newmetatable(L, "KVQ_R7700.vtable");
  luaL_openlib(L, "KVQ_R7700.method", methods, 0);
  luaL_newmetatable(L, "KVQ_R7700.base");
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.vtable");
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);         // the method table's fallback
  lua_setfield(L, -2, "__index");  // the userdata's methods
  lua_setmetatable(L, -2);
}
