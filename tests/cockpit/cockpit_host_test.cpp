// The cab inside the headless host: camera and neighbours of each position,
// the status display's area, fonts and frame, and redraws that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/sim.h"

namespace {

class CockpitHost : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Options options;
    options.root = KVQ_ROOT;
    std::string error;
    ASSERT_TRUE(sim::Start(options, &error)) << error;
    tug = sim::CreateLandedVessel("Tug", "KVQ_R7700", -80.6758 * RAD, 28.5227 * RAD, 270 * RAD, &error);
    ASSERT_NE(tug, nullptr) << error;
    oapiSetFocusObject(tug);
    sim::SetVisual(tug, true);
    v = oapiGetVesselInterface(tug);
    ASSERT_NE(v, nullptr);
  }
  void TearDown() override { sim::Shutdown(); }

  OBJHANDLE tug = nullptr;
  VESSEL* v = nullptr;
};

void ExpectVector(const VECTOR3& got, const VECTOR3& want) {
  EXPECT_DOUBLE_EQ(got.x, want.x);
  EXPECT_DOUBLE_EQ(got.y, want.y);
  EXPECT_DOUBLE_EQ(got.z, want.z);
}

TEST_F(CockpitHost, EachPositionPlacesTheCamera) {
  struct Row {
    int position;
    VECTOR3 offset, direction;
  };
  const Row rows[] = {{0, {-0.6, 1.8, 3.5}, {0, -0.17365, 0.98481}},
                      {1, {0.6, 1.8, 3.5}, {0, 0, 1}},
                      {2, {-1.25, 2.1, 4.1}, {0, 0, -1}},
                      {3, {1.25, 2.1, 4.1}, {0, 0, -1}}};
  for (const Row& r : rows) {
    ASSERT_TRUE(sim::VCEnter(r.position));
    EXPECT_EQ(sim::VCPosition(), r.position);
    VECTOR3 offset{}, direction{};
    v->GetCameraOffset(offset);
    v->GetCameraDefaultDirection(direction);
    ExpectVector(offset, r.offset);
    ExpectVector(direction, r.direction);
  }
}

TEST_F(CockpitHost, RefusedPositionLeavesTheCameraAlone) {
  ASSERT_TRUE(sim::VCEnter(1));
  EXPECT_FALSE(sim::VCEnter(4));
  VECTOR3 offset{};
  v->GetCameraOffset(offset);
  ExpectVector(offset, {0.6, 1.8, 3.5});
}

TEST_F(CockpitHost, StatusDisplaySitsOnItsTextureRectangle) {
  ASSERT_TRUE(sim::VCEnter(0));
  RECT r{};
  ASSERT_TRUE(sim::VCAreaRect(3, &r));
  EXPECT_EQ(r.left, 13);
  EXPECT_EQ(r.top, 21);
  EXPECT_EQ(r.right, 498);
  EXPECT_EQ(r.bottom, 358);
  EXPECT_NE(sim::VCAreaSurface(3), nullptr);
}

TEST_F(CockpitHost, EngineOffShowsStartLargeInAWhiteFrame) {
  ASSERT_TRUE(sim::VCEnter(0));
  sim::RunFrame();
  const std::vector<sim::VCTextItem> texts = sim::VCTextItems(3);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "START");
  EXPECT_EQ(texts[0].x, 130);
  EXPECT_EQ(texts[0].y, 250);
  EXPECT_EQ(texts[0].fontHeight, 80);
  EXPECT_EQ(texts[0].colour, 0xFFFFFFu);
  EXPECT_EQ(texts[0].face, "Sans");
  EXPECT_EQ(texts[0].fontStyle, FONT_BOLD);
  const std::vector<sim::VCLine> lines = sim::VCLines(3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].penStyle, 1);
  EXPECT_EQ(lines[1].penWidth, 4);
  EXPECT_EQ(lines[1].penColour, 0xFFFFFFu);
  EXPECT_EQ(lines[0].x0, 80);
  EXPECT_EQ(lines[0].y0, 335);
  EXPECT_EQ(lines[2].x1, 420);
  EXPECT_EQ(lines[2].y1, 240);
}

TEST_F(CockpitHost, EngineRunningUsesTheSmallFont) {
  ASSERT_TRUE(sim::VCEnter(0));
  ASSERT_TRUE(sim::VCClick(11, PANEL_MOUSE_LBDOWN, 0.5, 0.5));  // starts the engine
  sim::RunFrame();
  const std::vector<sim::VCTextItem> texts = sim::VCTextItems(3);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "Attach Towbar to");
  EXPECT_EQ(texts[0].fontHeight, 32);
  EXPECT_EQ(texts[1].text, "Front  |  Back");
  EXPECT_EQ(texts[1].x, 175);
  EXPECT_TRUE(sim::VCLines(3).empty());
}

// Redraws of areas that have no animations of their own change nothing.
TEST_F(CockpitHost, RedrawOfAreasWithoutAnimationsChangesNothing) {
  ASSERT_TRUE(sim::VCEnter(0));
  sim::RunFrame();
  const UINT count = 26;
  std::vector<double> before;
  for (UINT i = 0; i < count; ++i) before.push_back(v->GetAnimation(i));
  for (int id : {2, 10, 11, 12, 13, 14, 16, 17, 18, 0, -1})
    EXPECT_FALSE(v->clbkVCRedrawEvent(id, PANEL_REDRAW_MOUSE, nullptr)) << "area " << id;
  for (UINT i = 0; i < count; ++i) EXPECT_EQ(v->GetAnimation(i), before[i]) << "animation " << i;
}

TEST_F(CockpitHost, MouseEventsOutsideTheClickableAreasAreRefused) {
  VECTOR3 p{0.5, 0.5, 0};
  for (int id : {0, 1, 2, 3, 4, 18, -5}) EXPECT_FALSE(v->clbkVCMouseEvent(id, PANEL_MOUSE_LBDOWN, p)) << id;
}

}  // namespace
