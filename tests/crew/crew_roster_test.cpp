// The crew client inside the headless host: set-up, roster rules, the
// published seats, scenario lines and the version notice.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "crew/crew_module.h"
#include "tests/crew/crew_test_root.h"

namespace {

class CrewRosterTest : public CrewHostTest {
 protected:
  void Start(const TestRootOptions& options = {}) {
    StartWithTractor(options);
  }
  int PublishedSeats() {
    VECTOR3 p, d, r;
    EXPECT_TRUE(AirlockVectors(tug, &p, &d, &r));
    return static_cast<int>(r.z);
  }
};

TEST_F(CrewRosterTest, NewTractorCarriesItsDefaultEngineerOnTwoSeats) {
  Start();
  CrewClient& c = v->crew;
  EXPECT_TRUE(c.IsReady());
  EXPECT_EQ(c.GetCrewCount(), 1);
  EXPECT_EQ(c.maxCrew, 2);
  EXPECT_STREQ(c.GetCrewFunction(c.GetCrewName(0)), "Eng");
  EXPECT_EQ(c.GetCrewWeight(0), 74);
  EXPECT_EQ(PublishedSeats(), 1);
  VECTOR3 p, d, r;
  ASSERT_TRUE(AirlockVectors(tug, &p, &d, &r));
  EXPECT_EQ(p.x, -4); EXPECT_EQ(p.y, 4); EXPECT_EQ(p.z, 0);
  EXPECT_EQ(d.x, 3); EXPECT_EQ(d.y, 2); EXPECT_EQ(d.z, 5);
  EXPECT_EQ(r.x, 1) << "open";
  EXPECT_EQ(r.y, 0) << "second value after the first roster change";
}

TEST_F(CrewRosterTest, AddMemberClampsAndFiltersWhatItStores) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.SetMaxCrew(8), 1);
  const double mass = oapiGetEmptyMass(tug);
  ASSERT_EQ(c.AddMember("Jean-Luc O'Hara", 0, -3, 4, "Captain"), 1);
  ASSERT_EQ(c.AddMember("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234", 200, 999, 400, nullptr), 1);
  EXPECT_STREQ(c.GetCrewName(1), "Jean Luc O Hara");
  EXPECT_EQ(c.GetCrewAge("Jean Luc O Hara"), 1);
  EXPECT_EQ(c.roster[1].pulse, 0);
  EXPECT_EQ(c.GetCrewWeight(1), 5);
  EXPECT_STREQ(c.roster[1].functionCode, "Capt");
  EXPECT_STREQ(c.GetCrewName(2), "ABCDEFGHIJKLMNOPQRSTUVWXY");
  EXPECT_EQ(c.roster[2].age, 140);
  EXPECT_EQ(c.roster[2].pulse, 180);
  EXPECT_EQ(c.GetCrewWeight(2), 300);
  EXPECT_STREQ(c.roster[2].functionCode, "");
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass + 305);
  EXPECT_DOUBLE_EQ(c.totalCrewWeight, 74 + 305);
  EXPECT_EQ(PublishedSeats(), 5);
}

TEST_F(CrewRosterTest, AFullTractorRefusesAndNothingChanges) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.AddMember("Second", 30, 60, 80, "Sec"), 1);
  const double mass = oapiGetEmptyMass(tug);
  EXPECT_EQ(c.AddMember("Third", 30, 60, 80, "Sec"), 0);
  EXPECT_EQ(c.GetCrewCount(), 2);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass);
  EXPECT_EQ(PublishedSeats(), 0);
  EXPECT_EQ(c.AddMember(nullptr, 30, 60, 80, "Sec"), 0);
}

TEST_F(CrewRosterTest, SeatLimitsBelowTheCrewAboardAreRefused) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.AddMember("Second", 30, 60, 80, ""), 1);
  EXPECT_EQ(c.SetMaxCrew(1), 0) << "it would publish -1 free seats";
  EXPECT_EQ(c.SetMaxCrew(0), 0);
  EXPECT_EQ(c.SetMaxCrew(101), 0);
  EXPECT_EQ(c.maxCrew, 2);
  EXPECT_EQ(PublishedSeats(), 0);
  EXPECT_EQ(c.SetMaxCrew(2), 1);
  EXPECT_EQ(c.SetMaxCrew(100), 1);
  EXPECT_EQ(PublishedSeats(), 98);
}

TEST_F(CrewRosterTest, RemovalMovesTheLastMemberIntoTheGapAndFindsAnyCase) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.SetMaxCrew(3), 1);
  const std::string first = c.GetCrewName(0);
  ASSERT_EQ(c.AddMember("Bea", 30, 60, 60, "Doc"), 1);
  ASSERT_EQ(c.AddMember("Cyd", 40, 61, 90, "Sci"), 1);
  EXPECT_EQ(c.GetCrewAge("cYD"), 40);
  EXPECT_STREQ(c.GetCrewFunction("BEA"), "Doc");
  EXPECT_STREQ(c.GetCrewFunction("nobody"), "");
  EXPECT_EQ(c.GetCrewFunction(nullptr), nullptr);
  const double mass = oapiGetEmptyMass(tug);
  EXPECT_EQ(c.RemoveMember(first.c_str()), 1);
  EXPECT_STREQ(c.GetCrewName(0), "Cyd");
  EXPECT_STREQ(c.roster[0].functionCode, "Sci");
  EXPECT_EQ(c.GetCrewWeight(0), 90);
  EXPECT_STREQ(c.GetCrewName(2), "");
  EXPECT_EQ(c.GetCrewWeight(2), -1);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass - 74);
  EXPECT_EQ(c.RemoveMember("bea"), 1);
  EXPECT_EQ(c.RemoveMember("bea"), 0);
  EXPECT_EQ(c.RemoveMember(std::string(40, 'x').c_str()), 0);
  EXPECT_EQ(c.GetCrewCount(), 1);
  EXPECT_EQ(PublishedSeats(), 2);
}

std::vector<std::string> CrewLinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t at = line.find("UMMUCREW");
    if (at != std::string::npos) lines.push_back(line.substr(at));
  }
  return lines;
}

TEST_F(CrewRosterTest, CrewLinesSurviveSaveAndLoadInOrder) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.AddMember("Mary Ann Lee", 41, 60, 80, ""), 1);
  const std::string path = root + "/saved.scn";
  ASSERT_TRUE(sim::SaveScenario(path));
  const std::vector<std::string> lines = CrewLinesOf(ReadFile(path));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "UMMUCREW -Mary_Ann_Lee-41-60-80");

  OBJHANDLE other = CreateTractor("Tug2", 0.0001, 0, 0);
  CrewClient& d = Tractor(other)->crew;
  const double mass = oapiGetEmptyMass(other);
  for (const std::string& line : lines) EXPECT_EQ(d.LoadCrewLine(line.c_str()), 1) << line;
  EXPECT_EQ(d.LoadCrewLine("UMMUCREW Vip-Third-30-60-60"), 0) << "two seats";
  ASSERT_EQ(d.GetCrewCount(), 2);
  EXPECT_STREQ(d.GetCrewName(0), c.GetCrewName(0));
  EXPECT_STREQ(d.GetCrewName(1), "Mary Ann Lee");
  EXPECT_STREQ(d.roster[1].functionCode, "");
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(other), mass - 74 + 74 + 80) << "the default crew is replaced";
}

TEST_F(CrewRosterTest, AnyFirstLineReplacesTheDefaultCrewAndBadLinesAreDropped) {
  Start();
  CrewClient& c = v->crew;
  const double mass = oapiGetEmptyMass(tug);
  EXPECT_EQ(c.LoadCrewLine("STATUS Landed Earth"), 0);
  EXPECT_EQ(c.GetCrewCount(), 0);
  EXPECT_DOUBLE_EQ(oapiGetEmptyMass(tug), mass - 74);
  EXPECT_EQ(PublishedSeats(), 2);
  for (const char* bad : {"UMMUCREW Eng-Ann-0-65-74", "UMMUCREW Eng-Ann-28-181-74", "UMMUCREW Eng-Ann-28-65-301",
                          "UMMUCREW Eng--28-65-74"})
    EXPECT_EQ(c.LoadCrewLine(bad), 0) << bad;
  EXPECT_EQ(c.GetCrewCount(), 0);
  EXPECT_EQ(c.linesLoaded, 0);
  EXPECT_EQ(c.LoadCrewLine("UMMUCREW Eng-Ann-28-65-74"), 1);
  EXPECT_EQ(c.GetCrewCount(), 1) << "later lines do not reset again";
  EXPECT_EQ(PublishedSeats(), 1);
}

TEST_F(CrewRosterTest, WithoutTheAddOnLibraryEverythingRefusesAndTheDebugLineSaysSo) {
  TestRootOptions options;
  options.library = false;
  Start(options);
  CrewClient& c = v->crew;
  EXPECT_FALSE(c.IsReady());
  EXPECT_EQ(c.GetCrewCount(), 0);
  EXPECT_EQ(c.AddMember("Ann", 30, 60, 60, ""), 0);
  EXPECT_EQ(c.EvaMember("Ann"), -6);
  EXPECT_EQ(c.ProcessArrivals(), -1);
  EXPECT_EQ(c.PollActionArea(), -1);
  VECTOR3 p, d, r;
  EXPECT_FALSE(AirlockVectors(tug, &p, &d, &r));
  sim::RunFrame();
  EXPECT_STREQ(sim::DebugString(), "KVQ R7700 ERROR UMMU 2.0 not properly initialised in your code.");
}

TEST_F(CrewRosterTest, CurrentAddOnLeavesTheDebugLineAlone) {
  Start();
  for (int i = 0; i < 30 * 60; ++i) sim::RunFrame();
  EXPECT_STREQ(sim::DebugString(), "");
  EXPECT_EQ(v->crew.noticeDeadline, 0);
}

TEST_F(CrewRosterTest, AnOutdatedAddOnShowsTheNoticeForTwentySeconds) {
  TestRootOptions options;
  options.version = "1.5";
  Start(options);
  CrewClient& c = v->crew;
  ASSERT_EQ(c.outdatedFlag, 1);
  ASSERT_GT(c.noticeDeadline, 0);
  const double end = c.noticeDeadline;
  bool sawRequire = false, sawBlank = false;
  while (oapiGetSysTime() < end + 1) {
    sim::RunFrame();
    const std::string line = sim::DebugString();
    const double left = end - oapiGetSysTime();
    if (left > 5 && line.find("require \"Universal MMU\" ver 2.0") != std::string::npos) sawRequire = true;
    if (left > 0 && left <= 5 && line.empty()) sawBlank = true;
    if (left > 0.05 && left <= 5 && !line.empty()) {
      EXPECT_EQ(line.rfind("Your version of UMMU is outdated (", 0), 0u);
    }
  }
  EXPECT_TRUE(sawRequire);
  EXPECT_TRUE(sawBlank) << "the last five seconds blink";
  EXPECT_STREQ(sim::DebugString(), "");
  EXPECT_EQ(c.noticeDeadline, -1);
  std::snprintf(oapiDebugString(), 256, "%s", "someone else's text");
  sim::RunFrame();
  EXPECT_STREQ(sim::DebugString(), "someone else's text") << "the notice is over for good";
}

TEST_F(CrewRosterTest, MissingVersionFileRunsTheNoticeToo) {
  TestRootOptions options;
  options.version = nullptr;
  Start(options);
  EXPECT_EQ(v->crew.outdatedFlag, 1);
  EXPECT_TRUE(v->crew.IsReady());
}

}  // namespace
