// The coupling-point codes of the scripts: "attachIndex" names the front
// points with negative codes, "attach" and "detach" with positive ones.
#include <gtest/gtest.h>

#include "script/attach_codes.h"

namespace {

TEST(ScriptCodes, AttachIndexNamesTheFrontWithNegativeCodes) {
  EXPECT_EQ(AttachIndexPoint(-2), AttachPoint::VESSEL_HITCH_FRONT);
  EXPECT_EQ(AttachIndexPoint(-1), AttachPoint::TOWBAR_MOUNT_FRONT);
  EXPECT_EQ(AttachIndexPoint(1), AttachPoint::TOWBAR_MOUNT_BACK);
  EXPECT_EQ(AttachIndexPoint(2), AttachPoint::VESSEL_HITCH_BACK);
  EXPECT_EQ(AttachIndexPoint(0), AttachPoint::NONE);
  EXPECT_EQ(AttachIndexPoint(3), AttachPoint::NONE);
}

TEST(ScriptCodes, AttachAndDetachNameTheFrontWithPositiveCodes) {
  EXPECT_EQ(CouplingCodeTarget(1), CouplingTarget::TOWBAR_FRONT);
  EXPECT_EQ(CouplingCodeTarget(-1), CouplingTarget::TOWBAR_BACK);
  EXPECT_EQ(CouplingCodeTarget(2), CouplingTarget::VESSEL_FRONT);
  EXPECT_EQ(CouplingCodeTarget(-2), CouplingTarget::VESSEL_BACK);
  EXPECT_EQ(CouplingCodeTarget(0), CouplingTarget::NONE);
}

// Codes are compared at full integer width: a large number does not wrap
// onto a valid code.
TEST(ScriptCodes, LargeCodesNameNothing) {
  EXPECT_EQ(AttachIndexPoint((1LL << 32) + 1), AttachPoint::NONE);
  EXPECT_EQ(CouplingCodeTarget((1LL << 32) - 2), CouplingTarget::NONE);
}

}  // namespace
