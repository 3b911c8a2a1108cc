// The registration of the tractor's methods on a bare Lua state: registry
// tables, fallback to the host's vessel methods, reuse, a host's own entry,
// and whatever else a script stored under the names it reads.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <string>

#include "script/registration.h"

namespace {

int Answer(lua_State* L) {
  lua_pushnumber(L, 42);
  return 1;
}

const luaL_Reg METHODS[] = {{"answer", Answer}, {nullptr, nullptr}};

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
    // The host's vessel metatable holds its generic methods itself and is
    // its own __index.
    luaL_newmetatable(L, "VESSEL.vtable");
    Run("return function() return 'generic' end");
    lua_setfield(L, -2, "get_name");
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
    lua_setglobal(L, "hostmt");
  }
  void TearDown() override { lua_close(L); }

  void Run(const char* chunk) {
    ASSERT_EQ(luaL_loadstring(L, chunk), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
  }

  // A vessel userdata as the host hands it over, stored in global `name`.
  void NewVessel(const char* name) {
    MakeVessel(name);
    Bind(name);
  }
  void MakeVessel(const char* name) {
    lua_pushstring(L, name);
    void** ud = static_cast<void**>(lua_newuserdata(L, sizeof(void*)));
    *ud = nullptr;
    luaL_getmetatable(L, "VESSEL.vtable");
    lua_setmetatable(L, -2);
    lua_rawset(L, LUA_GLOBALSINDEX);
  }
  // On a fresh state, a vessel "t" bound after a script ran `setup`.
  void BindAfter(const char* setup) {
    TearDown();
    SetUp();
    MakeVessel("t");
    Run((std::string(setup) + "; return true").c_str());
    lua_pop(L, 1);
    Bind("t");
  }
  // The host's message 2 with the userdata of global `name` on top.
  void Bind(const char* name) {
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
    const int top = lua_gettop(L);
    RegisterTractorMethods(L, METHODS);
    EXPECT_EQ(lua_gettop(L), top) << "the stack is left as it was";
    lua_pop(L, 1);
  }

  bool Check(const char* expression) {
    const std::string chunk = std::string("return ") + expression;
    if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
      ADD_FAILURE() << lua_tostring(L, -1);
      lua_pop(L, 1);
      return false;
    }
    const bool result = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return result;
  }

  lua_State* L = nullptr;
};

TEST_F(Registration, UserdataGetsTheClassTablesWithTheHostsMethodsBehind) {
  NewVessel("t");
  EXPECT_TRUE(Check("getmetatable(t) == debug.getregistry()['KVQ_R7700.vtable']"));
  EXPECT_TRUE(Check("t:answer() == 42"));
  EXPECT_TRUE(Check("t:get_name() == 'generic'"));
  EXPECT_TRUE(Check("rawget(getmetatable(t).__index, 'get_name') == nil"));
  EXPECT_TRUE(Check("getmetatable(getmetatable(t).__index) == debug.getregistry()['KVQ_R7700.base']"));
  EXPECT_TRUE(Check("debug.getregistry()['KVQ_R7700.base'].__index == debug.getregistry()['VESSEL.vtable']"));
  EXPECT_TRUE(Check("KVQ_R7700.method == getmetatable(t).__index"));
  EXPECT_TRUE(Check("debug.getregistry()['VESSEL.KVQ_R7700'] == nil"));
}

TEST_F(Registration, SecondVesselSharesTheSameTables) {
  NewVessel("a");
  NewVessel("b");
  EXPECT_TRUE(Check("getmetatable(a) == getmetatable(b)"));
  EXPECT_TRUE(Check("getmetatable(a).__index == getmetatable(b).__index"));
  EXPECT_TRUE(Check("b:answer() == 42 and b:get_name() == 'generic'"));
}

TEST_F(Registration, HostsOwnClassEntryIsUsedInstead) {
  Run("local mt = {__index = {own = function() return 'own' end}}; "
      "debug.getregistry()['VESSEL.KVQ_R7700'] = mt; return mt");
  lua_pop(L, 1);
  NewVessel("t");
  EXPECT_TRUE(Check("t:own() == 'own'"));
  EXPECT_TRUE(Check("debug.getregistry()['KVQ_R7700.vtable'] == nil"));
}

TEST_F(Registration, ValuesOfTheWrongTypeLeaveTheHostsMethodsAndRaiseNothing) {
  // Each set-up stores something a script could under a name the
  // registration reads; the vessel keeps the host's metatable.
  const char* setups[] = {
      "debug.getregistry()['VESSEL.KVQ_R7700'] = 42",
      "debug.getregistry()['VESSEL.KVQ_R7700'] = 'a string'",
      "debug.getregistry()['KVQ_R7700.vtable'] = 7",
      "debug.getregistry()['KVQ_R7700.base'] = 'x'",
      "debug.getregistry()['VESSEL.vtable'] = true",
      "KVQ_R7700 = 5",
      "KVQ_R7700 = {method = 'taken'}",
      "debug.getregistry()._LOADED = 1",
  };
  for (const char* setup : setups) {
    BindAfter(setup);
    EXPECT_TRUE(Check("getmetatable(t) == hostmt and t.answer == nil")) << setup;
  }
}

TEST_F(Registration, AMetamethodThatRaisesEndsTheRegistrationQuietly) {
  const char* setups[] = {
      "KVQ_R7700 = setmetatable({}, {__index = function() error('boom') end, "
      "__newindex = function() error('boom') end})",
      "setmetatable(_G, {__newindex = function() error('no new globals') end})",
      "setmetatable(package.loaded, {__index = function() error('boom') end})",
  };
  for (const char* setup : setups) {
    BindAfter(setup);
    EXPECT_TRUE(Check("t:get_name() == 'generic'")) << setup;
  }
}

}  // namespace
