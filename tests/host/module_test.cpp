// Vessel classes and modules: loading through the class file, the order of
// the creation callbacks, deletion, frames and the Lua hand-over.
#include <cmath>
#include <cstdio>
#include <vector>

#include "tests/host/fixture.h"

TEST_F(HostTest, ModuleVesselIsCreatedInTheHostsOrder) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  ASSERT_NE(a, nullptr);
  {
    sim::ModuleCall call;  // the path is the root's, as a module gives it
    EXPECT_NE(GetModuleHandleA("modules\\HOSTTESTVESSEL.DLL"), nullptr);
  }
  EXPECT_TRUE(sim::LibraryStarted(GetModuleHandleA("HostTestVessel.dll"))) << "its start-up called InitLib";
  // Constructor, class caps (which read the class file's own item), post-creation.
  EXPECT_EQ(Events(), "A:ctor;A:caps;A:red;A:post;");
  EXPECT_STREQ(Iface(a)->GetClassName(), "HostTestVessel");
  EXPECT_STREQ(sim::GetClassNameOf(a), "HostTestVessel");
  EXPECT_DOUBLE_EQ(Iface(a)->GetSize(), 5);
  EXPECT_EQ(oapiGetVesselCount(), 1u);
  EXPECT_EQ(oapiGetFocusObject(), a);
  EXPECT_EQ(oapiGetVesselByName("a"), a);
  EXPECT_EQ(oapiGetObjectByName("A"), a);
  char name[8];
  oapiGetObjectName(a, name, sizeof name);
  EXPECT_STREQ(name, "A");
}

TEST_F(HostTest, ScenarioVesselsReadTheirBlockBetweenCapsAndPostCreation) {
  const std::string scn = Scratch("order.scn");
  WriteFile(scn,
            "BEGIN_SHIPS\nB:HostTestVessel\n  STATUS Landed Earth\n  COUNT 41\nEND\nEND_SHIPS\n");
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(scn, &error)) << error;
  EXPECT_EQ(Events(), "B:ctor;B:caps;B:red;B:load;B:post;");
  OBJHANDLE b = oapiGetVesselByName("B");
  EXPECT_EQ(Count(b), 41);
}

TEST_F(HostTest, CreateAndDeleteAtRunTimeKeepCreationOrder) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  VESSELSTATUS vs;
  Iface(a)->GetStatus(vs);
  OBJHANDLE b = oapiCreateVessel("B", "HostTestVessel", vs);
  OBJHANDLE c = oapiCreateVessel("C", "HostTestCargo", vs);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(oapiCreateVessel("B", "HostTestVessel", vs), nullptr) << "names are unique";
  EXPECT_EQ(oapiCreateVessel("D", "NoSuchClass", vs), nullptr);
  // Nor is a name a saved scenario could not carry back: the crew add-on's
  // vessel for a member with the function code "a:b" was one.
  for (const char* name : {"UMmu_a:b-Zoe_Park", "D E", "D\tE", ";D", "D\x7f", ""})
    EXPECT_EQ(oapiCreateVessel(name, "HostTestVessel", vs), nullptr) << name;
  EXPECT_EQ(oapiGetVesselCount(), 3u);
  ClearEvents();
  EXPECT_TRUE(oapiDeleteVessel(b));
  EXPECT_EQ(Events(), "B:dtor;");
  EXPECT_EQ(oapiGetVesselCount(), 2u);
  EXPECT_EQ(oapiGetVesselByIndex(0), a);
  EXPECT_EQ(oapiGetVesselByIndex(1), c);
  EXPECT_EQ(oapiGetVesselInterface(b), nullptr);
  EXPECT_FALSE(oapiDeleteVessel(b));
}

TEST_F(HostTest, GenericClassFileDefinesTheVessel) {
  OBJHANDLE c = Landed("Cargo", "HostTestCargo", 10, 20, 0);
  VESSEL* v = Iface(c);
  ASSERT_NE(v, nullptr);
  EXPECT_DOUBLE_EQ(oapiGetSize(c), 3);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(c), 500);
  EXPECT_DOUBLE_EQ(oapiGetFuelMass(c), 50);
  EXPECT_DOUBLE_EQ(v->GetMass(), 550);
  oapiSetEmptyMass(c, 600);
  EXPECT_DOUBLE_EQ(oapiGetMass(c), 650);
  ASSERT_EQ(v->AttachmentCount(true), 1u);
  ASSERT_EQ(v->AttachmentCount(false), 1u);
  EXPECT_STREQ(v->GetAttachmentId(v->GetAttachmentHandle(true, 0)), "T");
  EXPECT_STREQ(v->GetAttachmentId(v->GetAttachmentHandle(false, 0)), "TOP");
  VECTOR3 p, d, r;
  v->GetAttachmentParams(v->GetAttachmentHandle(true, 0), p, d, r);
  EXPECT_DOUBLE_EQ(p.z, 2);
  EXPECT_DOUBLE_EQ(d.z, 1);
  EXPECT_DOUBLE_EQ(r.y, 1);
  EXPECT_EQ(v->GetMeshCount(), 1u);
  VECTOR3 t1, t2, t3;
  v->GetTouchdownPoints(t1, t2, t3);
  EXPECT_DOUBLE_EQ(t2.x, -1);
  EXPECT_DOUBLE_EQ(t3.y, -0.5);
}

TEST_F(HostTest, FramesRunEveryPreStepInIndexOrderThenAdvanceTime) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  OBJHANDLE b = Landed("B", "HostTestVessel", 0, 0.001, 0);
  auto logSteps = Hook<void (*)(VESSEL*, bool)>("HostTestLogSteps");
  logSteps(Iface(a), true);
  logSteps(Iface(b), true);
  ClearEvents();
  const double dt = sim::GetOptions().dt;
  EXPECT_DOUBLE_EQ(dt, 1.0 / 60.0);
  sim::RunFrame();
  sim::RunFrame();
  EXPECT_EQ(Events(), "A:step;B:step;A:step;B:step;");
  EXPECT_EQ(sim::FrameCount(), 2u);
  EXPECT_DOUBLE_EQ(LastSimt(a), dt) << "the second frame's pre-step sees the time of one frame";
  EXPECT_DOUBLE_EQ(oapiGetSimTime(), 2 * dt);
  EXPECT_DOUBLE_EQ(oapiGetSimStep(), dt);
  EXPECT_DOUBLE_EQ(oapiGetSysTime(), 2 * dt);
}

TEST_F(HostTest, LuaStateIsHandedToEachVesselOnce) {
  Landed("A", "HostTestVessel", 0, 0, 0);
  ClearEvents();
  int fakeLua = 0;
  sim::SetLuaState(&fakeLua);
  EXPECT_EQ(sim::GetLuaState(), &fakeLua);
  sim::SetLuaState(&fakeLua);
  Landed("B", "HostTestVessel", 0, 0, 0);
  EXPECT_EQ(Events(), "A:generic1;B:ctor;B:caps;B:red;B:post;B:generic1;");
}

TEST_F(HostTest, ShutdownDeletesEveryVesselAndStartsAgain) {
  static std::string seen;
  seen.clear();
  sim::SetVesselHook(
      [](OBJHANDLE h, bool created, void*) {
        seen += oapiGetVesselInterface(h)->GetName();
        seen += created ? "+" : "-";
      },
      nullptr);
  Landed("A", "HostTestVessel", 0, 0, 0);
  Landed("B", "HostTestVessel", 0, 0, 0);
  sim::Shutdown();
  sim::SetVesselHook(nullptr, nullptr);
  EXPECT_FALSE(sim::IsRunning());
  EXPECT_EQ(seen, "A+B+B-A-");
  EXPECT_EQ(GetModuleHandleA("HostTestVessel.dll"), nullptr) << "the module is unloaded";
  sim::Options o;
  o.root = KVQ_ROOT;
  o.extra = {{"sound-log", "x.log"}};
  ASSERT_TRUE(sim::Start(o, nullptr));
  EXPECT_EQ(oapiGetVesselCount(), 0u);
  EXPECT_STREQ(sim::GetOption("sound-log"), "x.log");
  EXPECT_EQ(sim::GetOption("missing"), nullptr);
  std::string error;
  sim::Options bad;
  bad.root = "/no/such/root";
  EXPECT_FALSE(sim::Start(bad, &error));
  EXPECT_NE(error.find("/no/such/root"), std::string::npos);
}

TEST_F(HostTest, VesselsDeletedDuringAFrameAreFinishedAfterIt) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  OBJHANDLE b = Landed("B", "HostTestVessel", 0, 0, 0);
  OBJHANDLE c = Landed("C", "HostTestVessel", 0, 0, 0);
  auto logSteps = Hook<void (*)(VESSEL*, bool)>("HostTestLogSteps");
  auto deleteInStep = Hook<void (*)(VESSEL*, const char*)>("HostTestDeleteInStep");
  for (OBJHANDLE h : {a, b, c}) logSteps(Iface(h), true);
  // B deletes A, which has had its step: C still gets its own.
  deleteInStep(Iface(b), "A");
  ClearEvents();
  sim::RunFrame();
  EXPECT_EQ(Events(), "A:step;B:step;C:step;A:dtor;");
  EXPECT_EQ(oapiGetVesselCount(), 2u);
  // B deletes itself.
  deleteInStep(Iface(b), "B");
  ClearEvents();
  sim::RunFrame();
  EXPECT_EQ(Events(), "B:step;C:step;B:dtor;");
  EXPECT_EQ(oapiGetVesselByIndex(0), c);
}

TEST_F(HostTest, HandlesAreCheckedInALargeSceneToo) {
  std::vector<OBJHANDLE> cargo;
  for (int i = 0; i < 20; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "C%d", i);
    cargo.push_back(Landed(name, "HostTestCargo", -80.0 + 0.001 * i, 28.5, 0));
  }
  ASSERT_TRUE(oapiDeleteVessel(cargo[5]));
  EXPECT_EQ(oapiGetVesselInterface(cargo[5]), nullptr);
  EXPECT_EQ(oapiGetSize(cargo[5]), 0.0);
  EXPECT_EQ(oapiGetVesselInterface(sim::GetPlanet()), nullptr);
  char name[16] = "x";
  oapiGetObjectName(cargo[5], name, sizeof name);
  EXPECT_STREQ(name, "");
  oapiGetObjectName(cargo[19], name, sizeof name);
  EXPECT_STREQ(name, "C19");
  EXPECT_NE(oapiGetVesselInterface(cargo[6]), nullptr);
  EXPECT_EQ(oapiGetVesselCount(), 19u);
  sim::RunFrame();
  EXPECT_EQ(oapiGetVesselByName("C5"), nullptr);
}
