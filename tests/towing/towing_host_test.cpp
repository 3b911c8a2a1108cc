// Coupling, following, keys and lamps of a tractor in the headless host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "cockpit/lamps.h"
#include "host/orbiterapi.h"
#include "sim/sim.h"
#include "towing/actions.h"
#include "towing/hitch.h"
#include "towing/keys.h"
#include "towing/trailer.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr double DT = 1.0 / 60.0;

// Extra vessel classes for the edge cases, written into the test root for
// the time of one test.
std::string ClassPath(const char* name) { return std::string(KVQ_ROOT) + "/Config/" + name + ".cfg"; }

void WriteClass(const char* name, const char* text) {
  const std::string path = ClassPath(name);
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr) << path;
  std::fputs(text, f);
  std::fclose(f);
}

class TowingHost : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteClass("TowTestTOW",
               "ClassName = TowTestTOW\nSize = 18\nEmptyMass = 40000\n"
               "TouchdownPoints = 0 -3 11  -3 -3 -1.5  3 -3 -1.5\n"
               "Attachment = P 0 -2.54 11.5  0 0 1  0 1 0  TOW\n");
    // A small cart: its centre near its tow point, far from the other hitch.
    WriteClass("TowTestCart",
               "ClassName = TowTestCart\nSize = 1\nEmptyMass = 500\n"
               "TouchdownPoints = 0 -0.46 1  -0.5 -0.46 -1  0.5 -0.46 -1\n"
               "Attachment = P 0 0 1  0 0 1  0 1 0  T\n");
    sim::Options o;
    o.root = KVQ_ROOT;
    o.dt = DT;
    std::string error;
    ASSERT_TRUE(sim::Start(o, &error)) << error;
    radius_ = oapiGetSize(sim::GetPlanet());
    tug_ = Create("Tug", "KVQ_R7700", 0, 0);
    ASSERT_NE(tug_, nullptr);
  }
  void TearDown() override {
    sim::Shutdown();
    std::remove(ClassPath("TowTestTOW").c_str());
    std::remove(ClassPath("TowTestCart").c_str());
  }

  // A landed vessel at a point ahead (+) or behind (-) the tractor, which
  // stands at the origin facing north; facing the tractor when facingTug.
  OBJHANDLE Place(const char* name, const char* cls, double north, bool facingTug) {
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel(name, cls, 0, north / radius_, facingTug == (north > 0) ? PI : 0, &error);
    EXPECT_NE(h, nullptr) << error;
    return h;
  }
  KVQ_R7700* Create(const char* name, const char* cls, double north, double hdg) {
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel(name, cls, 0, north / radius_, hdg, &error);
    EXPECT_NE(h, nullptr) << error;
    return h ? dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
  }

  VECTOR3 GlobalOfAttachment(const VESSEL& v, ATTACHMENTHANDLE a) {
    VECTOR3 pos, dir, rot, g;
    v.GetAttachmentParams(a, pos, dir, rot);
    v.Local2Global(pos, g);
    return g;
  }
  VECTOR3 GlobalOf(OBJHANDLE h, const VECTOR3& local) {
    VECTOR3 g;
    oapiGetVesselInterface(h)->Local2Global(local, g);
    return g;
  }
  static int Count(const char* cls) {
    int n = 0;
    for (DWORD i = 0; i < oapiGetVesselCount(); ++i) {
      const char* c = sim::GetClassNameOf(oapiGetVesselByIndex(static_cast<int>(i)));
      if (c && std::string(c) == cls) ++n;
    }
    return n;
  }
  int Key(int key, std::initializer_list<int> held = {}) {
    char state[256] = {};
    for (int k : held) state[k] = static_cast<char>(0x80);
    state[key] = static_cast<char>(0x80);
    return ConsumeBufferedKey(*tug_, key, true, state);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) sim::RunFrame();
  }

  double radius_ = 0;
  KVQ_R7700* tug_ = nullptr;
};

// The sample airliner's tow point sits in the eye of a front towbar.
constexpr double JET_AHEAD = 23.0;  // m, its centre north of the tractor

}  // namespace

TEST_F(TowingHost, NothingToCoupleWithoutAnotherVessel) {
  ASSERT_TRUE(CoupleTowbar(*tug_, true, true));
  // The towbar alone never qualifies as a towed vessel.
  EXPECT_FALSE(CoupleVessel(*tug_, true, true));
  EXPECT_FALSE(CoupleVessel(*tug_, false, true));
  EXPECT_FALSE(CoupleVessel(*tug_, true, false));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), nullptr);
}

TEST_F(TowingHost, OnlyAPointNamedTIsCoupled) {
  Place("Fake", "TowTestTOW", JET_AHEAD, true);
  ASSERT_TRUE(CoupleTowbar(*tug_, true, true));
  EXPECT_FALSE(CoupleVessel(*tug_, true, true));
  OBJHANDLE jet = Place("Jet", "Airliner", -JET_AHEAD - 30, true);
  EXPECT_FALSE(CoupleVessel(*tug_, true, true)) << "too far from the front hitch";
  oapiDeleteVessel(jet);
  jet = Place("Jet2", "Airliner", JET_AHEAD + 1, true);
  EXPECT_TRUE(CoupleVessel(*tug_, true, true));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), jet);
}

TEST_F(TowingHost, CouplingTheAirlinerSetsTheTowGeometry) {
  OBJHANDLE jet = Place("Jet", "Airliner", JET_AHEAD, true);
  tug_->towbarYaw = 0.25;
  ASSERT_TRUE(CoupleVessel(*tug_, true, true));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), jet);
  EXPECT_EQ(tug_->towbarHitchOffset, 5.0);
  EXPECT_NEAR(tug_->towbarLength, 7.0, 1e-6);
  EXPECT_EQ(tug_->vesselHitchOffset, 0.05);
  EXPECT_EQ(tug_->vesselLength, 13.0);
  EXPECT_NEAR(tug_->towbarPitch, 0.000154, 1e-6);
  EXPECT_EQ(tug_->vesselYaw, 0);
  EXPECT_EQ(tug_->towbarYaw, 0.25);
}

TEST_F(TowingHost, TheBackHitchSearchesAroundTheBackHitch) {
  // The cart's centre is 2 m behind the back hitch, 22 m from the front one.
  OBJHANDLE cart = Place("Cart", "TowTestCart", -9.91 - 2.0, true);
  ASSERT_TRUE(CoupleTowbar(*tug_, false, true));
  EXPECT_FALSE(CoupleVessel(*tug_, true, true));
  ASSERT_TRUE(CoupleVessel(*tug_, false, true));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchBack), cart);
  EXPECT_EQ(tug_->towbarHitchOffset, -3.41);
  EXPECT_EQ(tug_->vesselLength, 2.0);
  EXPECT_EQ(tug_->vesselYaw, PI);
}

TEST_F(TowingHost, TheTowbarIsCreatedOnceAndReusedByName) {
  ASSERT_TRUE(CoupleTowbar(*tug_, true, true));
  OBJHANDLE bar = oapiGetVesselByName("Tug_Towbar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountFront), bar);
  EXPECT_EQ(tug_->towbarHitchOffset, 5.0);
  EXPECT_EQ(tug_->towbarLength, 3.25);
  EXPECT_EQ(tug_->towbarYaw, 0);
  // Coupling again finds the same vessel; the host's answer for a towbar
  // already on the mount is its own business.
  CoupleTowbar(*tug_, true, true);
  EXPECT_EQ(Count("Towbar"), 1);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountFront), bar);

  // Released, it stays in the scene, and the next coupling picks it up.
  ASSERT_TRUE(CoupleTowbar(*tug_, true, false));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountFront), nullptr);
  EXPECT_EQ(oapiGetVesselByName("Tug_Towbar"), bar);
  Frames(3);
  ASSERT_TRUE(CoupleTowbar(*tug_, false, true));
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountBack), bar);
  EXPECT_EQ(tug_->towbarHitchOffset, -3.41);
  EXPECT_EQ(tug_->towbarYaw, PI);
  EXPECT_EQ(Count("Towbar"), 1);
}

TEST_F(TowingHost, ReleasingTheVesselKeepsTheTractorsMass) {
  Place("Jet", "Airliner", JET_AHEAD, true);
  const double mass = tug_->GetEmptyMass();
  ASSERT_TRUE(CoupleTowbar(*tug_, true, true));
  ASSERT_TRUE(CoupleVessel(*tug_, true, true));
  tug_->vesselYaw = 0.1;
  ASSERT_TRUE(CoupleVessel(*tug_, true, false));
  EXPECT_EQ(tug_->GetEmptyMass(), mass);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), nullptr);
  EXPECT_EQ(tug_->towbarLength, 3.25);
  EXPECT_EQ(tug_->towbarPitch, 0);
  EXPECT_EQ(tug_->vesselLength, 13.0);
  EXPECT_EQ(tug_->vesselYaw, 0.1);
  // Nothing left to release.
  EXPECT_FALSE(CoupleVessel(*tug_, true, false));
}

TEST_F(TowingHost, TheAirlinerHangsInTheTowbarsEyeAndTurnsWithTheVesselYaw) {
  OBJHANDLE jet = Place("Jet", "Airliner", JET_AHEAD, true);
  ASSERT_EQ(Key(OAPI_KEY_D), 0);
  ASSERT_EQ(tug_->towMode, 2);
  OBJHANDLE bar = oapiGetVesselByName("Tug_Towbar");
  ASSERT_NE(bar, nullptr);

  // Pushed back in a gentle turn: the tractor drives forward.
  for (int i = 0; i < 240; ++i) {
    StepTowing(*tug_, 1.0, 0.01 * std::sin(i * DT), DT);
    sim::RunFrame();
    const VECTOR3 eye = GlobalOf(bar, {0, 0, 6.5});
    const VECTOR3 towPoint = GlobalOf(jet, {0, -2.54, 11.5});
    ASSERT_LT(dist(eye, towPoint), 1e-3) << i;
    ASSERT_LT(dist(GlobalOfAttachment(*tug_, tug_->vesselHitchFront), towPoint), 1e-3) << i;
  }
  ASSERT_GT(std::fabs(tug_->vesselYaw), 1e-3);
  double lng, lat, tugHdg, jetHdg;
  ASSERT_TRUE(sim::GetSurfacePos(tug_->GetHandle(), &lng, &lat, &tugHdg));
  ASSERT_TRUE(sim::GetSurfacePos(jet, &lng, &lat, &jetHdg));
  // The airliner's nose faces the tractor.
  EXPECT_NEAR(std::remainder(jetHdg - (tugHdg + tug_->vesselYaw + PI), 2 * PI), 0, 1e-6);
}

TEST_F(TowingHost, AJackknifeStopsTheTractorDead) {
  ASSERT_TRUE(CoupleTowbar(*tug_, true, true));
  tug_->towMode = 1;
  tug_->engineRunning = true;
  tug_->transmission = 1;
  tug_->speed = 2.0;
  // A towbar pushed ahead in a turn.
  for (int i = 0; i < 600 && tug_->speed != 0; ++i) StepTowing(*tug_, 2.0, 2.0 / 11.035, DT);
  EXPECT_EQ(tug_->speed, 0);
  EXPECT_FALSE(tug_->engineRunning);
  EXPECT_EQ(tug_->transmission, 0);
  EXPECT_EQ(std::fabs(tug_->towbarYaw), PI05);
  EXPECT_EQ(tug_->towMode, 1);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountFront), oapiGetVesselByName("Tug_Towbar"));
}

TEST_F(TowingHost, PlacingTheTowbarMovesOnlyWhatItsKindNames) {
  VECTOR3 p0, d0, r0;
  tug_->GetAttachmentParams(tug_->vesselHitchBack, p0, d0, r0);
  PlaceTowbar(*tug_, tug_->towbarMountFront, 0.1, 0.3, 1);
  VECTOR3 mp, md, mr, hp, hd, hr;
  tug_->GetAttachmentParams(tug_->towbarMountFront, mp, md, mr);
  tug_->GetAttachmentParams(tug_->vesselHitchFront, hp, hd, hr);
  EXPECT_NEAR(dist(hp, mp + md * 6.5), 0, 1e-12);
  EXPECT_NEAR(std::atan2(md.x, md.z), 0.3, 1e-12);
  EXPECT_NEAR(dotp(hd, md), 1, 1e-12);

  // Kind 0 aims the one point and nothing else.
  PlaceTowbar(*tug_, tug_->vesselHitchFront, 0, -0.4, 0);
  VECTOR3 hp2, hd2, hr2, bp, bd, br;
  tug_->GetAttachmentParams(tug_->vesselHitchFront, hp2, hd2, hr2);
  EXPECT_EQ(dist(hp2, hp), 0);
  EXPECT_NEAR(std::atan2(hd2.x, hd2.z), -0.4, 1e-12);
  tug_->GetAttachmentParams(tug_->vesselHitchBack, bp, bd, br);
  EXPECT_EQ(dist(bp, p0), 0);
  EXPECT_EQ(dist(bd, d0), 0);

  // With a vessel on it the hitch keeps its own direction.
  PlaceTowbar(*tug_, tug_->towbarMountFront, 0, 0.2, 2);
  VECTOR3 hp3, hd3, hr3;
  tug_->GetAttachmentParams(tug_->vesselHitchFront, hp3, hd3, hr3);
  EXPECT_EQ(dist(hd3, hd2), 0);
  EXPECT_NEAR(std::atan2(hp3.x, hp3.z - 5.0), 0.2, 1e-12);
}

// ---- Keys ----

TEST_F(TowingHost, KeyUpReturnsOneAndDoesNothing) {
  tug_->transmission = 0;
  char state[256] = {};
  EXPECT_EQ(ConsumeBufferedKey(*tug_, OAPI_KEY_W, false, state), 1);
  EXPECT_EQ(ConsumeBufferedKey(*tug_, OAPI_KEY_V, false, state), 1);
  EXPECT_EQ(tug_->transmission, 0);
  EXPECT_EQ(tug_->towMode, 0);
  EXPECT_EQ(oapiGetVesselByName("Tug_Towbar"), nullptr);
}

TEST_F(TowingHost, GearKeysOnlyAtAStandstill) {
  tug_->transmission = 2;
  EXPECT_EQ(Key(OAPI_KEY_W), 0);
  EXPECT_EQ(tug_->transmission, 2);
  tug_->transmission = -1;
  Key(OAPI_KEY_S);
  EXPECT_EQ(tug_->transmission, -1);
  Key(OAPI_KEY_W);
  EXPECT_EQ(tug_->transmission, 0);
  tug_->speed = 0.001;
  Key(OAPI_KEY_W);
  Key(OAPI_KEY_S);
  EXPECT_EQ(tug_->transmission, 0);
  tug_->speed = -0.001;
  Key(OAPI_KEY_S);
  EXPECT_EQ(tug_->transmission, 0);
}

TEST_F(TowingHost, TheDKeyCouplesTowbarAndAirlinerInOneGo) {
  OBJHANDLE jet = Place("Jet", "Airliner", JET_AHEAD, true);
  EXPECT_EQ(Key(OAPI_KEY_D), 0);
  EXPECT_EQ(tug_->towMode, 2);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), jet);
  // Shift+D releases the airliner, leaving the towbar.
  Key(OAPI_KEY_D, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 1);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), nullptr);
  // Shift+B: the towbar goes to the back and is then released.
  Key(OAPI_KEY_B, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 0);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountFront), nullptr);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->towbarMountBack), nullptr);
  EXPECT_NE(oapiGetVesselByName("Tug_Towbar"), nullptr);
}

TEST_F(TowingHost, HitchKeyWithTheTowbarRefusedDoesNothing) {
  // A vessel by the towbar's name that has no towbar point.
  Place("Tug_Towbar", "Airliner", -60, true);
  Place("Jet", "Airliner", JET_AHEAD, true);
  Key(OAPI_KEY_D);
  EXPECT_EQ(tug_->towMode, 0);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), nullptr);
  Key(OAPI_KEY_A);
  EXPECT_EQ(tug_->towMode, 0);
}

TEST_F(TowingHost, RealismModeAdmitsHitchKeysOnlyForTheCrewTrigger) {
  OBJHANDLE jet = Place("Jet", "Airliner", JET_AHEAD, true);
  tug_->realismMode = 1;
  for (int key : {OAPI_KEY_D, OAPI_KEY_A}) {
    Key(key);
    Key(key, {OAPI_KEY_LSHIFT});
  }
  EXPECT_EQ(tug_->towMode, 0);
  EXPECT_EQ(oapiGetVesselByName("Tug_Towbar"), nullptr);

  // V, B and Shift+B still work.
  Key(OAPI_KEY_V);
  EXPECT_EQ(tug_->towMode, 1);
  Key(OAPI_KEY_B, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 0);
  Key(OAPI_KEY_B);
  EXPECT_EQ(tug_->towMode, -1);
  Key(OAPI_KEY_B, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 0);

  // The trigger admits one event, coupling towbar and vessel at once.
  tug_->actionAreaTriggered = true;
  Key(OAPI_KEY_D);
  EXPECT_EQ(tug_->towMode, 2);
  EXPECT_FALSE(tug_->actionAreaTriggered);
  Key(OAPI_KEY_D, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 2);

  // Other keys leave it set; the crew's release event then releases.
  tug_->actionAreaTriggered = true;
  Key(OAPI_KEY_W);
  EXPECT_TRUE(tug_->actionAreaTriggered);
  Key(OAPI_KEY_D, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->towMode, 1);
  EXPECT_EQ(tug_->GetAttachmentStatus(tug_->vesselHitchFront), nullptr);
  EXPECT_FALSE(tug_->actionAreaTriggered);
  (void)jet;
}

TEST_F(TowingHost, ShiftAndCtrlCommands) {
  tug_->parkingBrake = false;
  Key(OAPI_KEY_P, {OAPI_KEY_LSHIFT});
  EXPECT_TRUE(tug_->parkingBrake);
  Key(OAPI_KEY_P, {OAPI_KEY_RSHIFT});
  EXPECT_TRUE(tug_->parkingBrake);

  const bool beacons = tug_->beaconOn;
  Key(OAPI_KEY_F, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->beaconOn, !beacons);
  EXPECT_EQ(tug_->beacons[0].active, !beacons);
  EXPECT_EQ(tug_->beacons[1].active, !beacons);

  const int realism = tug_->realismMode;
  Key(OAPI_KEY_O, {OAPI_KEY_LCONTROL});
  EXPECT_EQ(tug_->realismMode, realism ^ 1);
  tug_->realismMode = 0;

  tug_->engineRunning = false;
  tug_->idleTime = 12;
  Key(OAPI_KEY_E, {OAPI_KEY_LCONTROL});
  EXPECT_TRUE(tug_->engineRunning);
  EXPECT_EQ(tug_->idleTime, 0);

  tug_->fuel = 10;
  tug_->speed = 0.5;
  Key(OAPI_KEY_F, {OAPI_KEY_LCONTROL});
  EXPECT_EQ(tug_->fuel, 10);
  tug_->speed = 0;
  Key(OAPI_KEY_F, {OAPI_KEY_LCONTROL});
  EXPECT_EQ(tug_->fuel, 176.8);
}

// ---- Lamps ----

// The two switch pictures on texture 5, painted in for the test: lights off
// red at (6, 634), lights on green at (198, 634), each 88 by 60.
SURFHANDLE PaintSwitchPictures(const KVQ_R7700& tug) {
  SURFHANDLE tex = oapiGetTextureHandle(tug.vcMeshTemplate, 5);
  int w = 0, h = 0;
  if (!tex || !sim::SurfaceSize(tex, &w, &h) || w < 724 || h < 936) return nullptr;
  DWORD* px = const_cast<DWORD*>(sim::SurfacePixels(tex));
  for (int y = 634; y < 694; ++y) {
    for (int x = 0; x < 88; ++x) {
      px[y * w + 6 + x] = 0xFF0000;
      px[y * w + 198 + x] = 0x00FF00;
    }
  }
  return tex;
}

DWORD ShownSwitch(SURFHANDLE tex, int dx, int dy) {
  int w = 0, h = 0;
  sim::SurfaceSize(tex, &w, &h);
  return sim::SurfacePixels(tex)[(876 + dy) * w + 636 + dx];
}

TEST_F(TowingHost, LightSwitchTwiceLeavesEverythingAsItWas) {
  sim::SetVisual(tug_->GetHandle(), true);
  ASSERT_NE(tug_->vcMesh, nullptr);
  const bool before = tug_->lightsOn;
  ASSERT_FALSE(before);
  SURFHANDLE tex = PaintSwitchPictures(*tug_);
  ASSERT_NE(tex, nullptr);

  Key(OAPI_KEY_H, {OAPI_KEY_LSHIFT});
  EXPECT_EQ(tug_->lightsOn, !before);
  for (int i : {10, 11, 14, 15}) EXPECT_EQ(tug_->beacons[i].active, !before) << i;
  ASSERT_NE(tug_->headLight, nullptr);
  EXPECT_EQ(tug_->headLight->IsActive(), !before);
  MATERIAL lit{};
  ASSERT_TRUE(sim::GetMaterial(tug_->vcMesh, 7, &lit));
  EXPECT_FLOAT_EQ(lit.emissive.r, before ? 0.2f : 0.4f);
  EXPECT_FLOAT_EQ(lit.emissive.g, before ? 0.2f : 0.5f);
  EXPECT_EQ(ShownSwitch(tex, 0, 0), 0x00FF00u);
  EXPECT_EQ(ShownSwitch(tex, 87, 59), 0x00FF00u);
  EXPECT_NE(ShownSwitch(tex, 88, 0), 0x00FF00u);

  tug_->lightsOn = ToggleLights(*tug_);
  EXPECT_EQ(tug_->lightsOn, before);
  for (int i : {10, 11, 14, 15}) EXPECT_EQ(tug_->beacons[i].active, before) << i;
  EXPECT_EQ(tug_->headLight->IsActive(), before);
  MATERIAL back{};
  ASSERT_TRUE(sim::GetMaterial(tug_->vcMesh, 0, &back));
  EXPECT_FLOAT_EQ(back.emissive.r, before ? 0.6f : 0.2f);
  EXPECT_FLOAT_EQ(back.diffuse.r, before ? 0.470588f : 0.8f);
  EXPECT_EQ(ShownSwitch(tex, 0, 0), 0xFF0000u);
  EXPECT_EQ(ShownSwitch(tex, 87, 59), 0xFF0000u);
}

TEST_F(TowingHost, LightsSwitchWithoutAVisual) {
  ASSERT_EQ(tug_->vcMesh, nullptr);
  SURFHANDLE tex = PaintSwitchPictures(*tug_);
  ASSERT_NE(tex, nullptr);
  tug_->lightsOn = false;
  tug_->lightsOn = ToggleLights(*tug_);
  EXPECT_TRUE(tug_->lightsOn);
  EXPECT_TRUE(tug_->beacons[10].active);
  EXPECT_TRUE(tug_->headLight->IsActive());
  // The picture still follows.
  EXPECT_EQ(ShownSwitch(tex, 10, 10), 0x00FF00u);
}

TEST_F(TowingHost, BeaconSwitchOnLightsBothStrobes) {
  tug_->beaconOn = false;
  tug_->beacons[0].active = tug_->beacons[1].active = false;
  EXPECT_TRUE(ToggleBeacons(*tug_));
  EXPECT_TRUE(tug_->beacons[0].active);
  EXPECT_TRUE(tug_->beacons[1].active);
  EXPECT_FALSE(tug_->beaconOn) << "the caller stores the result";
}
