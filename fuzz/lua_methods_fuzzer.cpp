// Scripts calling the tractor's Lua methods with any arguments: integers
// near and far from the valid codes, fractions, strings, nil, booleans,
// tables, and calls whose first argument is not the tractor at all, between
// frames and repeated bindings. The methods raise no Lua error, keep the
// stack balanced, answer with what the state holds, and never break the
// tractor's invariants.
#include <lua.hpp>

#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/fuzz_host.h"
#include "sim/sim.h"
#include "tests/support/invariants.h"

namespace {

const char* const METHODS[] = {"speed", "mode", "transmission", "starter", "getFuel",
                               "refuel", "lights", "attachIndex", "attach", "detach"};
constexpr int METHOD_COUNT = 10;

// A vessel userdata as the host makes it: its first word is the vessel.
void PushVesselUserdata(lua_State* L, VESSEL* v) {
  auto** word = static_cast<VESSEL**>(lua_newuserdata(L, sizeof(VESSEL*)));
  *word = v;
  luaL_getmetatable(L, "VESSEL.vtable");
  lua_setmetatable(L, -2);
}

// Binds the tractor's userdata (registry slot "tug") through the vessel's
// generic message, as the host does when a script first asks for it.
void Bind(lua_State* L, KVQ_R7700& tug) {
  lua_getfield(L, LUA_REGISTRYINDEX, "fuzz.tug");
  const int top = lua_gettop(L);
  tug.clbkGeneric(2, 0, L);
  if (lua_gettop(L) != top) fuzz::Require("binding left the stack unbalanced", "binding");
  lua_pop(L, 1);
}

void PushArgument(lua_State* L, fuzz::Bytes& in) {
  const uint8_t kind = in.U8();
  switch (kind % 9) {
    case 0: case 1: case 2: lua_pushinteger(L, in.Int(-3, 3)); break;
    case 3: lua_pushnumber(L, static_cast<double>(static_cast<int8_t>(in.U8())) / 4.0); break;
    case 4: {
      double d = 0;
      uint8_t b[8];
      for (uint8_t& x : b) x = in.U8();
      std::memcpy(&d, b, sizeof d);
      // Huge or not a number: the interpreter's own conversion of those is
      // the platform's business; keep the ones it defines.
      if (!std::isfinite(d) || std::fabs(d) > 1e15) d = static_cast<double>(in.Int(-100000, 100000));
      lua_pushnumber(L, d);
      break;
    }
    case 5: {
      const std::string s = in.Text(12);
      lua_pushlstring(L, s.data(), s.size());
      break;
    }
    case 6: lua_pushnil(L); break;
    case 7: lua_pushboolean(L, in.U8() & 1); break;
    default: lua_newtable(L); break;
  }
}

void PushSelf(lua_State* L, fuzz::Bytes& in, KVQ_R7700& tug) {
  switch (in.U8() % 8) {
    case 0: lua_pushnil(L); break;
    case 1: lua_pushinteger(L, 7); break;
    case 2: PushVesselUserdata(L, oapiGetVesselInterface(oapiGetVesselByName("JetAhead"))); break;
    case 3: PushVesselUserdata(L, nullptr); break;
    case 4: lua_pushlightuserdata(L, &tug); break;
    default: lua_getfield(L, LUA_REGISTRYINDEX, "fuzz.tug"); break;
  }
}

void Call(lua_State* L, fuzz::Bytes& in, KVQ_R7700& tug) {
  const int m = in.U8() % METHOD_COUNT;
  const int top = lua_gettop(L);
  // The method as a script finds it: tug:name(...).
  lua_getfield(L, LUA_REGISTRYINDEX, "fuzz.tug");
  lua_getfield(L, -1, METHODS[m]);
  lua_remove(L, -2);
  if (!lua_isfunction(L, -1)) fuzz::Require(std::string("method missing: ") + METHODS[m], "a call");
  const bool toTug = (in.U8() % 4) != 0;
  if (toTug)
    lua_getfield(L, LUA_REGISTRYINDEX, "fuzz.tug");
  else
    PushSelf(L, in, tug);
  const int args = in.Int(0, 4);
  for (int i = 0; i < args; ++i) PushArgument(L, in);
  const int modeBefore = tug.towMode;
  if (lua_pcall(L, args + 1, LUA_MULTRET, 0) != 0) {
    const char* why = lua_tostring(L, -1);
    fuzz::Require(std::string("Lua error from ") + METHODS[m] + ": " + (why ? why : "?"), "a call");
  }
  const int results = lua_gettop(L) - top;
  if (results < 0 || results > 1) fuzz::Require(std::string("odd result count from ") + METHODS[m], "a call");
  if (results == 1 && lua_isnumber(L, -1)) {
    const double r = lua_tonumber(L, -1);
    const std::string name = METHODS[m];
    if (name == "mode" && r != tug.towMode) fuzz::Require("mode answers another towMode", "a call");
    if ((name == "attach" || name == "detach") && r != 0 && r != 1) fuzz::Require("coupling result not 0 or 1", "a call");
    if ((name == "attach" || name == "detach") && r == 0 && tug.towMode != modeBefore)
      fuzz::Require("failed coupling changed towMode", "a call");
    if (name == "attachIndex" && (r < -1 || r > 3)) fuzz::Require("attachment index out of range", "a call");
  } else if (results == 1 && toTug && !lua_isnil(L, -1)) {
    fuzz::Require(std::string("non-number result from ") + METHODS[m], "a call");
  }
  lua_settop(L, top);
  fuzz::Require(CheckTractorInvariants(tug), METHODS[m]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ShutdownAtEnd end;
  fuzz::Bytes in(data, size);
  fuzz::Restart();
  KVQ_R7700* tug = fuzz::NewTractor();
  fuzz::PlaceAirliners(*tug);
  lua_State* L = luaL_newstate();
  luaL_newmetatable(L, "VESSEL.vtable");
  lua_newtable(L);
  lua_setfield(L, -2, "__index");
  lua_pop(L, 1);
  PushVesselUserdata(L, tug);
  lua_setfield(L, LUA_REGISTRYINDEX, "fuzz.tug");
  Bind(L, *tug);

  for (int op = 0; op < 100 && !in.Empty(); ++op) {
    const uint8_t kind = in.U8();
    if (kind < 200) {
      Call(L, in, *tug);
    } else if (kind < 240) {
      const int frames = in.Int(1, 8);
      for (int i = 0; i < frames; ++i) sim::RunFrame();
      fuzz::CheckAllTractors("a frame");
    } else {
      Bind(L, *tug);
    }
  }
  lua_close(L);
  return 0;
}
