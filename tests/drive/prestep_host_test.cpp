// The per-frame step of a tractor in the headless host: driving, steering,
// position keeping, lamps, animations and the idle shutdown.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "drive/steering_constants.h"
#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr double LNG = 0.3;   // rad
constexpr double LAT = 1.0;   // rad, well off the equator
constexpr double HDG = 0.25;  // rad

class PreStepHost : public ::testing::Test {
 protected:
  void StartHost(double dt = 1.0 / 60.0) {
    sim::Options options;
    options.root = KVQ_ROOT;
    options.dt = dt;
    std::string error;
    ASSERT_TRUE(sim::Start(options, &error)) << error;
    dt_ = dt;
  }
  void SetUp() override { StartHost(); }
  void TearDown() override { sim::Shutdown(); }

  KVQ_R7700* Tractor(const char* name = "Tug") {
    std::string error;
    handle_ = sim::CreateLandedVessel(name, "KVQ_R7700", LNG, LAT, HDG, &error);
    EXPECT_NE(handle_, nullptr) << error;
    return handle_ ? static_cast<KVQ_R7700*>(oapiGetVesselInterface(handle_)) : nullptr;
  }

  void Frames(int n) {
    for (int i = 0; i < n; ++i) sim::RunFrame();
  }

  // Ground displacement (north, east) in metres from the start position.
  void Displacement(double* north, double* east) {
    double lng = 0, lat = 0, hdg = 0;
    ASSERT_TRUE(sim::GetSurfacePos(handle_, &lng, &lat, &hdg));
    const double r = oapiGetSize(sim::GetPlanet());
    *north = (lat - LAT) * r;
    *east = (lng - LNG) * r * std::cos(LAT);
  }

  double Heading() {
    double lng = 0, lat = 0, hdg = 0;
    sim::GetSurfacePos(handle_, &lng, &lat, &hdg);
    return hdg;
  }

  OBJHANDLE handle_ = nullptr;
  double dt_ = 0;
};

void StartDriving(KVQ_R7700& v, int transmission, double throttle) {
  v.engineRunning = true;
  v.transmission = transmission;
  v.SetThrusterGroupLevel(THGROUP_MAIN, throttle);
}

}  // namespace

TEST_F(PreStepHost, DrivesAlongItsHeadingAndCoastsToAStop) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  StartDriving(*v, 1, 1.0);
  double travelled = 0;
  for (int i = 0; i < 20 * 60; ++i) {
    sim::RunFrame();
    travelled += v->speed * dt_;
  }
  EXPECT_GT(v->speed, 5.0);
  EXPECT_GE(v->gearIndex, 4);
  EXPECT_GE(v->rpm, 925);
  EXPECT_LE(v->rpm, 2075);
  EXPECT_NEAR(Heading(), HDG, 1e-12);
  double north = 0, east = 0;
  Displacement(&north, &east);
  // The full distance over the ground, along the heading, at 57 degrees north.
  EXPECT_NEAR(std::hypot(north, east), travelled, 0.05);
  EXPECT_NEAR(std::atan2(east, north), HDG, 1e-4);
  EXPECT_TRUE(v->haveSavedPosition);

  v->transmission = 0;
  v->SetThrusterGroupLevel(THGROUP_MAIN, 0);
  Frames(90 * 60);
  EXPECT_EQ(v->speed, 0);
  EXPECT_EQ(v->gearIndex, 0);
  EXPECT_EQ(v->rpm, 925);
}

TEST_F(PreStepHost, TopSpeedInSelectorOne) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  StartDriving(*v, 1, 1.0);
  Frames(100 * 60);
  EXPECT_NEAR(v->speed, 6.677, 0.006);
  EXPECT_EQ(v->gearIndex, 5);
}

TEST_F(PreStepHost, FullLockDrivesTheTurningCircle) {
  for (auto [attitude, radius] : {std::pair{0, 11.035}, std::pair{1, 6.035}}) {
    SCOPED_TRACE(attitude);
    TearDown();
    StartHost();
    KVQ_R7700* v = Tractor();
    ASSERT_NE(v, nullptr);
    v->SetAttitudeMode(attitude);
    sim::RunFrame();  // steering centred: the mode is taken
    EXPECT_EQ(v->steerMode, attitude);
    v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 1.0);
    StartDriving(*v, 1, 0.3);
    double farthest = 0;
    for (int i = 0; i < 120 * 60; ++i) {
      sim::RunFrame();
      double north = 0, east = 0;
      Displacement(&north, &east);
      farthest = std::max(farthest, std::hypot(north, east));
      ASSERT_GE(Heading(), 0);
      ASSERT_LT(Heading(), PI2);
    }
    EXPECT_GT(v->speed, 0.5);
    EXPECT_NEAR(farthest, 2 * radius, 0.05);
  }
}

TEST_F(PreStepHost, SteeringModeChangesOnlyWithTheWheelCentred) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.4);
  v->SetAttitudeMode(1);
  sim::RunFrame();
  EXPECT_EQ(v->steerMode, 0);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.0);
  sim::RunFrame();
  EXPECT_EQ(v->steerMode, 1);
  // Crab steering is refused while something is coupled.
  v->towMode = 1;
  v->towbarHitchOffset = 5.0;
  v->towbarLength = 3.25;
  v->towbarYaw = 0;
  v->SetAttitudeMode(2);
  sim::RunFrame();
  EXPECT_EQ(v->steerMode, 1);
  v->towMode = 0;
  sim::RunFrame();
  EXPECT_EQ(v->steerMode, 2);

  // Crab: the heading is held and the tractor moves at the offset course.
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 1.0);
  StartDriving(*v, 1, 0.5);
  double before = 0, east0 = 0;
  Displacement(&before, &east0);
  Frames(10 * 60);
  double north = 0, east = 0;
  Displacement(&north, &east);
  EXPECT_NEAR(Heading(), HDG, 1e-12);
  EXPECT_NEAR(std::atan2(east - east0, north - before), HDG + 0.30729, 1e-4);
}

TEST_F(PreStepHost, RealismWithoutCrewKeepsNeutralAndTheSteeringOff) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  while (v->crew.GetCrewCount() > 0) {
    if (v->crew.RemoveMember(v->crew.GetCrewName(0)) != 1) break;
  }
  if (v->crew.GetCrewCount() > 0) GTEST_SKIP() << "the crew client cannot remove its members";
  v->realismMode = 1;
  StartDriving(*v, 1, 1.0);
  Frames(60);
  EXPECT_EQ(v->transmission, 0);
  EXPECT_EQ(v->GetADCtrlMode(), 0u);
  EXPECT_EQ(v->speed, 0);
  v->realismMode = 0;
  sim::RunFrame();
  EXPECT_EQ(v->GetADCtrlMode(), 7u);
}

TEST_F(PreStepHost, LampsAndAnimationsFollowTheStep) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  // Reverse lamps whenever the selector is in reverse, engine off and standing.
  v->transmission = -1;
  sim::RunFrame();
  EXPECT_TRUE(v->beacons[8].active);
  EXPECT_TRUE(v->beacons[9].active);
  v->transmission = 0;
  sim::RunFrame();
  EXPECT_FALSE(v->beacons[8].active);

  // Brake lamps follow the pedal; while the parking brake is set they keep their state.
  v->SetWheelbrakeLevel(1.0, 0, true);
  sim::RunFrame();
  EXPECT_TRUE(v->beacons[12].active);
  EXPECT_FALSE(v->beacons[2].active);
  v->parkingBrake = true;
  v->SetWheelbrakeLevel(0.0, 0, true);
  sim::RunFrame();
  EXPECT_TRUE(v->beacons[12].active);
  EXPECT_TRUE(v->beacons[2].active);
  EXPECT_TRUE(v->beacons[3].active);
  v->parkingBrake = false;
  sim::RunFrame();
  EXPECT_FALSE(v->beacons[12].active);
  EXPECT_FALSE(v->beacons[2].active);

  // Indicators and steered wheels.
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 1.0);
  sim::RunFrame();
  EXPECT_TRUE(v->beacons[4].active);
  EXPECT_TRUE(v->beacons[6].active);
  EXPECT_FALSE(v->beacons[5].active);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animSteerFront[1]), 1.0);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animSteerFront[0]), 0.0);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.0);
  sim::RunFrame();
  for (int i = 4; i <= 7; ++i) EXPECT_FALSE(v->beacons[i].active);

  // Rolling backwards turns the wheels downwards, wrapping below 0 to just under 1.
  v->speed = -0.5;
  v->transmission = -1;
  sim::RunFrame();
  EXPECT_GT(v->wheelRoll[0], 0.9);
  EXPECT_LT(v->wheelRoll[0], 1.0);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animWheel[3]), v->wheelRoll[3]);
}

TEST_F(PreStepHost, CrewFiguresAndIndicatorLampInTheCockpit) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  sim::SetVisual(handle_, true);
  sim::RunFrame();
  if (!v->vcMesh) GTEST_SKIP() << "no cockpit mesh instance";
  const int crew = v->crew.GetCrewCount();
  const DWORD hidden = 3;
  if (crew == 0) {
    EXPECT_EQ(sim::GetGroupUserFlag(v->vcMesh, 24) & hidden, hidden);
    EXPECT_EQ(sim::GetGroupUserFlag(v->vcMesh, 25) & hidden, hidden);
  } else if (crew == 1) {
    EXPECT_EQ(sim::GetGroupUserFlag(v->vcMesh, 24) & hidden, 0u);
    EXPECT_EQ(sim::GetGroupUserFlag(v->vcMesh, 25) & hidden, hidden);
  }
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, -0.5);
  MATERIAL m{};
  bool sawLit = false, sawDark = false;
  for (int i = 0; i < 70; ++i) {
    sim::RunFrame();
    ASSERT_TRUE(sim::GetMaterial(v->vcMesh, 2, &m));
    if (m.emissive.g > 0.5f) sawLit = true; else sawDark = true;
    ASSERT_TRUE(sim::GetMaterial(v->vcMesh, 5, &m));
    EXPECT_FLOAT_EQ(m.emissive.g, 0.1f);
  }
  EXPECT_TRUE(sawLit);
  EXPECT_TRUE(sawDark);
  sim::SetVisual(handle_, false);
  sim::RunFrame();  // mesh edits are skipped without a visual
  EXPECT_EQ(v->vcMesh, nullptr);
}

TEST_F(PreStepHost, KeepsTheTractorWhereItPlacedIt) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  StartDriving(*v, 1, 1.0);
  Frames(300);
  double lng = 0, lat = 0, hdg = 0;
  ASSERT_TRUE(sim::GetSurfacePos(handle_, &lng, &lat, &hdg));
  EXPECT_DOUBLE_EQ(lng, v->savedLongitude);
  EXPECT_DOUBLE_EQ(lat, v->savedLatitude);
  EXPECT_DOUBLE_EQ(hdg, v->savedHeading);
  EXPECT_EQ(v->status.status, 1);
  EXPECT_EQ(v->GetPropellantMass(v->fuelTank), 1.0);
}

TEST_F(PreStepHost, IdleShutdownStrictlyAfterThreeHundredSeconds) {
  TearDown();
  StartHost(0.5);
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  v->engineRunning = true;
  v->idleTime = 0;
  Frames(600);
  EXPECT_EQ(v->idleTime, 300);
  EXPECT_TRUE(v->engineRunning);
  sim::RunFrame();
  EXPECT_FALSE(v->engineRunning);
}
