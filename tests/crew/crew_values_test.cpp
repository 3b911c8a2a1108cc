// The crew client's rules on plain values: crew lines, names, the handoff
// record's bytes, the function table, the version notice and the airlock box.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "crew/airlock_link.h"
#include "crew/crew_line.h"
#include "crew/crew_text.h"
#include "crew/crew_vessel_name.h"
#include "crew/function_table.h"
#include "crew/handoff_record.h"
#include "crew/notice_text.h"
#include "crew/numbers.h"

namespace {

CrewMember Member(const char* code, const char* name, int age, int pulse, double weight) {
  CrewMember m{};
  CopyBounded(m.functionCode, sizeof m.functionCode, code);
  CopyBounded(m.name, sizeof m.name, name);
  m.age = age;
  m.pulse = pulse;
  m.weight = weight;
  return m;
}

std::string Line(const CrewMember& m) {
  char value[300];
  FormatCrewLine(m, value, sizeof value);
  return value;
}

TEST(CrewLine, WritesCodeNameAndNumbersWithUnderscoresForSpaces) {
  EXPECT_EQ(Line(Member("Capt", "First Last", 41, 60, 80.0)), "Capt-First_Last-41-60-80");
  EXPECT_EQ(Line(Member("", "Ann", 30, 70, 70.9)), "-Ann-30-70-70");
}

TEST(CrewLine, SaveThenLoadGivesTheSameMember) {
  const CrewMember saved = Member("Eng", "Jo Ann Smith", 28, 65, 74);
  CrewMember loaded{};
  ASSERT_TRUE(ParseCrewLine(("UMMUCREW " + Line(saved)).c_str(), loaded));
  EXPECT_STREQ(loaded.name, "Jo Ann Smith");
  EXPECT_STREQ(loaded.functionCode, "Eng");
  EXPECT_EQ(loaded.age, 28);
  EXPECT_EQ(loaded.pulse, 65);
  EXPECT_EQ(loaded.weight, 74.0);
}

TEST(CrewLine, AcceptedShapes) {
  CrewMember m{};
  ASSERT_TRUE(ParseCrewLine("ummucrew   -Ann_Lee-30-1-5 trailing", m)) << "key in any case, no code";
  EXPECT_STREQ(m.functionCode, "");
  EXPECT_STREQ(m.name, "Ann Lee");
  ASSERT_TRUE(ParseCrewLine("UMMUCREW Captain-Bo-140-180-300", m)) << "a long code keeps 4 characters";
  EXPECT_STREQ(m.functionCode, "Capt");
  EXPECT_EQ(m.weight, 300.0);
  ASSERT_TRUE(ParseCrewLine("UMMUCREW Doc-O'Neil-40-60-80", m)) << "other characters become spaces";
  EXPECT_STREQ(m.name, "O Neil");
  ASSERT_TRUE(ParseCrewLine("UMMUCREW Doc-$$-40-60-80", m)) << "a name of symbols is taken as spaces";
  EXPECT_STREQ(m.name, "  ");
  ASSERT_TRUE(ParseCrewLine("UMMUCREW Sci-ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-40-60-80", m));
  EXPECT_STREQ(m.name, "ABCDEFGHIJKLMNOPQRSTUVWXY") << "names keep 25 characters";
  EXPECT_EQ(m.age, 40);
}

TEST(CrewLine, RejectsValuesOutsideTheirRangesAndBrokenLines) {
  const char* rejected[] = {
      "UMMUCREW Eng-Ann-0-65-74",    "UMMUCREW Eng-Ann-141-65-74", "UMMUCREW Eng-Ann-28-0-74",
      "UMMUCREW Eng-Ann-28-181-74",  "UMMUCREW Eng-Ann-28-65-4",   "UMMUCREW Eng-Ann-28-65-301",
      "UMMUCREW Eng--28-65-74",      "UMMUCREW Eng",               "UMMUCREW Eng-Ann-28-65",
      "UMMUCREW Eng-Ann-x-65-74",    "MODE 0 0.0 0",               "UMMUCREW",
  };
  for (const char* line : rejected) {
    CrewMember m = Member("X", "Y", 1, 1, 5);
    EXPECT_FALSE(ParseCrewLine(line, m)) << line;
    EXPECT_STREQ(m.name, "") << "a rejected line leaves the member cleared: " << line;
  }
  CrewMember m{};
  EXPECT_FALSE(ParseCrewLine(nullptr, m));
}

TEST(CrewLine, AnyTypedFunctionCodeComesBackFromTheLine) {
  struct Case {
    const char* typed;
    const char* stored;
  } cases[] = {
      {"a-b", "ab"}, {"Capt ain", "Capt"}, {"-Doc", "Doc"}, {" \tSci", "Sci"}, {"--", ""},
      {"Tech", "Tech"}, {"x_y", "x_y"}, {"\xC3\x84rzt", "\xC3\x84rz"}, {"a:b", "ab"}, {":::", ""},
  };
  for (const Case& c : cases) {
    CrewMember m = Member("", "Cy Young", 40, 70, 70);
    CopyFunctionCode(m.functionCode, sizeof m.functionCode, c.typed, 4);
    EXPECT_STREQ(m.functionCode, c.stored) << c.typed;
    CrewMember loaded{};
    ASSERT_TRUE(ParseCrewLine(("UMMUCREW " + Line(m)).c_str(), loaded)) << Line(m);
    EXPECT_STREQ(loaded.functionCode, m.functionCode) << c.typed;
    EXPECT_STREQ(loaded.name, "Cy Young") << c.typed;
    EXPECT_EQ(loaded.age, 40) << c.typed;
  }
}

TEST(CrewText, LeadingIntegersSaturateAtTheIntRange) {
  EXPECT_EQ(ReadLeadingInteger("  42abc"), 42);
  EXPECT_EQ(ReadLeadingInteger("-7"), -7);
  EXPECT_EQ(ReadLeadingInteger("about ten"), 0);
  EXPECT_EQ(ReadLeadingInteger("2147483647"), INT_MAX);
  EXPECT_EQ(ReadLeadingInteger("2147483648"), INT_MAX);
  // A 32-bit long wrapped these to 5 before.
  EXPECT_EQ(ReadLeadingInteger("4294967300"), INT_MAX);
  EXPECT_EQ(ReadLeadingInteger("30000000000"), INT_MAX);
  EXPECT_EQ(ReadLeadingInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(ReadLeadingInteger("-99999999999999999999"), INT_MIN);
}

TEST(CrewText, SanitizeKeepsOnlyLettersDigitsAndLength) {
  char name[40] = "Jean-Luc O'Hara 2\xC3\xA9";
  SanitizeCrewName(name);
  EXPECT_STREQ(name, "Jean Luc O Hara 2  ");
}

TEST(CrewText, BoundedCopiesCutAtTheFieldWidth) {
  char small[6];
  EXPECT_EQ(CopyBounded(small, sizeof small, "abcdefgh"), 5u);
  EXPECT_STREQ(small, "abcde");
  EXPECT_EQ(CopyBounded(small, sizeof small, "abcdefgh", 3), 3u);
  EXPECT_STREQ(small, "abc");
  CopyBounded(small, sizeof small, nullptr);
  EXPECT_STREQ(small, "");
  JoinBounded(small, sizeof small, "UMmu_", "Ann");
  EXPECT_STREQ(small, "UMmu_");
  EXPECT_TRUE(EqualsIgnoreCase("cApT", "Capt"));
  EXPECT_FALSE(EqualsIgnoreCase("Cap", "Capt"));
}

TEST(HandoffRecord, IsOneHundredAndFourLittleEndianBytes) {
  CrewHandoffRecord r{};
  CopyBounded(r.name, sizeof r.name, "UMmu_Eng-Ann Lee");
  CopyBounded(r.mesh, sizeof r.mesh, "ummu/ummuTECH");
  r.age = 28;
  r.pulse = 65;
  r.evaParameter = 100;
  r.weight = 0x01020304;
  unsigned char bytes[HANDOFF_RECORD_SIZE];
  std::memset(bytes, 0xEE, sizeof bytes);
  EncodeHandoffRecord(r, bytes);
  EXPECT_EQ(std::memcmp(bytes, "UMmu_Eng-Ann Lee\0", 17), 0) << "spaces kept, zero-filled";
  EXPECT_EQ(bytes[39], 0);
  EXPECT_EQ(std::memcmp(bytes + 40, "ummu/ummuTECH\0", 14), 0);
  const unsigned char ints[24] = {28, 0, 0, 0, 65, 0, 0, 0, 100, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes + 80, ints, sizeof ints), 0);

  bytes[79] = 'x';  // an unterminated mesh field is cut, never overrun
  const CrewHandoffRecord back = DecodeHandoffRecord(bytes);
  EXPECT_STREQ(back.name, "UMmu_Eng-Ann Lee");
  EXPECT_EQ(back.mesh[39], '\0');
  EXPECT_EQ(back.weight, 0x01020304);
  EXPECT_EQ(back.evaParameter, 100);
}

class FunctionTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFunctionTable(table); }
  const char* Mesh(const char* code) { return LookUpSuitMesh(table, code); }
  CrewFunctionTable table{};
};

TEST_F(FunctionTableTest, BuiltInCodesWithoutFiles) {
  FinishFunctionTable(table);
  EXPECT_EQ(table.count, 17);
  EXPECT_STREQ(table.entries[0].description, "passenger");
  EXPECT_STREQ(Mesh("capt"), "ummu/ummup");
  EXPECT_STREQ(Mesh("CAPT"), "ummu/ummup");
  EXPECT_STREQ(Mesh("Doc"), "ummu/ummuMED");
  EXPECT_STREQ(Mesh("Spe"), "ummu/ummuTECH");
  EXPECT_STREQ(Mesh("Crew"), "ummu/ummu");
  EXPECT_STREQ(Mesh("Pax"), "ummu/ummu");
  EXPECT_STREQ(Mesh(""), "ummu/ummu") << "entry 0's empty code never matches";
  EXPECT_STREQ(Mesh(nullptr), "ummu/ummu");
}

TEST_F(FunctionTableTest, FileNamesGiveEntriesThatShadowBuiltInCodes) {
  ASSERT_TRUE(AddFunctionFileName(table, "medsuit-field doctor-Doc.cfg"));
  FinishFunctionTable(table);
  EXPECT_STREQ(Mesh("doc"), "ummu/medsuit");
  EXPECT_STREQ(table.entries[1].description, "field doctor");
  EXPECT_STREQ(Mesh("Capt"), "ummu/ummup");
}

TEST_F(FunctionTableTest, NamesThatDoNotFitAddNothing) {
  const char* bad[] = {"suit-desc-D.cfg",       "suit-desc-Docto.cfg", "ABCDEFGHIJKLMNOPQRS-desc-Doc.cfg",
                       "suitdescDoc.cfg",       "suit-descDoc.cfg",    "suit-desc-Doc",
                       "-desc-Doc.cfg"};
  for (const char* name : bad) EXPECT_FALSE(AddFunctionFileName(table, name)) << name;
  EXPECT_EQ(table.count, 1);
  EXPECT_TRUE(AddFunctionFileName(table, "ABCDEFGHIJKLMNOPQR-a description longer than twenty four-Ab.cfg"))
      << "18-character mesh part";
  EXPECT_STREQ(table.entries[1].mesh, "ummu/ABCDEFGHIJKLMNOPQR");
  EXPECT_STREQ(table.entries[1].description, "a description longer tha");
}

TEST_F(FunctionTableTest, ThirteenFilesKeepTheBuiltInListFourteenDropIt) {
  for (int i = 0; i < 13; ++i) {
    const std::string name = std::string("s").append(std::to_string(i)) + "-d-C" + std::to_string(i) + ".cfg";
    ASSERT_TRUE(AddFunctionFileName(table, name.c_str()));
  }
  CrewFunctionTable thirteen = table;
  FinishFunctionTable(thirteen);
  EXPECT_EQ(thirteen.count, 30);
  EXPECT_STREQ(LookUpSuitMesh(thirteen, "Capt"), "ummu/ummup");

  ASSERT_TRUE(AddFunctionFileName(table, "s13-d-C13.cfg"));
  FinishFunctionTable(table);
  EXPECT_EQ(table.count, 15);
  EXPECT_STREQ(Mesh("Capt"), "ummu/ummu");
  EXPECT_STREQ(Mesh("c13"), "ummu/s13");
}

TEST_F(FunctionTableTest, TakesAtMost252Files) {
  int taken = 0;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "m-d-" + std::to_string(1000 + i).substr(1) + ".cfg";
    taken += AddFunctionFileName(table, name.c_str()) ? 1 : 0;
  }
  EXPECT_EQ(taken, 252);
  FinishFunctionTable(table);
  EXPECT_EQ(table.count, 253);
}

struct Notice {
  double deadline;
  std::string line;
  bool written;
};

Notice At(double now, double deadline, int outdated = 1) {
  char out[256] = "untouched";
  const bool written = ComposeVersionNotice("KVQ R7700", outdated, now, deadline, out, sizeof out);
  return {deadline, written ? std::string(out) : std::string("untouched"), written};
}

TEST(VersionNotice, RunsTwentySecondsThenBlinksThenClearsOnce) {
  const double end = 120;  // armed at system time 100
  EXPECT_EQ(At(100.0, end).line, "Your version of UMMU is outdated (20)") << "last 5 s of a 15-s period";
  EXPECT_EQ(At(106.0, end).line,
            std::string("KVQ R7700 require \"Universal MMU\" ver 2.0 or higher. Download at ") +
                CREW_ADDON_DOWNLOAD + " (14)");
  EXPECT_EQ(At(104.9, end).line, "Your version of UMMU is outdated (15)");
  EXPECT_EQ(At(115.2, end).line, "Your version of UMMU is outdated (5)") << "blink on";
  EXPECT_EQ(At(115.8, end).line, "") << "blink off in the last quarter of each second";
  EXPECT_EQ(At(119.5, end).line, "Your version of UMMU is outdated (0)");
  const Notice over = At(120.1, end);
  EXPECT_TRUE(over.written);
  EXPECT_EQ(over.line, "");
  EXPECT_EQ(over.deadline, -1);
  EXPECT_FALSE(At(121, -1).written) << "the notice never returns";
  EXPECT_FALSE(At(121, 0).written) << "no notice armed: the line is not touched";
}

TEST(VersionNotice, WithoutTheOutdatedFlagThePushTextTakesTheLastFiveSecondsOfEachPeriod) {
  const double end = 120;
  EXPECT_EQ(At(106.0, end, 0).line,
            std::string("KVQ R7700 require \"Universal MMU\" ver 2.0 or higher. Download at ") +
                CREW_ADDON_DOWNLOAD + " (14)")
      << "first 10 s of a 15-s period";
  EXPECT_EQ(At(100.0, end, 0).line, "UMMU 2.0 will push this addon one step further. (20)");
  EXPECT_EQ(At(115.2, end, 0).line, "Don't Miss Universal MMU 2.0 for Orbiter (UMMU) (5)");
}

TEST(CrewVesselName, SpacesBecomeUnderscoresAndTakenNamesGetADigit) {
  static std::set<std::string> names;
  names = {"UMmu_Eng-Ann_Lee"};
  auto taken = [](const char* n) { return names.count(n) != 0; };
  char name[39] = "UMmu_Eng-Ann Lee";
  MakeCrewVesselName(name, sizeof name, taken);
  EXPECT_STREQ(name, "UMmu_Eng-Ann_Lee1");

  names.clear();
  for (int i = 0; i <= 399; ++i) names.insert(i == 0 ? "UMmu_X" : "UMmu_X" + std::to_string(i));
  char all[39] = "UMmu_X";
  MakeCrewVesselName(all, sizeof all, taken);
  EXPECT_STREQ(all, "UMmu_X399") << "every name taken: the last try is used";

  names = {"UMmuT" + std::string(33, 'a')};
  char full[39];
  CopyBounded(full, sizeof full, names.begin()->c_str());
  MakeCrewVesselName(full, sizeof full, taken);
  EXPECT_EQ(std::strlen(full), 38u) << "the digit fits inside the field";
  EXPECT_EQ(full[37], '1');
}

TEST(CrewVesselName, LabelsSplitIntoCodeAndName) {
  char code[5], name[26];
  SplitCrewLabel("Capt-Ann Lee", code, sizeof code, name, sizeof name);
  EXPECT_STREQ(code, "Capt");
  EXPECT_STREQ(name, "Ann Lee");
  SplitCrewLabel("Ann Lee", code, sizeof code, name, sizeof name);
  EXPECT_STREQ(code, "");
  EXPECT_STREQ(name, "Ann Lee");
  SplitCrewLabel("Eng-ABCDEFGHIJKLMNOPQRSTUVWXYZ", code, sizeof code, name, sizeof name);
  EXPECT_STREQ(name, "ABCDEFGHIJKLMNOPQRSTUVWXY");
}

TEST(AirlockBox, BoundsAreOutsideAndTheAttachmentCarriesNumbers) {
  AirlockLink link;
  link.xMin = -4, link.xMax = 4, link.yMin = 0, link.yMax = 3, link.zMin = 2, link.zMax = 5;
  link.openFlag = 1;
  link.secondValue = 0;
  link.freeSeats = 1;
  EXPECT_TRUE(link.InsideBox(_V(0, 1, 3)));
  EXPECT_FALSE(link.InsideBox(_V(4, 1, 3)));
  EXPECT_FALSE(link.InsideBox(_V(0, 0, 3)));
  EXPECT_FALSE(link.InsideBox(_V(0, 1, 5)));
  VECTOR3 pos, dir, rot;
  link.AttachmentVectors(pos, dir, rot);
  EXPECT_EQ(pos.x, -4); EXPECT_EQ(pos.y, 4); EXPECT_EQ(pos.z, 0);
  EXPECT_EQ(dir.x, 3); EXPECT_EQ(dir.y, 2); EXPECT_EQ(dir.z, 5);
  EXPECT_EQ(rot.x, 1); EXPECT_EQ(rot.y, 0); EXPECT_EQ(rot.z, 1);
}

TEST(AirlockBox, CrewVesselsKeepTheParentOrientationWithZeroAngles) {
  const MATRIX3 r{0, 0, 1, 0, 1, 0, -1, 0, 0};
  const MATRIX3 same = RotateByAngles(r, _V(0, 0, 0));
  EXPECT_EQ(std::memcmp(&same, &r, sizeof r), 0);
  const MATRIX3 yawed = RotateByAngles(MATRIX3{1, 0, 0, 0, 1, 0, 0, 0, 1}, _V(0, PI05, 0));
  EXPECT_NEAR(yawed.m13, 1, 1e-12);
  EXPECT_NEAR(yawed.m31, -1, 1e-12);
}

}  // namespace

TEST(CrewNumbers, ValuesReadFromAnotherVesselTruncateIntoTheIntRange) {
  EXPECT_EQ(TruncateToInt(41.9), 41);
  EXPECT_EQ(TruncateToInt(-3.7), -3);
  EXPECT_EQ(TruncateToInt(1e30), INT_MAX);
  EXPECT_EQ(TruncateToInt(-1e30), INT_MIN);
  EXPECT_EQ(TruncateToInt(std::nan("")), 0);
  EXPECT_EQ(TruncateToInt(HUGE_VAL), INT_MAX);
}
