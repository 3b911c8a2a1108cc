// Scenario files: random states saved and loaded again keep every saved
// field to six decimals and the roster whole; random, malformed blocks never
// crash the load nor leave a value out of range, also after a few frames.
#include <cmath>
#include <fstream>
#include <random>
#include <string>

#include "sim/sim.h"
#include "tests/reliability/reliability_scene.h"
#include "tests/support/invariants.h"

namespace {

constexpr double SIX_DECIMALS = 5e-7 + 1e-12;  // "%lf" rounds to the nearest millionth

struct Saved {
  int towMode, transmission, gearIndex;
  bool parkingBrake;
  double speed, fuel, towbarHitchOffset, towbarLength, vesselHitchOffset, vesselLength, towbarYaw, vesselYaw,
      towbarPitch;
};

Saved RandomState(std::mt19937& rng) {
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  return {integer(-2, 2),      integer(-1, 2),     integer(0, 5),       integer(0, 1) == 1, real(-12, 12),
          real(-1, 176.8),     real(-10, 10),      real(0, 20),         real(-1, 1),        real(0, 80),
          real(-7, 7),         real(-3.2, 3.2),    real(-0.2, 0.2)};
}

void Apply(const Saved& s, KVQ_R7700& v) {
  v.towMode = s.towMode, v.transmission = s.transmission, v.gearIndex = s.gearIndex, v.parkingBrake = s.parkingBrake;
  v.speed = s.speed, v.fuel = s.fuel, v.towbarHitchOffset = s.towbarHitchOffset, v.towbarLength = s.towbarLength;
  v.vesselHitchOffset = s.vesselHitchOffset, v.vesselLength = s.vesselLength, v.towbarYaw = s.towbarYaw;
  v.vesselYaw = s.vesselYaw, v.towbarPitch = s.towbarPitch;
}

std::string RandomName(std::mt19937& rng) {
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789  ";
  std::string name;
  const int n = std::uniform_int_distribution<int>(1, 25)(rng);
  for (int i = 0; i < n; ++i) name += letters[std::uniform_int_distribution<int>(0, sizeof letters - 2)(rng)];
  if (name.find_first_not_of(' ') == std::string::npos) name[0] = 'Q';
  return name;
}

using ScenarioProperty = ReliabilityScene;

}  // namespace

TEST_F(ScenarioProperty, RandomStatesLoadBackToSixDecimalsWithTheirCrew) {
  std::mt19937 rng(20261208);
  static const char* const codes[] = {"", "Capt", "Eng", "Doc", "X1", "Tech"};
  for (int round = 0; round < 25; ++round) {
    Restart();
    KVQ_R7700* tug = NewTractor();
    ASSERT_NE(tug, nullptr);
    const Saved s = RandomState(rng);
    Apply(s, *tug);
    // A random crew for the two seats: none, one or two members.
    const int members = std::uniform_int_distribution<int>(0, 2)(rng);
    tug->crew.RemoveMember(tug->crew.GetCrewName(0));
    for (int i = 0; i < members; ++i)
      ASSERT_EQ(tug->crew.AddMember(RandomName(rng).c_str(), std::uniform_int_distribution<int>(1, 140)(rng),
                                    std::uniform_int_distribution<int>(1, 180)(rng),
                                    std::uniform_int_distribution<int>(5, 300)(rng), codes[(round + i) % 6]),
                1);
    const CrewClient crewBefore = tug->crew;
    ASSERT_TRUE(sim::SaveScenario(Path("property.scn")));

    Restart();
    std::string error;
    ASSERT_TRUE(sim::LoadScenario(Path("property.scn"), &error)) << error;
    KVQ_R7700* back = FindTractor();
    ASSERT_NE(back, nullptr);
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(back->towMode, s.towMode);
    EXPECT_EQ(back->transmission, s.transmission);
    EXPECT_EQ(back->gearIndex, s.gearIndex);
    EXPECT_EQ(back->parkingBrake, s.parkingBrake);
    EXPECT_NEAR(back->speed, s.speed, SIX_DECIMALS);
    EXPECT_NEAR(back->fuel, s.fuel, SIX_DECIMALS);
    EXPECT_NEAR(back->towbarHitchOffset, s.towbarHitchOffset, SIX_DECIMALS);
    EXPECT_NEAR(back->towbarLength, s.towbarLength, SIX_DECIMALS);
    EXPECT_NEAR(back->vesselHitchOffset, s.vesselHitchOffset, SIX_DECIMALS);
    EXPECT_NEAR(back->vesselLength, s.vesselLength, SIX_DECIMALS);
    EXPECT_NEAR(back->towbarYaw, s.towbarYaw, SIX_DECIMALS);
    EXPECT_NEAR(back->vesselYaw, s.vesselYaw, SIX_DECIMALS);
    EXPECT_NEAR(back->towbarPitch, s.towbarPitch, SIX_DECIMALS);
    ASSERT_EQ(back->crew.crewCount, crewBefore.crewCount);
    for (int i = 0; i < crewBefore.crewCount; ++i) {
      const CrewMember &a = crewBefore.roster[i], &b = back->crew.roster[i];
      EXPECT_STREQ(b.name, a.name);
      EXPECT_STREQ(b.functionCode, a.functionCode);
      EXPECT_EQ(b.age, a.age);
      EXPECT_EQ(b.pulse, a.pulse);
      EXPECT_EQ(b.weight, a.weight);
    }
    EXPECT_EQ(CheckTractorInvariants(*back), "");
  }
}

TEST_F(ScenarioProperty, MalformedBlocksNeverCrashNorLeaveValuesOutOfRange) {
  std::mt19937 rng(1517);
  static const char* const items[] = {"MODE", "TRANS", "LENG", "ANGL", "UMMUCREW", "mode", "TransX", "MODEL",
                                      "ummucrew", "STATUS", "HEADING"};
  static const char* const values[] = {"2", "-3", "7", "0x10", "010", "99999999999", "-2147483649", "nan", "inf",
                                       "-inf", "1e308", "-1e308", "3.5", "", "abc", "--", "Capt-A_B-41-60-80",
                                       "-x-0-0-0", "1e-320", "+", "0x", "2147483647"};
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int round = 0; round < 60; ++round) {
    std::string block = "BEGIN_SHIPS\nTug:KVQ_R7700\n  STATUS Landed Earth\n  POS 17.2 0.5\n  HEADING 14\n";
    const int lines = 1 + pick(8);
    for (int l = 0; l < lines; ++l) {
      block += "  ";
      block += items[pick(11)];
      const int n = pick(6);
      for (int k = 0; k < n; ++k) block += std::string(pick(3) == 0 ? "" : " ") + values[pick(22)];
      // Now and then a stray byte.
      if (pick(4) == 0) block += static_cast<char>(1 + pick(126));
      block += "\n";
    }
    block += "END\nEND_SHIPS\n";
    Restart();
    std::ofstream(Path("malformed.scn"), std::ios::binary) << block;
    std::string error;
    SCOPED_TRACE(block);
    if (!sim::LoadScenario(Path("malformed.scn"), &error)) continue;
    KVQ_R7700* tug = FindTractor();
    ASSERT_NE(tug, nullptr);
    EXPECT_EQ(CheckTractorInvariants(*tug), "");
    EXPECT_EQ(CountPeople(), tug->crew.crewCount);
    for (int f = 0; f < 5; ++f) sim::RunFrame();
    EXPECT_EQ(CheckTractorInvariants(*tug), "") << "after five frames";
  }
}

// Found by the scenario fuzzer: "LENG 5 1e300" used to be stored, then saved
// as a line cut off inside the number's 300 digits, losing the value and the
// ones after it. A value too long for its saved line does not convert.
TEST_F(ScenarioProperty, AValueTooLongForItsSavedLineDoesNotConvert) {
  std::ofstream(Path("huge.scn"), std::ios::binary)
      << "BEGIN_SHIPS\nTug:KVQ_R7700\n  STATUS Landed Earth\n  POS 17.2 0.5\n  HEADING 14\n"
      << "  LENG 5 -1e300 0.05 13\n  ANGL 1e15 1e16 0.5\n  MODE 1 -2e15 1\nEND\nEND_SHIPS\n";
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(Path("huge.scn"), &error)) << error;
  KVQ_R7700* tug = FindTractor();
  ASSERT_NE(tug, nullptr);
  EXPECT_EQ(tug->towbarHitchOffset, 5);
  EXPECT_EQ(tug->towbarLength, 0) << "the scan stops at the huge value";
  EXPECT_EQ(tug->vesselLength, 0);
  EXPECT_EQ(tug->towbarYaw, 1e15) << "the limit itself still converts";
  EXPECT_EQ(tug->vesselYaw, 0);
  EXPECT_EQ(tug->towMode, 1);
  EXPECT_EQ(tug->speed, 0);
  EXPECT_FALSE(tug->parkingBrake);

  ASSERT_TRUE(sim::SaveScenario(Path("huge_saved.scn")));
  Restart();
  ASSERT_TRUE(sim::LoadScenario(Path("huge_saved.scn"), &error)) << error;
  KVQ_R7700* back = FindTractor();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->towbarHitchOffset, 5);
  EXPECT_EQ(back->towbarYaw, 1e15);
  EXPECT_EQ(back->towMode, 1);
}
