// The per-frame step of a tractor in the headless host: driving, steering,
// position keeping, lamps, animations and the idle shutdown.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "drive/steering_constants.h"
#include "sim/sim.h"
#include "tests/support/invariants.h"
#include "vessel/definition.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr double LNG = 0.3;   // rad
constexpr double LAT = 1.0;   // rad, well off the equator
constexpr double HDG = 0.25;  // rad

class PreStepHost : public ::testing::Test {
 protected:
  void StartHost(double dt = 1.0 / 60.0, const std::string& soundLog = "") {
    sim::Options options;
    options.root = KVQ_ROOT;
    options.dt = dt;
    if (!soundLog.empty()) options.extra.push_back({"sound-log", soundLog});
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

namespace {

// Texture 5 of the cockpit template, with each source picture painted in a
// colour of its own so that the copies can be told apart.
struct Pictures {
  SURFHANDLE tex = nullptr;
  int w = 0, h = 0;
  DWORD* pixels = nullptr;
  void Paint(int x, int y, int pw, int ph, DWORD colour) {
    for (int r = y; r < y + ph; ++r)
      for (int c = x; c < x + pw; ++c) pixels[r * w + c] = colour;
  }
  bool Is(int x, int y, int pw, int ph, DWORD colour) const {
    for (int r = y; r < y + ph; ++r)
      for (int c = x; c < x + pw; ++c)
        if (pixels[r * w + c] != colour) return false;
    return true;
  }
};

Pictures PicturesOf(const KVQ_R7700& v) {
  Pictures p;
  p.tex = oapiGetTextureHandle(v.vcMeshTemplate, 5);
  if (p.tex && sim::SurfaceSize(p.tex, &p.w, &p.h)) p.pixels = const_cast<DWORD*>(sim::SurfacePixels(p.tex));
  return p;
}

constexpr DWORD ALL_WHEEL = 0x0000FF, CRAB = 0x00FF00, FRONT = 0xFF0000, RELEASED = 0x123456, SET = 0x654321;

}  // namespace

TEST_F(PreStepHost, SteeringAndParkingBrakePicturesFollowTheState) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  Pictures p = PicturesOf(*v);
  if (!p.pixels || p.w < 830 || p.h < 945) GTEST_SKIP() << "no cockpit texture 5 of full size";
  p.Paint(15, 716, 70, 84, ALL_WHEEL);
  p.Paint(112, 720, 70, 84, CRAB);
  p.Paint(208, 718, 70, 84, FRONT);
  p.Paint(5, 630, 88, 70, RELEASED);
  p.Paint(103, 630, 88, 70, SET);

  sim::RunFrame();
  EXPECT_TRUE(p.Is(268, 469, 70, 84, FRONT));
  EXPECT_TRUE(p.Is(740, 874, 88, 70, RELEASED));
  v->SetAttitudeMode(1);
  v->parkingBrake = true;
  sim::RunFrame();
  EXPECT_TRUE(p.Is(268, 469, 70, 84, ALL_WHEEL));
  EXPECT_TRUE(p.Is(740, 874, 88, 70, SET));
  v->SetAttitudeMode(2);
  v->parkingBrake = false;
  Frames(2);
  EXPECT_TRUE(p.Is(268, 469, 70, 84, CRAB));
  EXPECT_TRUE(p.Is(740, 874, 88, 70, RELEASED));
  // Turning the wheel keeps the mode and its picture whatever the attitude mode.
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.2);
  v->SetAttitudeMode(0);
  sim::RunFrame();
  EXPECT_TRUE(p.Is(268, 469, 70, 84, CRAB));
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0);
  sim::RunFrame();
  EXPECT_TRUE(p.Is(268, 469, 70, 84, FRONT));
}

TEST_F(PreStepHost, TwoTractorsShareTheCockpitTextureLastOneShows) {
  KVQ_R7700* a = Tractor("TugA");
  std::string error;
  OBJHANDLE hb = sim::CreateLandedVessel("TugB", "KVQ_R7700", LNG + 0.001, LAT, HDG, &error);
  ASSERT_NE(hb, nullptr) << error;
  auto* b = static_cast<KVQ_R7700*>(oapiGetVesselInterface(hb));
  ASSERT_NE(a, nullptr);
  Pictures p = PicturesOf(*a);
  if (!p.pixels || p.w < 830 || p.h < 945) GTEST_SKIP() << "no cockpit texture 5 of full size";
  ASSERT_EQ(p.tex, PicturesOf(*b).tex);
  p.Paint(15, 716, 70, 84, ALL_WHEEL);
  p.Paint(208, 718, 70, 84, FRONT);
  a->SetAttitudeMode(1);
  for (int i = 0; i < 3; ++i) {
    sim::RunFrame();
    EXPECT_TRUE(p.Is(268, 469, 70, 84, FRONT));  // the later tractor in the frame draws last
  }
  b->SetAttitudeMode(1);
  a->SetAttitudeMode(0);
  sim::RunFrame();
  EXPECT_TRUE(p.Is(268, 469, 70, 84, ALL_WHEEL));
}

TEST_F(PreStepHost, RandomDrivingKeepsTheStateSound) {
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  unsigned seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) / static_cast<double>(1u << 24);  // 0..1
  };
  for (int frame = 0; frame < 20000; ++frame) {
    if (next() < 0.05) v->SetThrusterGroupLevel(THGROUP_MAIN, next());
    if (next() < 0.05) v->SetWheelbrakeLevel(next() < 0.7 ? 0.0 : next(), 0, true);
    if (next() < 0.05) v->SetControlSurfaceLevel(AIRCTRL_RUDDER, next() < 0.3 ? 0.0 : 2 * next() - 1);
    if (next() < 0.02) v->SetAttitudeMode(static_cast<int>(next() * 3));
    if (next() < 0.01 && v->speed == 0) v->transmission = static_cast<int>(next() * 4) - 1;
    if (next() < 0.005) v->engineRunning = !v->engineRunning;
    if (next() < 0.002) v->parkingBrake = !v->parkingBrake;
    if (next() < 0.002) v->realismMode = 1 - v->realismMode;
    if (next() < 0.002) {  // a level no control gives but the host passes on: counts as 0
      v->SetThrusterGroupLevel(THGROUP_MAIN, std::nan(""));
      v->SetWheelbrakeLevel(std::nan(""), 0, true);
      v->SetControlSurfaceLevel(AIRCTRL_RUDDER, std::nan(""));
    }
    if (next() < 0.001) v->gearIndex = static_cast<int>(next() * 20) - 10;  // as a bad scenario line might
    if (next() < 0.001) v->fuel = next() < 0.5 ? 0.0 : FULL_TANK;
    const double before = v->speed;
    sim::RunFrame();
    const std::string broken = CheckTractorInvariants(*v);
    ASSERT_EQ(broken, "") << "frame " << frame;
    ASSERT_FALSE(before > 0 && v->speed < 0) << "frame " << frame;
    ASSERT_FALSE(before < 0 && v->speed > 0) << "frame " << frame;
    ASSERT_TRUE(v->rpm == 0 || (v->rpm >= 925 && v->rpm <= 2075)) << v->rpm;
    ASSERT_EQ(v->rpm == 0, !v->engineRunning || v->idleTime > 300) << "frame " << frame;
    for (double w : v->wheelRoll) ASSERT_TRUE(w >= 0 && w <= 1) << w;
    const double hdg = Heading();
    ASSERT_TRUE(hdg >= 0 && hdg < PI2) << hdg;
  }
}

namespace {

// The sound calls of the last frame: the add-on's call log without time stamps.
std::vector<std::string> SoundCallsSince(const std::string& log, size_t* seen) {
  std::vector<std::string> calls;
  std::ifstream in(log);
  size_t n = 0;
  for (std::string line; std::getline(in, line); ++n) {
    if (n < *seen) continue;
    const size_t blank = line.find(' ');
    calls.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
  }
  *seen = n;
  return calls;
}

bool Has(const std::vector<std::string>& calls, const std::string& call) {
  for (const std::string& c : calls)
    if (c == call) return true;
  return false;
}

}  // namespace

TEST_F(PreStepHost, EngineRollingAndIndicatorSounds) {
  TearDown();
  const std::string log =
      (std::filesystem::temp_directory_path() / ("drive_sound_" + std::to_string(getpid()) + ".log")).string();
  StartHost(1.0 / 60.0, log);
  KVQ_R7700* v = Tractor();
  ASSERT_NE(v, nullptr);
  const std::string id = std::to_string(v->soundId);
  size_t seen = 0;
  sim::RunFrame();
  std::vector<std::string> calls = SoundCallsSince(log, &seen);
  EXPECT_TRUE(Has(calls, "StopVesselWave3 " + id + " 2"));
  EXPECT_TRUE(Has(calls, "StopVesselWave3 " + id + " 6"));

  StartDriving(*v, 1, 1.0);
  sim::RunFrame();
  calls = SoundCallsSince(log, &seen);
  EXPECT_TRUE(Has(calls, "PlayVesselWaveOBSound3 " + id + " 2 1 255 20919"));  // idle
  EXPECT_TRUE(Has(calls, "PlayVesselWaveOBSound3 " + id + " 6 1 1 0")) << ::testing::PrintToString(calls);

  Frames(100 * 60);
  SoundCallsSince(log, &seen);
  bool atCap = false;
  for (int i = 0; i < 60; ++i) {
    sim::RunFrame();
    calls = SoundCallsSince(log, &seen);
    // At top speed the rolling volume stays at full.
    EXPECT_TRUE(Has(calls, "PlayVesselWaveOBSound3 " + id + " 6 1 255 0"));
    atCap = atCap || Has(calls, "PlayVesselWaveOBSound3 " + id + " 2 1 255 46926");
  }
  EXPECT_TRUE(atCap);

  // The indicator ticks with the cockpit lamp, only while it is lit, once
  // per flash: three seconds, three ticks.
  sim::SetVisual(handle_, true);
  ASSERT_NE(v->vcMesh, nullptr);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.5);
  int ticks = 0;
  for (int i = 0; i < 180; ++i) {
    const bool lit = std::fmod(oapiGetSimTime(), 1.0) > 0.5;
    sim::RunFrame();
    calls = SoundCallsSince(log, &seen);
    const bool ticked = Has(calls, "PlayVesselWaveOBSound3 " + id + " 10 0 255 0");
    if (ticked) ++ticks;
    EXPECT_TRUE(lit || !ticked) << "frame " << i;
  }
  EXPECT_EQ(ticks, 3);
  std::remove(log.c_str());
}
