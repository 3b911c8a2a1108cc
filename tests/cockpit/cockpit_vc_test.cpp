// Clicks in the cab as the driver makes them, and what the vessel state and
// the status display make of them, with the module loaded into the host.
#include <cmath>
#include <string>
#include <vector>

#include "sim/sim.h"
#include "towing/hitch.h"
#include "tests/vessel/vessel_fixture.h"
#include "vessel/kvq_r7700.h"

namespace {

class CockpitVC : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    // Facing west with an airliner nose-on 21.5 m ahead: its tow point is
    // within reach of the front hitch.
    v = NewTractor("Tug", -80.6758, 28.5227, 270);
    ASSERT_NE(v, nullptr);
    oapiSetFocusObject(v->GetHandle());
    sim::SetVisual(v->GetHandle(), true);
    ASSERT_TRUE(sim::VCEnter(0));
  }

  OBJHANDLE AddAirlinerAhead() {
    const double metresPerDegree = 111320.0 * std::cos(28.5227 * RAD);
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel("Jet", "Airliner", (-80.6758 - 21.5 / metresPerDegree) * RAD,
                                          28.5227 * RAD, 90 * RAD, &error);
    EXPECT_NE(h, nullptr) << error;
    return h;
  }

  bool Click(int area, int event, double x = 0.5, double y = 0.5) { return sim::VCClick(area, event, x, y); }
  void PressKey(int area) {
    Click(area, PANEL_MOUSE_LBDOWN);
    Click(area, PANEL_MOUSE_LBUP);
  }
  std::vector<std::string> Display() {
    sim::RunFrame();
    return sim::VCTexts(3);
  }

  KVQ_R7700* v = nullptr;
};

TEST_F(CockpitVC, GearLeverSelectsByBandEvenWhileRolling) {
  struct Row {
    double y;
    int transmission;
  };
  const Row rows[] = {{0.05, 0}, {0.12, -1}, {0.3, -1}, {0.47, 1}, {0.7, 1}, {0.85, 2}, {0.99, 2}};
  v->speed = 3.0;
  for (const Row& r : rows) {
    ASSERT_TRUE(Click(6, PANEL_MOUSE_LBPRESSED, 0.5, r.y));
    EXPECT_EQ(v->transmission, r.transmission) << "y = " << r.y;
  }
}

TEST_F(CockpitVC, SwitchesFlipTheirStateAndTheirPose) {
  ASSERT_TRUE(Click(5, PANEL_MOUSE_LBDOWN));
  EXPECT_TRUE(v->parkingBrake);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animParkingBrake), 1.0);
  ASSERT_TRUE(Click(7, PANEL_MOUSE_LBDOWN));
  EXPECT_TRUE(v->lightsOn);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animLightSwitch), 1.0);
  ASSERT_TRUE(Click(8, PANEL_MOUSE_LBDOWN));
  EXPECT_FALSE(v->beaconOn);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animBeaconSwitch), 0.0);
  const int realism = v->realismMode;
  ASSERT_TRUE(Click(9, PANEL_MOUSE_LBDOWN));
  EXPECT_EQ(v->realismMode, realism ^ 1);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animRealismSwitch), v->realismMode ? 1.0 : 0.0);
}

TEST_F(CockpitVC, RefuelButtonFillsTheTankWhileRollingOnPressAndRelease) {
  v->speed = 2.0;
  v->fuel = 20.0;
  ASSERT_TRUE(Click(10, PANEL_MOUSE_LBDOWN));
  EXPECT_DOUBLE_EQ(v->fuel, 176.8);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animRefuelButton), 0.0);
  v->fuel = 20.0;
  ASSERT_TRUE(Click(10, PANEL_MOUSE_LBUP));
  EXPECT_DOUBLE_EQ(v->fuel, 176.8);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animRefuelButton), 1.0);
}

TEST_F(CockpitVC, SteeringModeKnobStopsAtBothEnds) {
  v->SetAttitudeMode(0);
  ASSERT_TRUE(Click(15, PANEL_MOUSE_RBDOWN));
  EXPECT_EQ(v->GetAttitudeMode(), 0);
  for (int expected : {1, 2, 2}) {
    ASSERT_TRUE(Click(15, PANEL_MOUSE_LBDOWN));
    EXPECT_EQ(v->GetAttitudeMode(), expected);
  }
  sim::RunFrame();
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animSteerModeSwitch), 1.0);
  ASSERT_TRUE(Click(15, PANEL_MOUSE_RBDOWN));
  EXPECT_EQ(v->GetAttitudeMode(), 1);
}

TEST_F(CockpitVC, AnyDisplayKeyWithTheEngineOffOnlyStartsIt) {
  for (int key = 11; key <= 14; ++key) {
    v->engineRunning = false;
    v->idleTime = 100;
    v->towMode = 0;
    PressKey(key);
    EXPECT_TRUE(v->engineRunning) << key;
    EXPECT_EQ(v->idleTime, 0) << key;
    EXPECT_EQ(v->towMode, 0) << key;
    EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountFront), nullptr) << key;
    EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountBack), nullptr) << key;
  }
}

TEST_F(CockpitVC, OuterDisplayKeysOnlyMoveTheirButtons) {
  v->engineRunning = true;
  for (int key : {11, 14}) {
    ASSERT_TRUE(Click(key, PANEL_MOUSE_LBDOWN));
    EXPECT_DOUBLE_EQ(v->GetAnimation(v->animDisplayKey[key - 11]), 0.0);
    EXPECT_EQ(v->towMode, 0);
    ASSERT_TRUE(Click(key, PANEL_MOUSE_LBUP));
    EXPECT_DOUBLE_EQ(v->GetAnimation(v->animDisplayKey[key - 11]), 1.0);
  }
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountFront), nullptr);
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountBack), nullptr);
}

TEST_F(CockpitVC, DisplayShowsTheVesselOnTheHitchByName) {
  ASSERT_NE(AddAirlinerAhead(), nullptr);
  ASSERT_TRUE(CoupleTowbar(*v, true, true));
  ASSERT_TRUE(CoupleVessel(*v, true, true));
  v->engineRunning = true;
  v->towMode = 2;
  const std::vector<std::string> texts = Display();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1], "Vessel Attached:Jet");
  // Released behind the display's back: the line stays, with no name.
  ASSERT_TRUE(CoupleVessel(*v, true, false));
  EXPECT_EQ(Display()[1], "Vessel Attached:");
}

TEST_F(CockpitVC, SoftKeysDoWhatTheLabelsSay) {
  ASSERT_NE(AddAirlinerAhead(), nullptr);
  v->engineRunning = true;
  PressKey(12);  // "Front"
  ASSERT_EQ(v->towMode, 1);
  EXPECT_NE(v->GetAttachmentStatus(v->towbarMountFront), nullptr);
  PressKey(12);  // "Attach Vessel to"
  ASSERT_EQ(v->towMode, 2);
  EXPECT_NE(v->GetAttachmentStatus(v->vesselHitchFront), nullptr);
  PressKey(12);  // "Detach Vessel"
  ASSERT_EQ(v->towMode, 1);
  EXPECT_EQ(v->GetAttachmentStatus(v->vesselHitchFront), nullptr);
  PressKey(12);
  ASSERT_EQ(v->towMode, 2);
  PressKey(13);  // "Detach Towbar" with the airliner on it: both go
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(v->GetAttachmentStatus(v->vesselHitchFront), nullptr);
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountFront), nullptr);
  PressKey(13);  // "Back"
  EXPECT_EQ(v->towMode, -1);
  EXPECT_NE(v->GetAttachmentStatus(v->towbarMountBack), nullptr);
  PressKey(12);  // nothing behind to couple
  EXPECT_EQ(v->towMode, -1);
  PressKey(13);
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(v->GetAttachmentStatus(v->towbarMountBack), nullptr);
}

// In realism mode the soft keys still couple and release the airliner, and
// towMode follows, so the display never disagrees with the hitch.
TEST_F(CockpitVC, SoftKeysKeepTheStateInRealismMode) {
  ASSERT_NE(AddAirlinerAhead(), nullptr);
  v->engineRunning = true;
  v->realismMode = 1;
  PressKey(12);
  PressKey(12);
  EXPECT_EQ(v->towMode, 2);
  EXPECT_NE(v->GetAttachmentStatus(v->vesselHitchFront), nullptr);
  EXPECT_EQ(Display()[1], "Vessel Attached:Jet");
  PressKey(12);
  EXPECT_EQ(v->towMode, 1);
  EXPECT_EQ(v->GetAttachmentStatus(v->vesselHitchFront), nullptr);
}

TEST_F(CockpitVC, RightDoorWithOneMemberAboardSendsNobodyAndLeavesTheLeftPlacement) {
  const DWORD count = oapiGetVesselCount();
  ASSERT_TRUE(Click(17, PANEL_MOUSE_LBPRESSED));
  EXPECT_EQ(oapiGetVesselCount(), count);
  EXPECT_DOUBLE_EQ(v->crew.evaPosition.x, -2.0);
  EXPECT_DOUBLE_EQ(v->crew.evaPosition.y, 1.2);
  EXPECT_DOUBLE_EQ(v->crew.evaPosition.z, 3.5);
}

}  // namespace
