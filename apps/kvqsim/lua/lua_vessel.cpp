#include "apps/kvqsim/lua/lua_vessel.h"

#include <cmath>
#include <cstring>

#include "sim/sim.h"

namespace kvqsim {

namespace {

// Registry table: light userdata handle -> the vessel's userdata.
const char* const VESSEL_CACHE = "kvqsim.vessels";
const char* const VESSEL_VTABLE = "VESSEL.vtable";

// The runner's registry entries are read and written without metamethods,
// and a script can store anything under their names
// (debug.getregistry()): a value that is not a table is a Lua error naming
// the entry, never a table operation on another type.
int PushRegistryEntry(lua_State* L, const char* name) {
  lua_pushstring(L, name);
  lua_rawget(L, LUA_REGISTRYINDEX);
  const int type = lua_type(L, -1);
  if (type != LUA_TTABLE && type != LUA_TNIL)
    luaL_error(L, "the registry's \"%s\" is a %s, not a table", name, lua_typename(L, type));
  return type;
}

void PushCache(lua_State* L) {
  if (PushRegistryEntry(L, VESSEL_CACHE) == LUA_TNIL) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushstring(L, VESSEL_CACHE);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
  }
}

// A full userdata of this runner's size, as every vessel userdata is (a
// script can put anything into the cache table).
bool IsVesselRef(lua_State* L, int idx) {
  return lua_type(L, idx) == LUA_TUSERDATA && lua_objlen(L, idx) == sizeof(VesselRef);
}

// Pushes the cached userdata of h, or nil.
void PushCached(lua_State* L, OBJHANDLE h) {
  PushCache(L);
  lua_pushlightuserdata(L, h);
  lua_rawget(L, -2);
  lua_remove(L, -2);
  if (!IsVesselRef(L, -1)) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
}

// The methods' shared preamble: the live vessel or a nil result.
#define VESSEL_OR_NIL(L, v)  \
  VESSEL* v = ToVessel(L, 1); \
  if (!v) {                   \
    lua_pushnil(L);           \
    return 1;                 \
  }

bool ToInt(lua_State* L, int idx, int lo, int hi, int* out) {
  if (!lua_isnumber(L, idx)) return false;
  lua_Number n = lua_tonumber(L, idx);
  if (!(n >= lo && n <= hi)) return false;
  *out = static_cast<int>(n);
  return true;
}

// Thruster group and control surface ids are enums: only their range of
// values reaches the host.
bool ToThGroup(lua_State* L, int idx, THGROUP_TYPE* g) {
  int n = 0;
  if (!ToInt(L, idx, 0, 0x7F, &n)) return false;
  *g = static_cast<THGROUP_TYPE>(n);
  return true;
}

bool ToAirCtrl(lua_State* L, int idx, AIRCTRL_TYPE* s) {
  int n = 0;
  if (!ToInt(L, idx, AIRCTRL_ELEVATOR, AIRCTRL_RUDDERTRIM, &n)) return false;
  *s = static_cast<AIRCTRL_TYPE>(n);
  return true;
}

void PushName(lua_State* L, OBJHANDLE h) {
  if (!h) {
    lua_pushnil(L);
    return;
  }
  char name[256] = {0};
  oapiGetObjectName(h, name, sizeof name);
  lua_pushstring(L, name);
}

int v_get_name(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  lua_pushstring(L, v->GetName());
  return 1;
}

int v_get_classname(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  lua_pushstring(L, v->GetClassName());
  return 1;
}

int v_get_surfacepos(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  double lng = 0, lat = 0, hdg = 0;
  if (!sim::GetSurfacePos(v->GetHandle(), &lng, &lat, &hdg)) {
    lua_pushnil(L);
    return 1;
  }
  hdg = std::fmod(hdg, PI2);
  if (hdg < 0) hdg += PI2;
  lua_pushnumber(L, lng);
  lua_pushnumber(L, lat);
  lua_pushnumber(L, hdg);
  return 3;
}

int v_get_globalpos(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  VECTOR3 p{0, 0, 0};
  v->GetGlobalPos(p);
  lua_pushnumber(L, p.x);
  lua_pushnumber(L, p.y);
  lua_pushnumber(L, p.z);
  return 3;
}

int v_get_emptymass(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  lua_pushnumber(L, v->GetEmptyMass());
  return 1;
}

int v_get_thrustergrouplevel(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  THGROUP_TYPE g{};
  if (!ToThGroup(L, 2, &g)) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushnumber(L, v->GetThrusterGroupLevel(g));
  return 1;
}

// A level argument: false when it is not a number. A number that is not
// finite (nan, inf, also as a string) raises an error naming the method
// and the argument: it would reach the vessel's controls.
bool ToLevel(lua_State* L, int idx, double* level) {
  if (!lua_isnumber(L, idx)) return false;
  const lua_Number n = lua_tonumber(L, idx);
  if (!std::isfinite(n)) luaL_argerror(L, idx, "level must be a finite number");
  *level = n;
  return true;
}

int v_set_thrustergrouplevel(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  THGROUP_TYPE g{};
  double level = 0;
  if (ToLevel(L, 3, &level) && ToThGroup(L, 2, &g)) v->SetThrusterGroupLevel(g, level);
  return 0;
}

int v_set_wheelbrakelevel(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int which = 0;
  double level = 0;
  if (!ToLevel(L, 2, &level)) return 0;
  if (!lua_isnoneornil(L, 3) && !ToInt(L, 3, 0, 2, &which)) return 0;
  v->SetWheelbrakeLevel(level, which, true);
  return 0;
}

int v_get_controlsurfacelevel(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  AIRCTRL_TYPE s{};
  if (!ToAirCtrl(L, 2, &s)) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushnumber(L, v->GetControlSurfaceLevel(s));
  return 1;
}

int v_set_controlsurfacelevel(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  AIRCTRL_TYPE s{};
  double level = 0;
  if (ToLevel(L, 3, &level) && ToAirCtrl(L, 2, &s)) v->SetControlSurfaceLevel(s, level);
  return 0;
}

int v_get_attitudemode(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  lua_pushinteger(L, v->GetAttitudeMode());
  return 1;
}

int v_set_attitudemode(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int mode = 0;
  if (!ToInt(L, 2, -1000, 1000, &mode)) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushboolean(L, v->SetAttitudeMode(mode));
  return 1;
}

// send_bufferedkey(key, held...): the key state marks the key and every
// held key as down.
int v_send_bufferedkey(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int key = 0;
  if (!ToInt(L, 2, 0, 255, &key)) {
    lua_pushnil(L);
    return 1;
  }
  char kstate[256];
  std::memset(kstate, 0, sizeof kstate);
  kstate[key] = static_cast<char>(0x80);
  for (int i = 3, n = lua_gettop(L); i <= n; ++i) {
    int held = 0;
    if (ToInt(L, i, 0, 255, &held)) kstate[held] = static_cast<char>(0x80);
  }
  lua_pushinteger(L, v->SendBufferedKey(static_cast<DWORD>(key), true, kstate));
  return 1;
}

int v_get_attachmentcount(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  bool toparent = lua_isnumber(L, 2) ? lua_tonumber(L, 2) != 0 : lua_toboolean(L, 2) != 0;
  lua_pushinteger(L, static_cast<lua_Integer>(v->AttachmentCount(toparent)));
  return 1;
}

int v_get_attached(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int idx = 0;
  DWORD count = v->AttachmentCount(false);
  if (!ToInt(L, 2, 0, 1 << 20, &idx) || static_cast<DWORD>(idx) >= count) {
    lua_pushnil(L);
    return 1;
  }
  ATTACHMENTHANDLE a = v->GetAttachmentHandle(false, static_cast<DWORD>(idx));
  PushName(L, a ? v->GetAttachmentStatus(a) : nullptr);
  return 1;
}

int v_get_parent(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  PushName(L, sim::GetParent(v->GetHandle()));
  return 1;
}

int v_get_animation(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int id = 0;
  if (!ToInt(L, 2, 0, 1 << 20, &id)) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushnumber(L, v->GetAnimation(static_cast<UINT>(id)));
  return 1;
}

int v_get_beacon(lua_State* L) {
  VESSEL_OR_NIL(L, v);
  int i = 0;
  const BEACONLIGHTSPEC* b = ToInt(L, 2, 0, 1 << 20, &i) ? v->GetBeacon(static_cast<DWORD>(i)) : nullptr;
  if (!b) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushboolean(L, b->active);
  return 1;
}

int v_tostring(lua_State* L) {
  VESSEL* v = ToVessel(L, 1);
  if (v)
    lua_pushfstring(L, "vessel: %s", v->GetName());
  else
    lua_pushliteral(L, "vessel: (deleted)");
  return 1;
}

const luaL_Reg VESSEL_METHODS[] = {
    {"get_name", v_get_name},
    {"get_classname", v_get_classname},
    {"get_surfacepos", v_get_surfacepos},
    {"get_globalpos", v_get_globalpos},
    {"get_emptymass", v_get_emptymass},
    {"get_thrustergrouplevel", v_get_thrustergrouplevel},
    {"set_thrustergrouplevel", v_set_thrustergrouplevel},
    {"set_wheelbrakelevel", v_set_wheelbrakelevel},
    {"get_controlsurfacelevel", v_get_controlsurfacelevel},
    {"set_controlsurfacelevel", v_set_controlsurfacelevel},
    {"get_attitudemode", v_get_attitudemode},
    {"set_attitudemode", v_set_attitudemode},
    {"send_bufferedkey", v_send_bufferedkey},
    {"get_attachmentcount", v_get_attachmentcount},
    {"get_attached", v_get_attached},
    {"get_parent", v_get_parent},
    {"get_animation", v_get_animation},
    {"get_beacon", v_get_beacon},
    {nullptr, nullptr},
};

}  // namespace

void RegisterVesselType(lua_State* L) {
  // The methods live in the metatable itself, whose "__index" is itself:
  // a vessel's own method table can fall back to "VESSEL.vtable" directly.
  luaL_newmetatable(L, VESSEL_VTABLE);
  luaL_register(L, nullptr, VESSEL_METHODS);
  lua_pushvalue(L, -1);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, v_tostring);
  lua_setfield(L, -2, "__tostring");
  lua_pop(L, 1);
  PushCache(L);
  lua_pop(L, 1);
}

VESSEL* ToVessel(lua_State* L, int idx) {
  if (idx < 0 && idx > LUA_REGISTRYINDEX) idx = lua_gettop(L) + idx + 1;
  // The size first: a smaller userdata (io.stdout, newproxy()) has no
  // second word to read.
  if (!IsVesselRef(L, idx)) return nullptr;
  auto* ref = static_cast<VesselRef*>(lua_touserdata(L, idx));
  // Still the host's: a vessel deleted while a broken registry kept the
  // runner from forgetting its userdata is not reached.
  if (!ref->vessel || oapiGetVesselInterface(ref->handle) != ref->vessel) return nullptr;
  // Only a userdata this runner made, for a vessel that still lives.
  PushCached(L, ref->handle);
  bool ours = lua_rawequal(L, -1, idx) != 0;
  lua_pop(L, 1);
  return ours ? ref->vessel : nullptr;
}

void PushVessel(lua_State* L, OBJHANDLE h) {
  VESSEL* v = h ? oapiGetVesselInterface(h) : nullptr;
  if (!v) {
    lua_pushnil(L);
    return;
  }
  PushCached(L, h);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    auto* ref = static_cast<VesselRef*>(lua_newuserdata(L, sizeof(VesselRef)));
    ref->vessel = v;
    ref->handle = h;
    PushRegistryEntry(L, VESSEL_VTABLE);  // nil leaves the userdata without one
    lua_setmetatable(L, -2);
    PushCache(L);
    lua_pushlightuserdata(L, h);
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_pop(L, 1);
  }
  int top = lua_gettop(L);
  if (auto* v3 = dynamic_cast<VESSEL3*>(v)) v3->clbkGeneric(VMSG_LUAINSTANCE, 0, L);
  // Whatever the vessel left on the stack, the result is its userdata.
  lua_settop(L, top - 1);
  PushCached(L, h);
}

namespace {

// Runs protected (argument 1: the handle as a light userdata).
int Forget(lua_State* L) {
  auto* h = static_cast<OBJHANDLE>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  PushCache(L);
  lua_pushlightuserdata(L, h);
  lua_rawget(L, -2);
  if (IsVesselRef(L, -1)) {
    auto* ref = static_cast<VesselRef*>(lua_touserdata(L, -1));
    ref->vessel = nullptr;
    ref->handle = nullptr;
  }
  lua_pop(L, 1);
  lua_pushlightuserdata(L, h);
  lua_pushnil(L);
  lua_rawset(L, -3);
  lua_pop(L, 1);
  return 0;
}

}  // namespace

bool ForgetVessel(lua_State* L, OBJHANDLE h, std::string* error) {
  if (lua_cpcall(L, Forget, h) == 0) return true;
  const char* message = lua_tostring(L, -1);
  *error = message != nullptr ? message : "(error object is not a string)";
  lua_pop(L, 1);
  return false;
}

}  // namespace kvqsim
