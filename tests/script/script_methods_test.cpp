// The tractor's Lua methods on a Lua state of the test's own, with the module
// loaded into the host: effects on the vessel state, argument rules, and
// calls on anything but a live tractor.
#include <lua.hpp>
#include <string>

#include "sim/sim.h"
#include "tests/vessel/vessel_fixture.h"
#include "vessel/kvq_r7700.h"

namespace {

class ScriptMethods : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    L = luaL_newstate();
    luaL_openlibs(L);
    // The host's vessel metatable: generic methods in the table itself.
    luaL_newmetatable(L, "VESSEL.vtable");
    lua_pushcfunction(L, [](lua_State* s) -> int {
      lua_pushstring(s, "generic");
      return 1;
    });
    lua_setfield(L, -2, "get_name");
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
    lua_pop(L, 1);
    v = NewTractor("Tug", -80.6758, 28.5227, 270);
    ASSERT_NE(v, nullptr);
    Expose(v, "tug");
  }
  void TearDown() override {
    lua_close(L);
    HostFixture::TearDown();
  }

  // Hands a vessel to Lua as the host does: a userdata whose first word is
  // the VESSEL pointer, then message 2 with it on top of the stack.
  void Expose(VESSEL* vessel, const char* global) {
    auto** ud = static_cast<VESSEL**>(lua_newuserdata(L, sizeof(VESSEL*)));
    *ud = vessel;
    luaL_getmetatable(L, "VESSEL.vtable");
    lua_setmetatable(L, -2);
    const int top = lua_gettop(L);
    if (auto* v3 = dynamic_cast<VESSEL3*>(vessel)) {
      EXPECT_EQ(v3->clbkGeneric(VMSG_LUAINSTANCE, 0, L), 0);
    }
    EXPECT_EQ(lua_gettop(L), top);
    lua_setglobal(L, global);
  }

  // Runs a chunk that must not raise an error; its result as text ("nil" for nil).
  std::string Eval(const std::string& chunk) {
    if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
      const std::string message = lua_tostring(L, -1);
      lua_pop(L, 1);
      ADD_FAILURE() << chunk << ": " << message;
      return "error";
    }
    std::string result = lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_pop(L, 1);
    return result;
  }

  lua_State* L = nullptr;
  KVQ_R7700* v = nullptr;
};

TEST_F(ScriptMethods, GettersReadTheState) {
  v->speed = -1.5;
  v->towMode = -1;
  v->fuel = 99.5;
  EXPECT_EQ(Eval("return tug:speed()"), "-1.5");
  EXPECT_EQ(Eval("return tug:mode()"), "-1");
  EXPECT_EQ(Eval("return tug:getFuel()"), "99.5");
  EXPECT_EQ(Eval("return tug:get_name()"), "generic");
}

TEST_F(ScriptMethods, LightsWithMissingArgumentsReadZero) {
  v->parkingBrake = true;
  Eval("tug:lights(1)");
  EXPECT_TRUE(v->lightsOn);
  EXPECT_FALSE(v->beaconOn);
  EXPECT_FALSE(v->parkingBrake);
  EXPECT_TRUE(v->headLight->IsActive());
  EXPECT_FALSE(v->beacons[0].active);
  EXPECT_FALSE(v->beacons[1].active);
}

TEST_F(ScriptMethods, LightsChangeOnlyTheItemsGivenZeroOrOne) {
  v->parkingBrake = true;
  Eval("tug:lights(1, -1, -1)");
  EXPECT_TRUE(v->lightsOn);
  EXPECT_TRUE(v->beaconOn);
  EXPECT_TRUE(v->parkingBrake);
  Eval("tug:lights(2, 5, 'x')");  // 'x' reads 0
  EXPECT_TRUE(v->lightsOn);
  EXPECT_TRUE(v->beaconOn);
  EXPECT_FALSE(v->parkingBrake);
}

TEST_F(ScriptMethods, LightsAskedForTheCurrentStateKeepIt) {
  Eval("tug:lights(1, 1, 1)");
  Eval("tug:lights(1, 1, 1)");
  EXPECT_TRUE(v->lightsOn);
  EXPECT_TRUE(v->headLight->IsActive());
  EXPECT_TRUE(v->beaconOn);
  EXPECT_TRUE(v->beacons[0].active);
  Eval("tug:lights(0, 0, 0)");
  Eval("tug:lights(0, 0, 0)");
  EXPECT_FALSE(v->lightsOn);
  EXPECT_FALSE(v->headLight->IsActive());
  EXPECT_FALSE(v->beaconOn);
  EXPECT_FALSE(v->beacons[1].active);
}

TEST_F(ScriptMethods, TransmissionTakesMinusOneToTwoEvenWhileRolling) {
  v->transmission = 1;
  v->speed = 4.0;
  Eval("tug:transmission(3)");
  EXPECT_EQ(v->transmission, 1);
  Eval("tug:transmission(-2)");
  EXPECT_EQ(v->transmission, 1);
  Eval("tug:transmission(4294967297)");  // does not wrap onto 1
  EXPECT_EQ(v->transmission, 1);
  Eval("tug:transmission(-1)");
  EXPECT_EQ(v->transmission, -1);
  Eval("tug:transmission()");
  EXPECT_EQ(v->transmission, 0);
}

TEST_F(ScriptMethods, StarterSwitchesTheEngineWithoutTouchingTheIdleTimer) {
  v->idleTime = 42;
  Eval("tug:starter(1)");
  EXPECT_TRUE(v->engineRunning);
  Eval("tug:starter(2)");
  EXPECT_TRUE(v->engineRunning);
  Eval("tug:starter(0)");
  EXPECT_FALSE(v->engineRunning);
  EXPECT_EQ(v->idleTime, 42);
}

TEST_F(ScriptMethods, RefuelFillsTheTankWhileRolling) {
  v->speed = 3;
  v->fuel = 10;
  Eval("tug:refuel()");
  EXPECT_DOUBLE_EQ(v->fuel, 176.8);
}

TEST_F(ScriptMethods, AttachIndexNamesFrontPointsWithNegativeCodes) {
  EXPECT_EQ(Eval("return tug:attachIndex(-2)"), "0");
  EXPECT_EQ(Eval("return tug:attachIndex(2)"), "1");
  EXPECT_EQ(Eval("return tug:attachIndex(-1)"), "2");
  EXPECT_EQ(Eval("return tug:attachIndex(1)"), "3");
  EXPECT_EQ(Eval("return tug:attachIndex(0)"), "-1");
  EXPECT_EQ(Eval("return tug:attachIndex()"), "-1");
}

TEST_F(ScriptMethods, UnknownCouplingCodesDoNothing) {
  EXPECT_EQ(Eval("return tug:attach(0)"), "0");
  EXPECT_EQ(Eval("return tug:attach(3)"), "0");
  EXPECT_EQ(Eval("return tug:detach(-3)"), "0");
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(Eval("return tug:detach(2)"), "0");  // nothing on the front hitch
  EXPECT_EQ(v->towMode, 0);
}

TEST_F(ScriptMethods, AttachAndDetachCoupleDirectly) {
  v->realismMode = 1;  // no crew needed from a script
  EXPECT_EQ(Eval("return tug:attach(-1)"), "1");
  EXPECT_EQ(v->towMode, -1);
  EXPECT_NE(v->GetAttachmentStatus(v->towbarMountBack), nullptr);
  EXPECT_EQ(Eval("return tug:detach(-1)"), "1");
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountBack), nullptr);
  EXPECT_EQ(Eval("return tug:attach(1)"), "1");
  EXPECT_EQ(v->towMode, 1);
  EXPECT_NE(v->GetAttachmentStatus(v->towbarMountFront), nullptr);
  EXPECT_EQ(Eval("return tug:attach(2)"), "0");  // nothing in reach
  EXPECT_EQ(v->towMode, 1);
  EXPECT_EQ(Eval("return tug:detach(1)"), "1");
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountFront), nullptr);
}

TEST_F(ScriptMethods, SecondTractorSharesTheTablesAndKeepsItsOwnState) {
  KVQ_R7700* w = NewTractor("Tug2", -80.6758, 28.5237, 270);
  ASSERT_NE(w, nullptr);
  Expose(w, "tug2");
  EXPECT_EQ(Eval("return tostring(getmetatable(tug) == getmetatable(tug2))"), "true");
  Eval("tug2:transmission(2); tug2:starter(1)");
  EXPECT_EQ(w->transmission, 2);
  EXPECT_TRUE(w->engineRunning);
  EXPECT_EQ(v->transmission, 0);
  EXPECT_FALSE(v->engineRunning);
}

TEST_F(ScriptMethods, AnythingButALiveTractorGetsNothing) {
  std::string error;
  OBJHANDLE jet = sim::CreateLandedVessel("Jet", "Airliner", -80.676 * RAD, 28.5227 * RAD, 0, &error);
  ASSERT_NE(jet, nullptr) << error;
  Expose(oapiGetVesselInterface(jet), "jet");
  Eval("m = getmetatable(tug).__index; vt = getmetatable(tug)");
  EXPECT_EQ(Eval("return m.speed(nil)"), "nil");
  EXPECT_EQ(Eval("return m.speed(7)"), "nil");
  EXPECT_EQ(Eval("return m.mode(jet)"), "nil");
  EXPECT_EQ(Eval("return m.attach(io.stdout, 1)"), "nil");
  EXPECT_EQ(Eval("return m.getFuel(setmetatable({}, vt))"), "nil");
  EXPECT_EQ(Eval("return select('#', m.transmission(jet, 1))"), "0");
  EXPECT_EQ(Eval("return select('#', m.lights(nil, 1, 1, 1))"), "0");
  EXPECT_EQ(Eval("return select('#', m.speed(jet))"), "1");
  // The airliner's own VESSEL pointer dressed in the tractor's metatable.
  EXPECT_EQ(Eval("debug.setmetatable(jet, vt); return jet:speed()"), "nil");
}

// A userdata carrying the class's metatable but a pointer to no vessel: the
// pointer is compared, never followed.
TEST_F(ScriptMethods, StaleOrForgedPointersAreNeverFollowed) {
  auto** ud = static_cast<void**>(lua_newuserdata(L, sizeof(void*)));
  *ud = reinterpret_cast<void*>(0x10);
  luaL_getmetatable(L, "KVQ_R7700.vtable");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "forged");
  EXPECT_EQ(Eval("return forged:speed()"), "nil");
  Eval("forged:transmission(2)");
  lua_newuserdata(L, 1);  // too small to hold a pointer
  luaL_getmetatable(L, "KVQ_R7700.vtable");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "tiny");
  EXPECT_EQ(Eval("return tiny:mode()"), "nil");

  KVQ_R7700* w = NewTractor("Tug2", -80.6758, 28.5237, 270);
  ASSERT_NE(w, nullptr);
  Expose(w, "tug2");
  ASSERT_TRUE(oapiDeleteVessel(w->GetHandle()));
  EXPECT_EQ(Eval("return tug2:speed()"), "nil");
  Eval("tug2:lights(1, 1, 1)");
  EXPECT_EQ(Eval("return tug:speed()"), "0");
}

TEST_F(ScriptMethods, OtherMessagesDoNothing) {
  const int top = lua_gettop(L);
  EXPECT_EQ(v->clbkGeneric(VMSG_LUAINTERPRETER, 0, L), 0);
  EXPECT_EQ(v->clbkGeneric(7, 0, L), 0);
  EXPECT_EQ(v->clbkGeneric(VMSG_LUAINSTANCE, 0, nullptr), 0);
  EXPECT_EQ(lua_gettop(L), top);
}

}  // namespace
