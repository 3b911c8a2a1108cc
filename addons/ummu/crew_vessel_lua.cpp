// The crew vessel's own script methods, on a metatable that falls back to
// the host's generic vessel methods.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include <lua.hpp>

#include "addons/ummu/crew_vessel.h"

namespace {

constexpr const char* VTABLE = "UMmu.vtable";
constexpr const char* METHODS = "UMmu.method";
constexpr const char* BASE = "UMmu.base";
constexpr const char* HOST_VTABLE = "VESSEL.vtable";

// A userdata's first word counts only when it is one of the host's live
// vessels: any other userdata (io.stdout, a deleted vessel's) holds
// something else there.
VESSEL* LiveVessel(const VESSEL* candidate) {
  const DWORD count = oapiGetVesselCount();
  for (DWORD i = 0; i < count; ++i) {
    VESSEL* live = oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i)));
    if (live != nullptr && live == candidate) return live;
  }
  return nullptr;
}

// The vessel a script names at idx: by its name, or by its userdata.
VESSEL* VesselAt(lua_State* L, int idx) {
  if (lua_type(L, idx) == LUA_TSTRING) {
    OBJHANDLE h = oapiGetVesselByName(lua_tostring(L, idx));
    return h != nullptr ? oapiGetVesselInterface(h) : nullptr;
  }
  if (lua_type(L, idx) != LUA_TUSERDATA || lua_objlen(L, idx) < sizeof(VESSEL*)) return nullptr;
  VESSEL* candidate = nullptr;
  std::memcpy(&candidate, lua_touserdata(L, idx), sizeof candidate);
  return candidate != nullptr ? LiveVessel(candidate) : nullptr;
}

UMmuVessel* SelfAt(lua_State* L) {
  VESSEL* v = VesselAt(L, 1);
  return v != nullptr ? dynamic_cast<UMmuVessel*>(v) : nullptr;
}

// A coordinate of walk_to: nil counts as 0; anything else but a finite
// number is an error naming the argument.
double Coordinate(lua_State* L, int idx) {
  const lua_Number n = luaL_optnumber(L, idx, 0);
  if (!std::isfinite(n)) luaL_argerror(L, idx, "the point must be given in finite numbers");
  return n;
}

// c:walk_to(ref, x, y, z): true when it moved, false when there is no
// vessel ref; nil when c is no crew vessel.
int WalkTo(lua_State* L) {
  UMmuVessel* self = SelfAt(L);
  if (self == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  const VECTOR3 point = _V(Coordinate(L, 3), Coordinate(L, 4), Coordinate(L, 5));
  VESSEL* ref = VesselAt(L, 2);
  if (ref == nullptr) {
    lua_pushboolean(L, 0);
    return 1;
  }
  self->WalkTo(*ref, point);
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

// Pushes registry[name], read without metamethods; true when it is a table
// or nil, the only values the registration can use.
bool PushRegistryTable(lua_State* L, const char* name) {
  lua_pushstring(L, name);
  lua_rawget(L, LUA_REGISTRYINDEX);
  return lua_istable(L, -1) || lua_isnil(L, -1);
}

// Runs protected, with the userdata as argument 1: a script that stored
// something else under these names, or hung a metamethod that raises on
// them, ends the registration and leaves the userdata as the host made it.
int Register(lua_State* L) {
  lua_settop(L, 1);
  for (const char* name : {VTABLE, BASE}) {
    if (!PushRegistryTable(L, name)) return 0;
    lua_pop(L, 1);
  }
  luaL_newmetatable(L, VTABLE);
  luaL_openlib(L, METHODS, METHOD_LIST, 0);
  luaL_newmetatable(L, BASE);
  // Generic methods: where the host's metatable keeps them (its __index
  // table), or the metatable itself.
  if (!PushRegistryTable(L, HOST_VTABLE)) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
  if (lua_istable(L, -1)) {
    lua_pushstring(L, "__index");
    lua_rawget(L, -2);
    if (lua_istable(L, -1))
      lua_remove(L, -2);
    else
      lua_pop(L, 1);
  }
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, 1);
  return 0;
}

}  // namespace

int UMmuVessel::clbkGeneric(int msgid, int prm, void* context) {
  if (msgid != VMSG_LUAINSTANCE || context == nullptr) return 0;
  lua_State* L = static_cast<lua_State*>(context);
  if (lua_type(L, -1) != LUA_TUSERDATA || !lua_checkstack(L, 8)) return 0;
  lua_pushcfunction(L, Register);
  lua_pushvalue(L, -2);
  if (lua_pcall(L, 1, 0, 0) != 0) lua_pop(L, 1);
  return 0;
}
