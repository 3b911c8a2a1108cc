// The cab's rules as a driver meets them: lever bands, knob limits, button
// travel, needle and switch poses, and what the status display reads.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cockpit/controls.h"
#include "cockpit/display_page.h"
#include "cockpit/gauges.h"
#include "cockpit/vc_layout.h"

namespace {

TEST(GearLever, BandsIncludeTheirLowerEdge) {
  struct Row {
    double y;
    int transmission;
  };
  const Row rows[] = {{0.0, 0}, {0.1199, 0}, {0.12, -1}, {0.4699, -1}, {0.47, 1}, {0.8499, 1}, {0.85, 2}, {1.0, 2}};
  for (const Row& r : rows) EXPECT_EQ(GearLeverTransmission(r.y), r.transmission) << "y = " << r.y;
}

TEST(SteerModeKnob, StepsWithinItsThreeModes) {
  EXPECT_EQ(StepSteerModeKnob(0, PANEL_MOUSE_LBDOWN), 1);
  EXPECT_EQ(StepSteerModeKnob(1, PANEL_MOUSE_LBDOWN), 2);
  EXPECT_EQ(StepSteerModeKnob(2, PANEL_MOUSE_LBDOWN), 2);
  EXPECT_EQ(StepSteerModeKnob(2, PANEL_MOUSE_RBDOWN), 1);
  EXPECT_EQ(StepSteerModeKnob(1, PANEL_MOUSE_RBDOWN), 0);
  EXPECT_EQ(StepSteerModeKnob(0, PANEL_MOUSE_RBDOWN), 0);
}

TEST(SteerModeKnob, ReleasesAndStrayModesChangeNothing) {
  EXPECT_EQ(StepSteerModeKnob(1, PANEL_MOUSE_LBUP), 1);
  EXPECT_EQ(StepSteerModeKnob(1, PANEL_MOUSE_RBUP), 1);
  EXPECT_EQ(StepSteerModeKnob(7, PANEL_MOUSE_LBDOWN), 7);
  EXPECT_EQ(StepSteerModeKnob(-1, PANEL_MOUSE_RBDOWN), -1);
}

TEST(PushButton, HeldInOnlyWhileTheLeftButtonGoesDown) {
  EXPECT_EQ(PushButtonState(PANEL_MOUSE_LBDOWN), 0.0);
  EXPECT_EQ(PushButtonState(PANEL_MOUSE_LBUP), 1.0);
  EXPECT_EQ(PushButtonState(PANEL_MOUSE_LBPRESSED), 1.0);
  EXPECT_EQ(PushButtonState(PANEL_MOUSE_RBDOWN), 1.0);
}

TEST(Gauges, NeedlesRestAtZeroAndReadBothDirections) {
  EXPECT_EQ(SpeedometerState(0.0), 0.0);
  EXPECT_DOUBLE_EQ(SpeedometerState(-2.5), SpeedometerState(2.5));
  EXPECT_NEAR(SpeedometerState(1.0 / 0.12), 1.0, 1e-8);  // full scale at about 30 km/h
  EXPECT_EQ(TachometerState(-10.0), 0.0);
  EXPECT_DOUBLE_EQ(TachometerState(2500.0), 1.0);
  EXPECT_NEAR(FuelGaugeState(176.8), 1.0, 1e-12);
  EXPECT_EQ(FuelGaugeState(0.0), 0.0);
  EXPECT_EQ(FuelGaugeState(-1.0), 0.0);
}

TEST(Gauges, GearIndicatorShowsNeutralForStraySelectorValues) {
  EXPECT_EQ(GearIndicatorState(-1), 0.0);
  EXPECT_EQ(GearIndicatorState(0), 0.33333);
  EXPECT_EQ(GearIndicatorState(1), 0.66666);
  EXPECT_EQ(GearIndicatorState(2), 1.0);
  EXPECT_EQ(GearIndicatorState(3), 0.33333);
  EXPECT_EQ(GearIndicatorState(-2), 0.33333);
}

TEST(Gauges, GearLeverKeepsItsPoseForStraySelectorValues) {
  double state = -1;
  ASSERT_TRUE(GearLeverState(0, &state));
  EXPECT_EQ(state, 0.0);
  ASSERT_TRUE(GearLeverState(-1, &state));
  EXPECT_EQ(state, 0.25);
  ASSERT_TRUE(GearLeverState(1, &state));
  EXPECT_EQ(state, 0.7);
  ASSERT_TRUE(GearLeverState(2, &state));
  EXPECT_EQ(state, 1.0);
  state = 0.42;
  EXPECT_FALSE(GearLeverState(3, &state));
  EXPECT_FALSE(GearLeverState(-2, &state));
  EXPECT_EQ(state, 0.42);
}

TEST(Gauges, PedalsWheelAndSwitches) {
  EXPECT_EQ(BrakePedalState(0.8, false), 0.8);
  EXPECT_EQ(BrakePedalState(0.8, true), 0.0);  // the parking brake holds, the pedal stays up
  EXPECT_EQ(SteeringWheelState(-1.0), 0.0);
  EXPECT_EQ(SteeringWheelState(0.0), 0.5);
  EXPECT_EQ(SteeringWheelState(1.0), 1.0);
  EXPECT_EQ(ParkingBrakeLeverState(true), 1.0);
  EXPECT_EQ(SwitchState(false), 0.0);
  EXPECT_EQ(SteerModeSwitchState(0), 0.0);
  EXPECT_EQ(SteerModeSwitchState(1), 0.5);
  EXPECT_EQ(SteerModeSwitchState(2), 1.0);
  EXPECT_EQ(SteerModeSwitchState(5), 0.0);
}

struct Shown {
  int x, y;
  std::string text;
  bool operator==(const Shown&) const = default;
};

std::vector<Shown> Texts(const DisplayPage& page) {
  std::vector<Shown> out;
  for (int i = 0; i < page.textCount; ++i) out.push_back({page.texts[i].x, page.texts[i].y, page.texts[i].text});
  return out;
}

TEST(StatusDisplay, EngineOffShowsOnlyStartInItsFrameWhateverIsCoupled) {
  for (int towMode = -2; towMode <= 2; ++towMode) {
    const DisplayPage page = BuildDisplayPage(false, towMode, "A320", "B737");
    EXPECT_TRUE(page.largeFont);
    EXPECT_EQ(Texts(page), (std::vector<Shown>{{130, 250, "START"}})) << towMode;
    ASSERT_EQ(page.lineCount, 3);
    // Two uprights joined at the top: the frame is open at the bottom edge.
    EXPECT_EQ(page.lines[0].x0, 80);
    EXPECT_EQ(page.lines[0].y0, 335);
    EXPECT_EQ(page.lines[0].y1, 240);
    EXPECT_EQ(page.lines[1].x0, 420);
    EXPECT_EQ(page.lines[2].y0, 240);
    EXPECT_EQ(page.lines[2].y1, 240);
    EXPECT_EQ(page.lines[2].x1 - page.lines[2].x0, 340);
  }
}

TEST(StatusDisplay, LabelsFollowTheCouplingState) {
  struct Row {
    int towMode;
    std::vector<Shown> texts;
  };
  const Row rows[] = {
      {0, {{140, 260, "Attach Towbar to"}, {175, 300, "Front  |  Back"}}},
      {1,
       {{5, 5, "Towbar Attached to: Front"},
        {35, 260, "Attach Vessel to | Detach Towbar"},
        {170, 300, "Front  |  Front"}}},
      {2,
       {{5, 5, "Towbar Attached to: Front"},
        {5, 30, "Vessel Attached:A320"},
        {50, 260, "Detach Vessel | Detach Towbar"},
        {170, 300, "Front  |  Front"}}},
      {-1,
       {{5, 5, "Towbar Attached to: Rear"},
        {37, 260, "Attach Vessel to | Detach Towbar"},
        {180, 300, "Back  |  Back"}}},
      {-2,
       {{5, 5, "Towbar Attached to: Rear"},
        {5, 30, "Vessel Attached:B737"},
        {45, 260, "Detach Vessel | Detach Towbar"},
        {180, 300, "Back  |  Back"}}},
      {3, {}},
      {-3, {}},
  };
  for (const Row& r : rows) {
    const DisplayPage page = BuildDisplayPage(true, r.towMode, "A320", "B737");
    EXPECT_FALSE(page.largeFont);
    EXPECT_EQ(page.lineCount, 0);
    EXPECT_EQ(Texts(page), r.texts) << "towMode " << r.towMode;
  }
}

TEST(StatusDisplay, VesselLineWithNoVesselOrALongName) {
  EXPECT_STREQ(BuildDisplayPage(true, 2, "", "").texts[1].text, "Vessel Attached:");
  EXPECT_STREQ(BuildDisplayPage(true, -2, nullptr, nullptr).texts[1].text, "Vessel Attached:");
  const std::string longName(40, 'x');
  EXPECT_EQ(std::string(BuildDisplayPage(true, 2, longName.c_str(), "").texts[1].text),
            "Vessel Attached:" + std::string(31, 'x'));
}

TEST(CockpitLayout, SeatsCarryEveryAreaInOrderAndTheRearViewsNone) {
  std::vector<int> ids;
  for (const VCArea& a : VC_AREAS) ids.push_back(a.id);
  EXPECT_EQ(ids, (std::vector<int>{1, 4, 3, 5, 6, 8, 7, 9, 15, 10, 11, 12, 13, 14, 16, 17}));
  EXPECT_TRUE(COCKPIT_POSITIONS[0].hasAreas);
  EXPECT_TRUE(COCKPIT_POSITIONS[1].hasAreas);
  EXPECT_FALSE(COCKPIT_POSITIONS[2].hasAreas);
  EXPECT_FALSE(COCKPIT_POSITIONS[3].hasAreas);
  for (const CockpitPosition& p : COCKPIT_POSITIONS) {
    const VECTOR3& d = p.viewDirection;
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0, 1e-4);
    for (int n : p.neighbours) EXPECT_TRUE(n >= -1 && n < COCKPIT_POSITION_COUNT);
  }
}

// A click quadrilateral maps a click to 0..1 along its two edges only when
// its corners form a parallelogram: p2 - p1 = p4 - p3.
TEST(CockpitLayout, ClickQuadrilateralsAreParallelograms) {
  for (const VCArea& a : VC_AREAS) {
    if (a.shape != ClickShape::QUADRILATERAL) continue;
    const VECTOR3 top = a.corner[1] - a.corner[0];
    const VECTOR3 bottom = a.corner[3] - a.corner[2];
    EXPECT_NEAR(top.x, bottom.x, 1e-6) << "area " << a.id;
    EXPECT_NEAR(top.y, bottom.y, 1e-6) << "area " << a.id;
    EXPECT_NEAR(top.z, bottom.z, 1e-6) << "area " << a.id;
    EXPECT_GT(top.x * top.x + top.y * top.y + top.z * top.z, 0.0) << "area " << a.id;
  }
}

TEST(CockpitLayout, DisplayKeysSitSideBySideLeftToRight) {
  const VCArea* keys[4] = {};
  for (const VCArea& a : VC_AREAS)
    if (a.id >= 11 && a.id <= 14) keys[a.id - 11] = &a;
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(keys[i], nullptr);
    EXPECT_EQ(keys[i]->mouse, PANEL_MOUSE_LBDOWN | PANEL_MOUSE_LBUP);
    EXPECT_NEAR(keys[i]->corner[1].x - keys[i]->corner[0].x, 0.023014, 1e-9);
    if (i > 0) {
      EXPECT_NEAR(keys[i]->corner[0].x - keys[i - 1]->corner[0].x, 0.05, 1e-9);
    }
  }
}

}  // namespace
