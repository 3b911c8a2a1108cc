#include "script/registration.h"

void RegisterTractorMethods(lua_State* L, const luaL_Reg* methods) {
  // A host that keeps its own entry for the class has the last word.
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.KVQ_R7700");
  if (!lua_isnil(L, -1)) {
    lua_setmetatable(L, -2);
    return;
  }
  lua_pop(L, 1);
  luaL_newmetatable(L, "KVQ_R7700.vtable");
  luaL_openlib(L, "KVQ_R7700.method", methods, 0);
  luaL_newmetatable(L, "KVQ_R7700.base");
  lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.vtable");
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);         // the method table's fallback
  lua_setfield(L, -2, "__index");  // the userdata's methods
  lua_setmetatable(L, -2);
}
