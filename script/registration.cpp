#include "script/registration.h"

#include <initializer_list>

namespace {

constexpr const char* HOST_CLASS_ENTRY = "VESSEL.KVQ_R7700";
constexpr const char* CLASS_VTABLE = "KVQ_R7700.vtable";
constexpr const char* METHOD_LIBRARY = "KVQ_R7700.method";
constexpr const char* CLASS_BASE = "KVQ_R7700.base";
constexpr const char* HOST_VTABLE = "VESSEL.vtable";
// luaL_openlib also files the library under this global and its field "method".
constexpr const char* LIBRARY_GLOBAL = "KVQ_R7700";

// Pushes t[key], read without metamethods, and returns its type; t is the
// table at a pseudo-index or a negative index.
int RawField(lua_State* L, int t, const char* key) {
  const bool relative = t < 0 && t > LUA_REGISTRYINDEX;
  lua_pushstring(L, key);
  lua_rawget(L, relative ? t - 1 : t);
  return lua_type(L, -1);
}

int PopType(lua_State* L, int type) {
  lua_pop(L, 1);
  return type;
}

bool NilOrTable(int type) { return type == LUA_TNIL || type == LUA_TTABLE; }

// Everything the registration takes from the registry and the globals has
// the type it needs. A script can store anything under these names; a
// value of another type is left alone and the registration is skipped, so
// the userdata keeps the host's generic methods.
bool RegistryUsable(lua_State* L) {
  for (const char* name : {CLASS_VTABLE, CLASS_BASE, HOST_VTABLE})
    if (!NilOrTable(PopType(L, RawField(L, LUA_REGISTRYINDEX, name)))) return false;
  const int loadedType = RawField(L, LUA_REGISTRYINDEX, "_LOADED");
  if (loadedType == LUA_TTABLE) {
    const bool loaded = RawField(L, -1, METHOD_LIBRARY) == LUA_TTABLE;
    lua_pop(L, 2);
    if (loaded) return true;  // the library is reused, the globals are not looked at
  } else if (!NilOrTable(PopType(L, loadedType))) {
    return false;
  }
  const int global = RawField(L, LUA_GLOBALSINDEX, LIBRARY_GLOBAL);
  bool usable = global == LUA_TNIL;
  if (global == LUA_TTABLE) usable = NilOrTable(PopType(L, RawField(L, -1, "method")));
  lua_pop(L, 1);
  return usable;
}

// Runs protected: a metamethod a script hung on one of these tables can
// only end the registration, never raise an error through the host.
// Argument 1 is the vessel userdata, 2 the method list.
int Register(lua_State* L) {
  const auto* methods = static_cast<const luaL_Reg*>(lua_touserdata(L, 2));
  lua_settop(L, 1);
  luaL_newmetatable(L, CLASS_VTABLE);           // 2
  luaL_openlib(L, METHOD_LIBRARY, methods, 0);  // 3: the method table
  luaL_newmetatable(L, CLASS_BASE);             // 4
  lua_pushstring(L, "__index");
  RawField(L, LUA_REGISTRYINDEX, HOST_VTABLE);
  lua_rawset(L, 4);
  lua_setmetatable(L, 3);  // the method table's fallback
  lua_pushstring(L, "__index");
  lua_pushvalue(L, 3);
  lua_rawset(L, 2);  // the userdata's methods
  lua_settop(L, 2);
  lua_setmetatable(L, 1);
  return 0;
}

}  // namespace

void RegisterTractorMethods(lua_State* L, const luaL_Reg* methods) {
  if (!lua_checkstack(L, 6)) return;
  // A host that keeps its own entry for the class has the last word.
  const int hostEntry = RawField(L, LUA_REGISTRYINDEX, HOST_CLASS_ENTRY);
  if (hostEntry == LUA_TTABLE) {
    lua_setmetatable(L, -2);
    return;
  }
  lua_pop(L, 1);
  if (hostEntry != LUA_TNIL || !RegistryUsable(L)) return;
  lua_pushcfunction(L, Register);
  lua_pushvalue(L, -2);
  lua_pushlightuserdata(L, const_cast<luaL_Reg*>(methods));
  if (lua_pcall(L, 2, 0, 0) != 0) lua_pop(L, 1);
}
