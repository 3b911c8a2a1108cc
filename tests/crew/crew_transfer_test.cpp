// Crew transfer between docked vessels through the "UMmuT" vessel and the
// transfer record file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/crew/crew_test_root.h"

namespace {

class CrewTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartHost({}, &root, &error)) << error;
    a = CreateTractor("Tug");
    b = CreateTractor("Tug2", 0.00001, 0, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    va = Tractor(a);
    vb = Tractor(b);
    member = va->crew.GetCrewName(0);
    va->CreateDock(_V(0, 1, 5), _V(0, 0, 1), _V(0, 1, 0));
    vb->CreateDock(_V(0, 1, -5), _V(0, 0, -1), _V(0, 1, 0));
  }
  void TearDown() override {
    sim::Shutdown();
    RemoveTestRoot(root);
  }
  void Dock(OBJHANDLE other) {
    VESSEL* o = oapiGetVesselInterface(other);
    if (o->DockCount() == 0) o->CreateDock(_V(0, 0, 0), _V(0, 0, 1), _V(0, 1, 0));
    ASSERT_EQ(va->Dock(other, 0, 0, 0), 0);
  }
  std::string root;
  OBJHANDLE a = nullptr, b = nullptr;
  KVQ_R7700 *va = nullptr, *vb = nullptr;
  std::string member;
};

TEST_F(CrewTransferTest, AMemberMovesIntoTheDockedTractorWithoutMovingTheFocus) {
  Dock(b);
  oapiSetFocusObject(a);
  const double massA = oapiGetEmptyMass(a), massB = oapiGetEmptyMass(b);
  ASSERT_EQ(va->crew.EvaMember(member.c_str()), 2);
  EXPECT_EQ(va->crew.GetCrewCount(), 0);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(a), massA - 74);
  OBJHANDLE carrier = oapiGetVesselByName("UMmuTTug2");
  ASSERT_NE(carrier, nullptr);
  VESSEL* c = oapiGetVesselInterface(carrier);
  ATTACHMENTHANDLE last = c->GetAttachmentHandle(true, c->AttachmentCount(true) - 1);
  EXPECT_STREQ(c->GetAttachmentId(last), "U-Mm");
  EXPECT_EQ(ReadFile(root + "/Config/UMmutmpT.cfg").size(), 104u);

  ASSERT_TRUE(RunUntil([&] { return vb->crew.GetCrewCount() == 2; }, 0.6));
  EXPECT_EQ(oapiGetVesselByName("UMmuTTug2"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(root + "/Config/UMmutmpT.cfg")) << "the receiver consumes the record";
  EXPECT_STREQ(vb->crew.GetCrewName(1), member.c_str());
  EXPECT_STREQ(vb->crew.GetCrewFunction(member.c_str()), "Eng");
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(b), massB + 74);
  EXPECT_EQ(std::string(vb->messageText), "Eng \"" + member + "\" aged 28 was transfered to our ship");
  EXPECT_EQ(oapiGetFocusObject(), a) << "a transfer leaves the focus alone";
  EXPECT_EQ(va->crew.GetCrewCount(), 0) << "the sender never takes it back";
}

TEST_F(CrewTransferTest, TheDockedAirlockDecides) {
  Dock(b);
  ASSERT_EQ(vb->crew.AddMember("Full", 30, 60, 60, ""), 1);
  EXPECT_EQ(va->crew.EvaMember(member.c_str()), -3) << "no free seat over there";
  ASSERT_EQ(vb->crew.RemoveMember("Full"), 1);
  ASSERT_EQ(vb->crew.DefineAirlock(0, -4, 4, 0, 3, 2, 5), 1);
  EXPECT_EQ(va->crew.EvaMember(member.c_str()), -2) << "its airlock is closed";
  EXPECT_EQ(va->crew.GetCrewCount(), 1);
  EXPECT_EQ(oapiGetVesselByName("UMmuTTug2"), nullptr);
}

TEST_F(CrewTransferTest, AVesselWithoutACrewAirlockTakesNobody) {
  std::string error;
  OBJHANDLE jet = sim::CreateLandedVessel("Jet", "Airliner", 0.00002, 0, 0, &error);
  ASSERT_NE(jet, nullptr) << error;
  Dock(jet);
  EXPECT_EQ(va->crew.EvaMember(member.c_str()), -5);
  EXPECT_EQ(va->crew.GetCrewCount(), 1);
}

TEST_F(CrewTransferTest, ATransferWithoutItsRecordIsLeftAloneNotFilledWithAnOldOne) {
  Dock(b);
  ASSERT_EQ(va->crew.EvaMember(member.c_str()), 2);
  std::filesystem::remove(root + "/Config/UMmutmpT.cfg");
  for (int i = 0; i < 60; ++i) sim::RunFrame();
  EXPECT_NE(oapiGetVesselByName("UMmuTTug2"), nullptr) << "nobody is deleted";
  EXPECT_EQ(vb->crew.GetCrewCount(), 1);
}

}  // namespace

namespace {

TEST(CrewTransferNames, ALongDockedNameIsCutAtTheFieldAndStillFindsItsAddressee) {
  std::string root, error;
  ASSERT_TRUE(StartHost({}, &root, &error)) << error;
  const std::string longName = "Tractor_with_a_rather_long_name_indeed_42";
  OBJHANDLE a = CreateTractor("Tug");
  OBJHANDLE b = CreateTractor(longName.c_str(), 0.00001, 0, 0);
  KVQ_R7700* va = Tractor(a);
  KVQ_R7700* vb = Tractor(b);
  va->CreateDock(_V(0, 1, 5), _V(0, 0, 1), _V(0, 1, 0));
  vb->CreateDock(_V(0, 1, -5), _V(0, 0, -1), _V(0, 1, 0));
  ASSERT_EQ(va->Dock(b, 0, 0, 0), 0);
  ASSERT_EQ(va->crew.EvaMember(va->crew.GetCrewName(0)), 2);
  const std::string carrier = "UMmuT" + longName.substr(0, 33);
  EXPECT_NE(oapiGetVesselByName(carrier.c_str()), nullptr) << "38 characters in all";
  EXPECT_TRUE(RunUntil([&] { return vb->crew.GetCrewCount() == 2; }, 0.6));
  EXPECT_EQ(oapiGetVesselByName(carrier.c_str()), nullptr);
  sim::Shutdown();
  RemoveTestRoot(root);
}

}  // namespace
