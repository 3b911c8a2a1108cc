// Crew leaving on foot and coming back through the airlock, inside the
// headless host with the crew add-on stand-in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crew/function_table.h"
#include "crew/handoff_record.h"
#include "tests/crew/crew_test_root.h"

namespace {

const VECTOR3 OUTSIDE_AIRLOCK = {-6, 0, 3.5};
const VECTOR3 INSIDE_AIRLOCK = {0, 0, 3.5};

class CrewAirlockTest : public CrewHostTest {
 protected:
  void Start(const TestRootOptions& options = {}) {
    StartWithTractor(options);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(v->crew.IsReady());
    member = v->crew.GetCrewName(0);
  }
  std::string CrewVesselName(const std::string& label) {
    std::string n = "UMmu_" + label;
    for (char& c : n)
      if (c == ' ') c = '_';
    return n;
  }
  int PublishedSeats() {
    VECTOR3 p, d, r;
    EXPECT_TRUE(AirlockVectors(tug, &p, &d, &r));
    return static_cast<int>(r.z);
  }
  std::string member;
};

TEST_F(CrewAirlockTest, AMemberLeavesOnFootAndWalksBackIn) {
  Start();
  CrewClient& c = v->crew;
  const double mass = oapiGetEmptyMass(tug);
  ASSERT_EQ(c.EvaMember(member.c_str()), 1);
  EXPECT_EQ(c.GetCrewCount(), 0);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass - 74);
  EXPECT_EQ(PublishedSeats(), 2);

  OBJHANDLE walker = oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str());
  ASSERT_NE(walker, nullptr);
  EXPECT_STREQ(sim::GetClassNameOf(walker), "UMmu");
  VESSEL* w = oapiGetVesselInterface(walker);
  ASSERT_GE(w->AttachmentCount(true), 2u);
  ATTACHMENTHANDLE last = w->GetAttachmentHandle(true, w->AttachmentCount(true) - 1);
  EXPECT_STREQ(w->GetAttachmentId(last), "U-Mm");
  VECTOR3 p, d, r;
  w->GetAttachmentParams(last, p, d, r);
  EXPECT_EQ(p.x, 28);
  EXPECT_EQ(p.y, 65);
  EXPECT_EQ(p.z, 74);

  const std::string bytes = ReadFile(root + "/Config/UMmutmp.cfg");
  ASSERT_EQ(bytes.size(), HANDOFF_RECORD_SIZE);
  const CrewHandoffRecord rec = DecodeHandoffRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
  EXPECT_EQ(std::string(rec.name), "UMmu_Eng-" + member) << "spaces kept in the record";
  EXPECT_STREQ(rec.mesh, "ummu/ummuTECH");
  EXPECT_EQ(rec.age, 28);
  EXPECT_EQ(rec.pulse, 65);
  EXPECT_EQ(rec.evaParameter, 100);
  EXPECT_EQ(rec.weight, 74);

  // Out of the box it stays out; into the box it is taken in at the next scan.
  StandAt(walker, tug, OUTSIDE_AIRLOCK);
  oapiSetFocusObject(walker);
  for (int i = 0; i < 60; ++i) sim::RunFrame();
  EXPECT_EQ(c.GetCrewCount(), 0);
  StandAt(walker, tug, INSIDE_AIRLOCK);
  ASSERT_TRUE(RunUntil([&] { return c.GetCrewCount() == 1; }, 0.3));
  EXPECT_EQ(oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str()), nullptr);
  EXPECT_EQ(oapiGetFocusObject(), tug);
  EXPECT_STREQ(c.GetCrewName(0), member.c_str());
  EXPECT_STREQ(c.GetCrewFunction(member.c_str()), "Eng");
  EXPECT_EQ(c.GetCrewAge(member.c_str()), 28);
  EXPECT_STREQ(c.GetLastArrivalName(), member.c_str());
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass);
  EXPECT_EQ(std::string(v->messageText), "Eng \"" + member + "\" aged 28 entered into our ship");
  EXPECT_EQ(v->messageTime, 15.0);
}

TEST_F(CrewAirlockTest, RefusalsKeepTheMemberAboard) {
  Start();
  CrewClient& c = v->crew;
  EXPECT_EQ(c.EvaMember("Nobody"), -4);
  EXPECT_EQ(c.EvaMember(nullptr), -4);
  EXPECT_EQ(c.EvaMember(std::string(40, 'a').c_str()), -4);
  ASSERT_EQ(c.DefineAirlock(0, -4, 4, 0, 3, 2, 5), 1);
  EXPECT_EQ(c.EvaMember(member.c_str()), -1);
  EXPECT_EQ(c.GetCrewCount(), 1);
  VECTOR3 p, d, r;
  ASSERT_TRUE(AirlockVectors(tug, &p, &d, &r));
  EXPECT_EQ(r.x, 0) << "closed is published";
  EXPECT_EQ(c.DefineAirlock(1, 4, -4, 0, 3, 2, 5), 0) << "inverted box";
  EXPECT_EQ(c.DefineAirlock(2, -4, 4, 0, 3, 2, 5), 0);
  ASSERT_EQ(c.DefineAirlock(1, -4, 4, 0, 3, 2, 5), 1);
  ASSERT_EQ(c.RemoveMember(member.c_str()), 1);
  EXPECT_EQ(c.EvaMember(member.c_str()), 0) << "nobody aboard";
}

TEST_F(CrewAirlockTest, TwoMembersWithTheSameLabelGetDistinctVessels) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.AddMember(member.c_str(), 50, 70, 300, "Eng"), 1);
  const double mass = oapiGetEmptyMass(tug);
  ASSERT_EQ(c.EvaMember(member.c_str()), 1);
  OBJHANDLE first = oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str());
  ASSERT_NE(first, nullptr);
  StandAt(first, tug, OUTSIDE_AIRLOCK);
  ASSERT_EQ(c.EvaMember(member.c_str()), 1);
  OBJHANDLE second = oapiGetVesselByName((CrewVesselName("Eng-" + member) + "1").c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass - 74 - 300);
  EXPECT_EQ(PublishedSeats(), 2);
}

TEST_F(CrewAirlockTest, OneArrivalPerScanAndScansAQuarterSecondApart) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.AddMember("Bo", 30, 60, 60, ""), 1);
  ASSERT_EQ(c.EvaMember(member.c_str()), 1);
  ASSERT_EQ(c.EvaMember("Bo"), 1);
  OBJHANDLE a = oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str());
  OBJHANDLE b = oapiGetVesselByName("UMmu_Bo");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  StandAt(a, tug, INSIDE_AIRLOCK);
  StandAt(b, tug, {1, 0, 3});
  ASSERT_TRUE(RunUntil([&] { return c.GetCrewCount() == 1; }, 0.3));
  const uint64_t firstAt = sim::FrameCount();
  ASSERT_TRUE(RunUntil([&] { return c.GetCrewCount() == 2; }, 0.3));
  const double apart = static_cast<double>(sim::FrameCount() - firstAt) * sim::GetOptions().dt;
  EXPECT_GT(apart, 0.25 - 1e-9);
  EXPECT_STREQ(c.GetLastArrivalName(), "Bo");
  EXPECT_EQ(std::string(v->messageText), " \"Bo\" aged 30 entered into our ship") << "no function code";
}

TEST_F(CrewAirlockTest, AFullTractorLeavesTheWalkerOutsideUntilASeatFrees) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.EvaMember(member.c_str()), 1);
  OBJHANDLE walker = oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str());
  ASSERT_NE(walker, nullptr);
  StandAt(walker, tug, OUTSIDE_AIRLOCK);
  ASSERT_EQ(c.AddMember("Al", 30, 60, 60, ""), 1);
  ASSERT_EQ(c.AddMember("Cy", 30, 60, 60, ""), 1);
  v->messageText[0] = '\0';
  StandAt(walker, tug, INSIDE_AIRLOCK);
  for (int i = 0; i < 120; ++i) sim::RunFrame();
  EXPECT_EQ(oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str()), walker) << "nobody is lost";
  EXPECT_EQ(c.GetCrewCount(), 2);
  EXPECT_STREQ(v->messageText, "") << "no arrival is reported";
  ASSERT_EQ(c.RemoveMember("Cy"), 1);
  ASSERT_TRUE(RunUntil([&] { return c.GetCrewCount() == 2; }, 0.3));
  EXPECT_EQ(oapiGetVesselByName(CrewVesselName("Eng-" + member).c_str()), nullptr);
  EXPECT_GE(c.GetCrewAge(member.c_str()), 28);
}

TEST_F(CrewAirlockTest, FunctionFilesChooseTheSuitAndTheListingGoesOnPastBadNames) {
  TestRootOptions options;
  options.functionFiles = {"bad.cfg", "medsuit-field doctor-Doc.cfg", "x-y-Z.cfg", "pilotsuit-chief-Capt.cfg"};
  Start(options);
  {
    sim::ModuleCall call;  // the listing is relative to the root, as in the simulator
    BuildCrewFunctionTable();
  }
  EXPECT_EQ(GetCrewFunctionTable().count, 1 + 2 + 16);
  CrewClient& c = v->crew;
  c.SelectEvaMesh("doc");
  EXPECT_STREQ(CrewSuitMeshName(), "ummu/medsuit");
  c.SelectEvaMesh("Spe");
  EXPECT_STREQ(CrewSuitMeshName(), "ummu/ummuTECH");
  c.SelectEvaMesh("Pax");
  EXPECT_STREQ(CrewSuitMeshName(), "ummu/ummu");
  ASSERT_EQ(c.AddMember("Di", 30, 60, 60, "Doc"), 1);
  ASSERT_EQ(c.EvaMember("Di"), 1);
  const std::string bytes = ReadFile(root + "/Config/UMmutmp.cfg");
  ASSERT_EQ(bytes.size(), HANDOFF_RECORD_SIZE);
  EXPECT_STREQ(bytes.data() + 40, "ummu/medsuit");
}

}  // namespace
