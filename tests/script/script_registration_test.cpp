// The registration of the tractor's methods on a bare Lua state: registry
// tables, fallback to the host's vessel methods, reuse, and a host's own entry.
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
    lua_pop(L, 1);
  }
  void TearDown() override { lua_close(L); }

  void Run(const char* chunk) {
    ASSERT_EQ(luaL_loadstring(L, chunk), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
  }

  // A vessel userdata as the host hands it over, stored in global `name`.
  void NewVessel(const char* name) {
    void** ud = static_cast<void**>(lua_newuserdata(L, sizeof(void*)));
    *ud = nullptr;
    luaL_getmetatable(L, "VESSEL.vtable");
    lua_setmetatable(L, -2);
    const int top = lua_gettop(L);
    RegisterTractorMethods(L, METHODS);
    EXPECT_EQ(lua_gettop(L), top) << "the stack is left as it was";
    lua_setglobal(L, name);
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

}  // namespace
