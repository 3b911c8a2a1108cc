// The crew vessel's own script methods, on a metatable that falls back to
// the host's generic vessel methods.
#include <lua.hpp>

#include "addons/ummu/crew_vessel.h"

namespace {

constexpr const char* VTABLE = "UMmu.vtable";
constexpr const char* METHODS = "UMmu.method";
constexpr const char* BASE = "UMmu.base";
constexpr const char* HOST_VTABLE = "VESSEL.vtable";

// The vessel interface in the userdata's first word, or null.
VESSEL* VesselAt(lua_State* L, int idx) {
  if (lua_type(L, idx) == LUA_TSTRING) {
    OBJHANDLE h = oapiGetVesselByName(lua_tostring(L, idx));
    return h != nullptr ? oapiGetVesselInterface(h) : nullptr;
  }
  if (lua_type(L, idx) != LUA_TUSERDATA || lua_objlen(L, idx) < sizeof(VESSEL*)) return nullptr;
  return *static_cast<VESSEL**>(lua_touserdata(L, idx));
}

UMmuVessel* SelfAt(lua_State* L) {
  VESSEL* v = VesselAt(L, 1);
  return v != nullptr ? dynamic_cast<UMmuVessel*>(v) : nullptr;
}

// c:walk_to(ref, x, y, z): true when it moved.
int WalkTo(lua_State* L) {
  UMmuVessel* self = SelfAt(L);
  VESSEL* ref = VesselAt(L, 2);
  if (self == nullptr || ref == nullptr) {
    lua_pushboolean(L, 0);
    return 1;
  }
  self->WalkTo(*ref, _V(lua_tonumber(L, 3), lua_tonumber(L, 4), lua_tonumber(L, 5)));
  lua_pushboolean(L, 1);
  return 1;
}

// c:activate_area(): the activated area's id, or nil.
int ActivateArea(lua_State* L) {
  UMmuVessel* self = SelfAt(L);
  const int id = self != nullptr ? self->ActivateArea() : -1;
  if (id < 0)
    lua_pushnil(L);
  else
    lua_pushinteger(L, id);
  return 1;
}

// c:record(): name, suit mesh, age, pulse and weight it was created with.
int Record(lua_State* L) {
  UMmuVessel* self = SelfAt(L);
  if (self == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushstring(L, self->record.name);
  lua_pushstring(L, self->record.mesh);
  lua_pushinteger(L, self->record.age);
  lua_pushinteger(L, self->record.pulse);
  lua_pushinteger(L, self->record.weight);
  return 5;
}

const luaL_Reg METHOD_LIST[] = {
    {"walk_to", WalkTo}, {"activate_area", ActivateArea}, {"record", Record}, {nullptr, nullptr}};

}  // namespace

int UMmuVessel::clbkGeneric(int msgid, int prm, void* context) {
  if (msgid != VMSG_LUAINSTANCE || context == nullptr) return 0;
  lua_State* L = static_cast<lua_State*>(context);
  if (lua_type(L, -1) != LUA_TUSERDATA) return 0;
  luaL_newmetatable(L, VTABLE);
  luaL_openlib(L, METHODS, METHOD_LIST, 0);
  luaL_newmetatable(L, BASE);
  // Generic methods: where the host's metatable keeps them (its __index
  // table), or the metatable itself.
  lua_getfield(L, LUA_REGISTRYINDEX, HOST_VTABLE);
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "__index");
    if (lua_istable(L, -1))
      lua_remove(L, -2);
    else
      lua_pop(L, 1);
  }
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  return 0;
}
