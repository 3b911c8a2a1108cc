// The crew add-on stand-in's script methods: walking a crew vessel to a
// point of another vessel and activating the action area that holds it.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <string>

#include "crew/action_area_table.h"
#include "tests/crew/crew_test_root.h"

namespace {

int GetName(lua_State* L) {
  VESSEL* v = *static_cast<VESSEL**>(lua_touserdata(L, 1));
  lua_pushstring(L, v->GetName());
  return 1;
}

// A userdata as the host makes them: the vessel interface in its first word,
// the host's metatable, then the vessel's own binding.
void PushVessel(lua_State* L, OBJHANDLE h) {
  VESSEL* v = oapiGetVesselInterface(h);
  *static_cast<VESSEL**>(lua_newuserdata(L, sizeof(VESSEL*))) = v;
  luaL_getmetatable(L, "VESSEL.vtable");
  lua_setmetatable(L, -2);
  if (auto* v3 = dynamic_cast<VESSEL3*>(v)) v3->clbkGeneric(VMSG_LUAINSTANCE, 0, L);
}

class CrewAddonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartHost({}, &root, &error)) << error;
    tug = CreateTractor("Tug");
    v = Tractor(tug);
    ASSERT_EQ(v->crew.EvaMember(v->crew.GetCrewName(0)), 1);
    walker = oapiGetVesselByName("UMmu_Eng-Peter_Holm");
    ASSERT_NE(walker, nullptr);
    L = luaL_newstate();
    luaL_openlibs(L);
    luaL_newmetatable(L, "VESSEL.vtable");
    lua_newtable(L);
    lua_pushcfunction(L, GetName);
    lua_setfield(L, -2, "get_name");
    lua_setfield(L, -2, "__index");
    lua_pop(L, 1);
    PushVessel(L, walker);
    lua_setglobal(L, "c");
    PushVessel(L, tug);
    lua_setglobal(L, "t");
  }
  void TearDown() override {
    if (L != nullptr) lua_close(L);
    sim::Shutdown();
    RemoveTestRoot(root);
  }
  std::string Run(const char* chunk) {
    if (luaL_dostring(L, chunk) == 0) return "";
    std::string e = lua_tostring(L, -1);
    lua_pop(L, 1);
    return e;
  }
  VECTOR3 WalkerInTugFrame() {
    VECTOR3 g, own, l, o;
    oapiGetGlobalPos(walker, &g);
    oapiGetGlobalPos(tug, &own);
    v->Global2Local(g, l);
    v->Global2Local(own, o);
    return l - o;
  }
  std::string root;
  OBJHANDLE tug = nullptr, walker = nullptr;
  KVQ_R7700* v = nullptr;
  lua_State* L = nullptr;
};

TEST_F(CrewAddonTest, ItStandsWhereItWasCreatedWithItsRecord) {
  const VECTOR3 d = WalkerInTugFrame();
  EXPECT_NEAR(d.x, -2, 1e-6);
  EXPECT_NEAR(d.z, 3.5, 1e-6);
  EXPECT_LE(d.y, 0) << "just out, below the airlock's floor";
  for (int i = 0; i < 60; ++i) sim::RunFrame();
  EXPECT_EQ(oapiGetVesselByName("UMmu_Eng-Peter_Holm"), walker) << "not taken straight back in";
  EXPECT_EQ(Run("local n, m, a, p, w = c:record()\n"
                "assert(n == 'UMmu_Eng-Peter Holm' and m == 'ummu/ummuTECH', n .. ' ' .. m)\n"
                "assert(a == 28 and p == 65 and w == 74)"),
            "");
  EXPECT_EQ(Run("assert(c:get_name() == 'UMmu_Eng-Peter_Holm')"), "") << "generic methods still reach the host";
}

TEST_F(CrewAddonTest, WalkToTakesAVesselOrAName) {
  ASSERT_EQ(Run("assert(c:walk_to(t, 1, 0, 9))"), "");
  VECTOR3 d = WalkerInTugFrame();
  EXPECT_GT(d.y, 0.5) << "walking upright";
  EXPECT_NEAR(d.x, 1, 1e-4);
  EXPECT_NEAR(d.z, 9, 1e-4) << "the ground curves away";
  ASSERT_EQ(Run("assert(c:walk_to('Tug', 0, 0, -20))"), "");
  d = WalkerInTugFrame();
  EXPECT_NEAR(d.z, -20, 1e-4);
  EXPECT_EQ(Run("assert(c:walk_to('Nobody', 0, 0, 0) == false)"), "");
}

TEST_F(CrewAddonTest, AWrongSelfOrTargetIsRefused) {
  // Any other userdata as self (once read as a crew vessel: a crash in the
  // cast) or as the vessel to walk to (once: true, and a walk to nowhere).
  for (const char* self : {"io.stdout", "newproxy()", "t", "nil", "42"}) {
    const std::string s = self;
    EXPECT_EQ(Run(("assert(c.record(" + s + ") == nil)").c_str()), "") << self;
    EXPECT_EQ(Run(("assert(c.activate_area(" + s + ") == nil)").c_str()), "") << self;
    EXPECT_EQ(Run(("assert(c.walk_to(" + s + ", t, 0, 0, 9) == nil)").c_str()), "") << self;
  }
  EXPECT_EQ(Run("assert(c:walk_to(io.stdout, 0, 0, 9) == false)"), "");
  EXPECT_EQ(Run("assert(c:walk_to(newproxy(), 0, 0, 9) == false)"), "");
  const VECTOR3 before = WalkerInTugFrame();
  // A point that is not finite is an error naming the argument; the crew
  // vessel stays where it was (it was saved at POS -nan).
  for (const char* args : {"t, 0/0, 0, 9", "t, 0, math.huge, 9", "t, 0, 0, -math.huge", "t, 0, 0, {}"}) {
    const std::string e = Run((std::string("c:walk_to(") + args + ")").c_str());
    EXPECT_NE(e.find("bad argument"), std::string::npos) << args << ": " << e;
    EXPECT_NE(e.find("walk_to"), std::string::npos) << e;
  }
  const VECTOR3 after = WalkerInTugFrame();
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.z, before.z);
}

TEST_F(CrewAddonTest, TheNearestAreaHoldingItIsActivatedOnce) {
  ASSERT_EQ(Run("c:walk_to(t, 0, 0, 9); assert(c:activate_area() == 1)"), "");
  ActionAreaTable* table = v->crew.actionTable;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->activatedVessel, tug);
  EXPECT_EQ(table->activatedId, 1);
  EXPECT_EQ(v->crew.PollActionArea(), 1);
  ASSERT_EQ(Run("c:walk_to(t, 0, 0, -9); assert(c:activate_area() == 0)"), "");
  EXPECT_EQ(v->crew.PollActionArea(), 0);
  ASSERT_EQ(Run("c:walk_to(t, 0, 0, 30); assert(c:activate_area() == nil)"), "");
  EXPECT_EQ(v->crew.PollActionArea(), -1);
  EXPECT_EQ(Run("assert(t.activate_area == nil)"), "") << "the tractor has no such method";
}

}  // namespace
