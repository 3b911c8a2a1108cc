#include "apps/kvqsim/lua/lua_api.h"

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "apps/kvqsim/lua/lua_vessel.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

ScriptWait g_wait;

struct NamedValue {
  const char* name;
  int value;
};

// Every key code of the host; digits are K0..K9.
const NamedValue KEY_CODES[] = {
    {"ESCAPE", OAPI_KEY_ESCAPE},
    {"K1", OAPI_KEY_1},
    {"K2", OAPI_KEY_2},
    {"K3", OAPI_KEY_3},
    {"K4", OAPI_KEY_4},
    {"K5", OAPI_KEY_5},
    {"K6", OAPI_KEY_6},
    {"K7", OAPI_KEY_7},
    {"K8", OAPI_KEY_8},
    {"K9", OAPI_KEY_9},
    {"K0", OAPI_KEY_0},
    {"MINUS", OAPI_KEY_MINUS},
    {"EQUALS", OAPI_KEY_EQUALS},
    {"BACK", OAPI_KEY_BACK},
    {"TAB", OAPI_KEY_TAB},
    {"Q", OAPI_KEY_Q},
    {"W", OAPI_KEY_W},
    {"E", OAPI_KEY_E},
    {"R", OAPI_KEY_R},
    {"T", OAPI_KEY_T},
    {"Y", OAPI_KEY_Y},
    {"U", OAPI_KEY_U},
    {"I", OAPI_KEY_I},
    {"O", OAPI_KEY_O},
    {"P", OAPI_KEY_P},
    {"LBRACKET", OAPI_KEY_LBRACKET},
    {"RBRACKET", OAPI_KEY_RBRACKET},
    {"RETURN", OAPI_KEY_RETURN},
    {"LCONTROL", OAPI_KEY_LCONTROL},
    {"A", OAPI_KEY_A},
    {"S", OAPI_KEY_S},
    {"D", OAPI_KEY_D},
    {"F", OAPI_KEY_F},
    {"G", OAPI_KEY_G},
    {"H", OAPI_KEY_H},
    {"J", OAPI_KEY_J},
    {"K", OAPI_KEY_K},
    {"L", OAPI_KEY_L},
    {"SEMICOLON", OAPI_KEY_SEMICOLON},
    {"APOSTROPHE", OAPI_KEY_APOSTROPHE},
    {"GRAVE", OAPI_KEY_GRAVE},
    {"LSHIFT", OAPI_KEY_LSHIFT},
    {"BACKSLASH", OAPI_KEY_BACKSLASH},
    {"Z", OAPI_KEY_Z},
    {"X", OAPI_KEY_X},
    {"C", OAPI_KEY_C},
    {"V", OAPI_KEY_V},
    {"B", OAPI_KEY_B},
    {"N", OAPI_KEY_N},
    {"M", OAPI_KEY_M},
    {"COMMA", OAPI_KEY_COMMA},
    {"PERIOD", OAPI_KEY_PERIOD},
    {"SLASH", OAPI_KEY_SLASH},
    {"RSHIFT", OAPI_KEY_RSHIFT},
    {"MULTIPLY", OAPI_KEY_MULTIPLY},
    {"LALT", OAPI_KEY_LALT},
    {"SPACE", OAPI_KEY_SPACE},
    {"CAPITAL", OAPI_KEY_CAPITAL},
    {"F1", OAPI_KEY_F1},
    {"F2", OAPI_KEY_F2},
    {"F3", OAPI_KEY_F3},
    {"F4", OAPI_KEY_F4},
    {"F5", OAPI_KEY_F5},
    {"F6", OAPI_KEY_F6},
    {"F7", OAPI_KEY_F7},
    {"F8", OAPI_KEY_F8},
    {"F9", OAPI_KEY_F9},
    {"F10", OAPI_KEY_F10},
    {"RCONTROL", OAPI_KEY_RCONTROL},
    {"RALT", OAPI_KEY_RALT},
};

const NamedValue THGROUPS[] = {{"MAIN", THGROUP_MAIN}, {"RETRO", THGROUP_RETRO}, {"HOVER", THGROUP_HOVER},
                               {"USER", THGROUP_USER}};
const NamedValue AIRCTRLS[] = {{"ELEVATOR", AIRCTRL_ELEVATOR}, {"RUDDER", AIRCTRL_RUDDER},
                               {"AILERON", AIRCTRL_AILERON},   {"FLAP", AIRCTRL_FLAP},
                               {"ELEVATORTRIM", AIRCTRL_ELEVATORTRIM}, {"RUDDERTRIM", AIRCTRL_RUDDERTRIM}};
const NamedValue PANEL_MOUSE_FLAGS[] = {{"LBDOWN", PANEL_MOUSE_LBDOWN},       {"RBDOWN", PANEL_MOUSE_RBDOWN},
                                        {"LBUP", PANEL_MOUSE_LBUP},           {"RBUP", PANEL_MOUSE_RBUP},
                                        {"LBPRESSED", PANEL_MOUSE_LBPRESSED}, {"RBPRESSED", PANEL_MOUSE_RBPRESSED}};

template <size_t N>
void SetConstants(lua_State* L, const char* table, const NamedValue (&values)[N]) {
  lua_newtable(L);
  for (const NamedValue& nv : values) {
    lua_pushinteger(L, nv.value);
    lua_setfield(L, -2, nv.name);
  }
  lua_setglobal(L, table);
}

OBJHANDLE VesselByName(lua_State* L, int idx) {
  const char* name = lua_tostring(L, idx);
  return name ? oapiGetVesselByName(name) : nullptr;
}

double PlanetRadius() { return oapiGetSize(sim::GetPlanet()); }

double FieldNumber(lua_State* L, int table, const char* key, double fallback, bool* present = nullptr) {
  lua_getfield(L, table, key);
  bool has = lua_isnumber(L, -1) != 0;
  double v = has ? lua_tonumber(L, -1) : fallback;
  lua_pop(L, 1);
  if (present) *present = has;
  return v;
}

// The first of the named fields of st that is a number but not a finite
// one, or null.
const char* NonFiniteField(lua_State* L, int table, std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    bool present = false;
    if (!std::isfinite(FieldNumber(L, table, key, 0, &present)) && present) return key;
  }
  return nullptr;
}

double WrapAngle(double a) {
  a = std::fmod(a, PI2);
  return a < 0 ? a + PI2 : a;
}

// --- oapi ---

int oapi_get_simtime(lua_State* L) {
  lua_pushnumber(L, oapiGetSimTime());
  return 1;
}

int oapi_get_simstep(lua_State* L) {
  lua_pushnumber(L, oapiGetSimStep());
  return 1;
}

int oapi_get_systime(lua_State* L) {
  lua_pushnumber(L, oapiGetSysTime());
  return 1;
}

int oapi_get_size(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  OBJHANDLE h = oapiGetObjectByName(name);
  if (!h) {
    char planet[64] = {0};
    oapiGetObjectName(sim::GetPlanet(), planet, sizeof planet);
    if (sim::GetPlanet() && std::string(planet) == name) h = sim::GetPlanet();
  }
  if (!h) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushnumber(L, oapiGetSize(h));
  return 1;
}

int oapi_get_debugstring(lua_State* L) {
  const char* s = sim::DebugString();
  lua_pushstring(L, s ? s : "");
  return 1;
}

// create_vessel(name, class, st): st = {lng=, lat=, hdg=} in degrees, or
// {ref=name, x=, z=, hdg=} in metres and degrees relative to vessel ref.
int oapi_create_vessel(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* cls = luaL_checkstring(L, 2);
  luaL_checktype(L, 3, LUA_TTABLE);
  if (const char* key = NonFiniteField(L, 3, {"lng", "lat", "hdg", "x", "z"})) {
    lua_pushnil(L);
    lua_pushfstring(L, "create_vessel: '%s' of '%s' must be a finite number", key, name);
    return 2;
  }
  double lng = 0, lat = 0, hdg = 0;
  lua_getfield(L, 3, "ref");
  const char* refName = lua_tostring(L, -1);
  lua_pop(L, 1);
  if (refName) {
    OBJHANDLE ref = oapiGetVesselByName(refName);
    double rlng = 0, rlat = 0, rhdg = 0;
    if (!ref || !sim::GetSurfacePos(ref, &rlng, &rlat, &rhdg)) {
      lua_pushnil(L);
      lua_pushfstring(L, "create_vessel: no vessel '%s' to place '%s' by", refName, name);
      return 2;
    }
    double x = FieldNumber(L, 3, "x", 0), z = FieldNumber(L, 3, "z", 0);
    double east = x * std::cos(rhdg) + z * std::sin(rhdg);
    double north = -x * std::sin(rhdg) + z * std::cos(rhdg);
    double r = PlanetRadius();
    lat = rlat + north / r;
    lng = rlng + east / (r * std::cos(rlat));
    hdg = WrapAngle(rhdg + FieldNumber(L, 3, "hdg", 0) * RAD);
  } else {
    bool hasLng = false, hasLat = false;
    lng = FieldNumber(L, 3, "lng", 0, &hasLng) * RAD;
    lat = FieldNumber(L, 3, "lat", 0, &hasLat) * RAD;
    hdg = WrapAngle(FieldNumber(L, 3, "hdg", 0) * RAD);
    if (!hasLng || !hasLat) {
      lua_pushnil(L);
      lua_pushfstring(L, "create_vessel: '%s' needs {lng=, lat=, hdg=} or {ref=, x=, z=, hdg=}", name);
      return 2;
    }
  }
  OBJHANDLE h = nullptr;
  bool failed = false;
  {
    std::string error;
    h = sim::CreateLandedVessel(name, cls, lng, lat, hdg, &error);
    if (!h) {
      lua_pushnil(L);
      lua_pushstring(L, error.empty() ? "create_vessel failed" : error.c_str());
      failed = true;
    }
  }
  if (failed) return 2;
  PushVessel(L, h);
  return 1;
}

int oapi_delete_vessel(lua_State* L) {
  OBJHANDLE h = VesselByName(L, 1);
  lua_pushboolean(L, h && oapiDeleteVessel(h));
  return 1;
}

int oapi_get_focus(lua_State* L) {
  OBJHANDLE h = oapiGetFocusObject();
  if (!h) {
    lua_pushnil(L);
    return 1;
  }
  char name[256] = {0};
  oapiGetObjectName(h, name, sizeof name);
  lua_pushstring(L, name);
  return 1;
}

int oapi_set_focus(lua_State* L) {
  OBJHANDLE h = VesselByName(L, 1);
  if (h) oapiSetFocusObject(h);
  lua_pushboolean(L, h && oapiGetFocusObject() == h);
  return 1;
}

int oapi_save_scenario(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  bool ok = false;
  int results = 1;
  {
    std::string error;
    ok = sim::SaveScenario(path, &error);
    lua_pushboolean(L, ok);
    if (!ok && !error.empty()) {
      lua_pushstring(L, error.c_str());
      results = 2;
    }
  }
  return results;
}

int oapi_inputbox_title(lua_State* L) {
  const char* title = sim::InputBoxOpen() ? sim::InputBoxTitle() : nullptr;
  if (title)
    lua_pushstring(L, title);
  else
    lua_pushnil(L);
  return 1;
}

int oapi_inputbox_enter(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  if (!sim::InputBoxOpen()) {
    lua_pushnil(L);
    lua_pushliteral(L, "no input box is open");
    return 2;
  }
  lua_pushboolean(L, sim::InputBoxEnter(text));
  return 1;
}

int oapi_inputbox_cancel(lua_State* L) {
  if (sim::InputBoxOpen()) sim::InputBoxCancel();
  return 0;
}

int oapi_set_visual(lua_State* L) {
  OBJHANDLE h = VesselByName(L, 1);
  if (h) sim::SetVisual(h, lua_toboolean(L, 2) != 0);
  lua_pushboolean(L, h != nullptr);
  return 1;
}

int oapi_vc_enter(lua_State* L) {
  lua_pushboolean(L, sim::VCEnter(static_cast<int>(luaL_checkinteger(L, 1))));
  return 1;
}

int oapi_vc_click(lua_State* L) {
  int area = static_cast<int>(luaL_checkinteger(L, 1));
  int event = static_cast<int>(luaL_checkinteger(L, 2));
  double x = luaL_optnumber(L, 3, 0.0), y = luaL_optnumber(L, 4, 0.0);
  lua_pushboolean(L, sim::VCClick(area, event, x, y));
  return 1;
}

int oapi_vc_text(lua_State* L) {
  int area = static_cast<int>(luaL_checkinteger(L, 1));
  lua_newtable(L);
  std::vector<std::string> texts = sim::VCTexts(area);
  for (size_t i = 0; i < texts.size(); ++i) {
    lua_pushstring(L, texts[i].c_str());
    lua_rawseti(L, -2, static_cast<int>(i + 1));
  }
  return 1;
}

// --- vessel ---

int vessel_get_count(lua_State* L) {
  lua_pushinteger(L, static_cast<lua_Integer>(oapiGetVesselCount()));
  return 1;
}

int vessel_get_interface(lua_State* L) {
  OBJHANDLE h = nullptr;
  if (lua_type(L, 1) == LUA_TNUMBER) {
    lua_Number i = lua_tonumber(L, 1);
    if (i >= 0 && i < static_cast<lua_Number>(oapiGetVesselCount()) && i == std::floor(i))
      h = oapiGetVesselByIndex(static_cast<int>(i));
  } else if (lua_type(L, 1) == LUA_TSTRING) {
    h = oapiGetVesselByName(lua_tostring(L, 1));
  }
  PushVessel(L, h);
  return 1;
}

// --- proc: the script's coroutine yields and the runner resumes it ---

bool Reached(double simt, double t) { return simt >= t - 1e-9 * (1.0 + std::fabs(t)); }

int proc_skip(lua_State* L) {
  g_wait.kind = ScriptWait::FRAME;
  return lua_yield(L, 0);
}

int WaitUntil(lua_State* L, double t) {
  if (Reached(oapiGetSimTime(), t)) return 0;
  g_wait.kind = ScriptWait::TIME;
  g_wait.until = t;
  return lua_yield(L, 0);
}

// A wait that could never end (not a number, infinite, or backwards) is a
// Lua error naming the function: without --until the run would hang.
int proc_wait_simdt(lua_State* L) {
  const lua_Number dt = luaL_checknumber(L, 1);
  if (!std::isfinite(dt) || dt < 0)
    return luaL_error(L, "proc.wait_simdt(%f): the wait must be a finite number of seconds, 0 or more", dt);
  return WaitUntil(L, oapiGetSimTime() + dt);
}

int proc_wait_simtime(lua_State* L) {
  const lua_Number t = luaL_checknumber(L, 1);
  if (!std::isfinite(t)) return luaL_error(L, "proc.wait_simtime(%f): the time must be a finite number", t);
  return WaitUntil(L, t);
}

const luaL_Reg OAPI_FUNCTIONS[] = {
    {"get_simtime", oapi_get_simtime},
    {"get_simstep", oapi_get_simstep},
    {"get_systime", oapi_get_systime},
    {"get_size", oapi_get_size},
    {"get_debugstring", oapi_get_debugstring},
    {"create_vessel", oapi_create_vessel},
    {"delete_vessel", oapi_delete_vessel},
    {"get_focus", oapi_get_focus},
    {"set_focus", oapi_set_focus},
    {"save_scenario", oapi_save_scenario},
    {"inputbox_title", oapi_inputbox_title},
    {"inputbox_enter", oapi_inputbox_enter},
    {"inputbox_cancel", oapi_inputbox_cancel},
    {"set_visual", oapi_set_visual},
    {"vc_enter", oapi_vc_enter},
    {"vc_click", oapi_vc_click},
    {"vc_text", oapi_vc_text},
    {nullptr, nullptr},
};

const luaL_Reg VESSEL_FUNCTIONS[] = {
    {"get_count", vessel_get_count},
    {"get_interface", vessel_get_interface},
    {nullptr, nullptr},
};

const luaL_Reg PROC_FUNCTIONS[] = {
    {"skip", proc_skip},
    {"wait_simdt", proc_wait_simdt},
    {"wait_simtime", proc_wait_simtime},
    {nullptr, nullptr},
};

}  // namespace

ScriptWait& CurrentWait() { return g_wait; }

bool WaitIsOver(const ScriptWait& w, double simt) {
  return w.kind == ScriptWait::TIME ? Reached(simt, w.until) : true;
}

void RegisterHostApi(lua_State* L) {
  SetConstants(L, "OAPI_KEY", KEY_CODES);
  SetConstants(L, "THGROUP", THGROUPS);
  SetConstants(L, "AIRCTRL", AIRCTRLS);
  SetConstants(L, "PANEL_MOUSE", PANEL_MOUSE_FLAGS);
  luaL_register(L, "oapi", OAPI_FUNCTIONS);
  luaL_register(L, "vessel", VESSEL_FUNCTIONS);
  luaL_register(L, "proc", PROC_FUNCTIONS);
  lua_pop(L, 3);
  RegisterVesselType(L);
}

}  // namespace kvqsim
