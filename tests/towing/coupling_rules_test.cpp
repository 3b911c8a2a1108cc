#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "towing/coupling_rules.h"

namespace {

// The sample airliner: tow point under the nose, nose wheel, main gear.
constexpr VECTOR3 JET_T{0, -2.54, 11.5};
constexpr VECTOR3 JET_NOSE{0, -3, 11};
constexpr VECTOR3 JET_MAIN_L{-3, -3, -1.5};
constexpr VECTOR3 JET_MAIN_R{3, -3, -1.5};

}  // namespace

TEST(CouplingRules, OnlyTheExactIdTCouplesAVessel) {
  EXPECT_TRUE(IsVesselTowPoint("T"));
  for (const char* id : {"TOW", "T1", "", "t", " T", "TOWBAR"}) EXPECT_FALSE(IsVesselTowPoint(id)) << id;
  EXPECT_FALSE(IsVesselTowPoint(nullptr));
}

TEST(CouplingRules, TheTowbarPointBeginsWithTOWBAR) {
  for (const char* id : {"TOWBAR", "TOWBAR1", "TOWBAR_EYE"}) EXPECT_TRUE(IsTowbarPoint(id)) << id;
  for (const char* id : {"TOWBA", "T", "towbar", "XTOWBAR", ""}) EXPECT_FALSE(IsTowbarPoint(id)) << id;
  EXPECT_FALSE(IsTowbarPoint(nullptr));
}

TEST(CouplingRules, TowbarNameFollowsTheTractor) {
  char buf[TOWBAR_NAME_SIZE];
  BuildTowbarName("Tug", buf, sizeof buf);
  EXPECT_STREQ(buf, "Tug_Towbar");

  const std::string longest(248, 'x');
  BuildTowbarName(longest.c_str(), buf, sizeof buf);
  EXPECT_EQ(std::string(buf), longest + "_Towbar");

  // Too long for the buffer: shortened, never overflowing, still a towbar's
  // name and never the tractor's own.
  const std::string tooLong(400, 'y');
  char guarded[TOWBAR_NAME_SIZE + 8];
  std::memset(guarded, '#', sizeof guarded);
  BuildTowbarName(tooLong.c_str(), guarded, TOWBAR_NAME_SIZE);
  EXPECT_EQ(std::strlen(guarded), TOWBAR_NAME_SIZE - 1);
  EXPECT_EQ(std::string(guarded).substr(TOWBAR_NAME_SIZE - 8), "_Towbar");
  for (size_t i = TOWBAR_NAME_SIZE; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], '#');
}

TEST(CouplingRules, AirlinerAtTheFrontGivesItsTowGeometry) {
  const VesselCouplingGeometry g = ComputeVesselCoupling(true, JET_T, JET_NOSE, JET_MAIN_L, JET_MAIN_R);
  EXPECT_EQ(g.towbarHitchOffset, 5.0);
  EXPECT_NEAR(g.towbarLength, 7.0, 1e-6);
  EXPECT_EQ(g.vesselHitchOffset, 0.05);
  EXPECT_EQ(g.vesselLength, 13.0);
  EXPECT_NEAR(g.towbarPitch, 0.000154, 1e-6);
  EXPECT_EQ(g.vesselYaw, 0);
}

TEST(CouplingRules, AirlinerAtTheBackHasTheSameLengths) {
  const VesselCouplingGeometry g = ComputeVesselCoupling(false, JET_T, JET_NOSE, JET_MAIN_L, JET_MAIN_R);
  EXPECT_EQ(g.towbarHitchOffset, -3.41);
  EXPECT_NEAR(g.towbarLength, 7.0, 1e-6);
  EXPECT_EQ(g.vesselLength, 13.0);
  EXPECT_EQ(g.vesselYaw, PI);
}

TEST(CouplingRules, TowPointOutOfReachGivesTheSteepestTowbar) {
  const VesselCouplingGeometry high = ComputeVesselCoupling(true, {0, 20, 11.5}, JET_NOSE, JET_MAIN_L, JET_MAIN_R);
  EXPECT_EQ(high.towbarPitch, PI05);
  const VesselCouplingGeometry low = ComputeVesselCoupling(true, {0, -20, 11.5}, JET_NOSE, JET_MAIN_L, JET_MAIN_R);
  EXPECT_EQ(low.towbarPitch, -PI05);
  EXPECT_TRUE(std::isfinite(low.towbarLength));
}
