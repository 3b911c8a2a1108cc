// The tractor as a new vessel stands in the host: definition, numbering,
// animations, lamps and the library's entry points.
#include <cmath>

#include "drive/steering_constants.h"
#include "tests/vessel/vessel_fixture.h"
#include "vessel/animations.h"
#include "vessel/definition.h"

DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel);
DLLCLBK void ovcExit(VESSEL* vessel);
DLLCLBK const char* ModuleDate();
DLLCLBK int GetModuleVersion();

namespace {

using VesselTest = HostFixture;

TEST_F(VesselTest, NewTractorStartsWithFullTankEngineOffNeutralNothingCoupled) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_DOUBLE_EQ(v->fuel, 176.8);
  EXPECT_FALSE(v->engineRunning);
  EXPECT_EQ(v->transmission, 0);
  EXPECT_EQ(v->towMode, 0);
  EXPECT_EQ(v->gearIndex, 0);
  EXPECT_FALSE(v->lightsOn);
  EXPECT_TRUE(v->beaconOn);
  EXPECT_DOUBLE_EQ(v->towbarYaw, PI);
  EXPECT_DOUBLE_EQ(v->GetSize(), 8.55);
  // The host tank is a 1 kg placeholder.
  EXPECT_DOUBLE_EQ(v->GetPropellantMass(v->fuelTank), 1.0);
  // Roof strobes flash, every other lamp is dark.
  for (int i = 0; i < 16; ++i) {
    const bool strobe = i == BEACON_STROBE_RIGHT || i == BEACON_STROBE_LEFT;
    EXPECT_EQ(v->beacons[i].active, strobe) << "lamp " << i;
  }
  ASSERT_NE(v->headLight, nullptr);
  EXPECT_FALSE(v->headLight->IsActive());
}

TEST_F(VesselTest, AttachmentsMeshesAndLampsAreNumberedInCreationOrder) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->GetAttachmentIndex(v->vesselHitchFront), 0u);
  EXPECT_EQ(v->GetAttachmentIndex(v->vesselHitchBack), 1u);
  EXPECT_EQ(v->GetAttachmentIndex(v->towbarMountFront), 2u);
  EXPECT_EQ(v->GetAttachmentIndex(v->towbarMountBack), 3u);
  EXPECT_STREQ(v->GetAttachmentId(v->vesselHitchFront), "T");
  EXPECT_STREQ(v->GetAttachmentId(v->towbarMountBack), "TOWBAR");
  VECTOR3 pos, dir, rot;
  v->GetAttachmentParams(v->vesselHitchBack, pos, dir, rot);
  EXPECT_DOUBLE_EQ(pos.z, -9.91);
  EXPECT_DOUBLE_EQ(dir.z, -1.0);
  EXPECT_EQ(v->GetMeshCount(), 2u);
  ASSERT_NE(v->vcMeshTemplate, nullptr);

  // Lamps are registered strobes, tail, parking brake, brake, reverse, head, indicators.
  ASSERT_NE(v->GetBeacon(15), nullptr);
  EXPECT_EQ(v->GetBeacon(16), nullptr);
  EXPECT_EQ(v->GetBeacon(0), &v->beacons[BEACON_STROBE_RIGHT]);
  EXPECT_EQ(v->GetBeacon(2), &v->beacons[BEACON_TAIL_RIGHT]);
  EXPECT_EQ(v->GetBeacon(4), &v->beacons[BEACON_PARKBRAKE_RIGHT]);
  EXPECT_EQ(v->GetBeacon(10), &v->beacons[BEACON_HEAD_RIGHT]);
  EXPECT_EQ(v->GetBeacon(15), &v->beacons[BEACON_INDICATOR_FRONT_LEFT]);
}

TEST_F(VesselTest, RoofStrobesNeverFlashTogether) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  const BEACONLIGHTSPEC& a = v->beacons[BEACON_STROBE_RIGHT];
  const BEACONLIGHTSPEC& b = v->beacons[BEACON_STROBE_LEFT];
  EXPECT_DOUBLE_EQ(a.period, 0.5);
  EXPECT_DOUBLE_EQ(b.period, 0.5);
  EXPECT_DOUBLE_EQ(b.tofs - a.tofs, 0.25);
  EXPECT_LT(a.duration, 0.25);  // each flash is over before the other starts
}

TEST_F(VesselTest, AnimationsAreNumberedInCreationOrder) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->animSteerFront[0], 0u);
  EXPECT_EQ(v->animSteerFront[1], 1u);
  EXPECT_EQ(v->animSteerRear[0], 2u);
  EXPECT_EQ(v->animSteerRear[1], 3u);
  for (UINT k = 0; k < 4; ++k) EXPECT_EQ(v->animWheel[k], 4 + k);
  EXPECT_EQ(v->animSpeedometer, 8u);
  EXPECT_EQ(v->animGearIndicator, 11u);
  EXPECT_EQ(v->animSteerModeSwitch, 20u);
  EXPECT_EQ(v->animRefuelButton, 21u);
  EXPECT_EQ(v->animDisplayKey[3], 25u);
  // Each animation starts in the pose its mesh was modelled in.
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animGearIndicator), 0.33333);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animGearLever), 0.5);
  EXPECT_DOUBLE_EQ(v->GetAnimation(v->animDisplayKey[0]), 1.0);
}

TEST_F(VesselTest, WheelsStandStraightBeforeTheFirstStep) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->steerFrontState[0], 0.44979530572891235);
  EXPECT_EQ(v->steerFrontState[1], 0.44979530572891235);
  EXPECT_EQ(v->steerRearState[0], 0.34145089983940125);
  EXPECT_EQ(v->steerRearState[1], 0.34145089983940125);
  EXPECT_EQ(v->GetAnimation(v->animSteerFront[0]), 0.44979530572891235);
  EXPECT_EQ(v->GetAnimation(v->animSteerRear[1]), 0.34145089983940125);
}

TEST(SteeringAnimation, SweepsAndLockAnglesFollowTheTurningRadii) {
  const SteeringAnimation& s = GetSteeringAnimation();
  EXPECT_EQ(s.frontSweep, 0.6831835508346558f);
  EXPECT_EQ(s.rearSweep, 0.6861603260040283f);
  EXPECT_NEAR(FRONT_LOCK_INNER * DEG, 21.54, 0.005);
  EXPECT_NEAR(FRONT_LOCK_OUTER * DEG, 17.61, 0.005);
  // At full lock one way the inner wheel turns by the inner lock angle.
  EXPECT_NEAR((1.0 - s.frontNeutral) * s.frontSweep, FRONT_LOCK_INNER, 1e-6);
  EXPECT_NEAR(s.frontNeutral * s.frontSweep, FRONT_LOCK_OUTER, 1e-6);
  EXPECT_NEAR((1.0 - s.rearNeutral) * s.rearSweep, REAR_LOCK_INNER, 1e-6);
}

TEST_F(VesselTest, TwoTractorsHaveTheirOwnAnimationsAndLampsAndShareTheConstants) {
  KVQ_R7700* a = NewTractor("TugA");
  KVQ_R7700* b = NewTractor("TugB", -80.6750);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->animWheel[0], b->animWheel[0]);  // ids count per vessel
  EXPECT_NE(a->wheelRollTransform[0], b->wheelRollTransform[0]);
  EXPECT_NE(&a->beacons[0], &b->beacons[0]);
  EXPECT_EQ(a->beacons[0].pos, b->beacons[0].pos);  // module-wide positions

  a->SetAnimation(a->animLightSwitch, 1.0);
  EXPECT_DOUBLE_EQ(b->GetAnimation(b->animLightSwitch), 0.5);

  ASSERT_TRUE(oapiDeleteVessel(a->GetHandle()));
  EXPECT_TRUE(b->SetAnimation(b->animWheel[2], 0.25));
  EXPECT_DOUBLE_EQ(b->GetAnimation(b->animWheel[2]), 0.25);
  sim::RunFrame();
  EXPECT_DOUBLE_EQ(b->fuel, 176.8);
}

TEST_F(VesselTest, RealismFollowsTheFlightModel) {
  KVQ_R7700* simple = NewTractor("Simple");
  ASSERT_NE(simple, nullptr);
  EXPECT_EQ(simple->realismMode, 0);
  sim::Shutdown();
  StartHost(1);
  KVQ_R7700* real = NewTractor("Real");
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(real->realismMode, 1);
}

TEST_F(VesselTest, DeclinesTheGenericCockpit) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(v->clbkLoadGenericCockpit());
}

TEST_F(VesselTest, CockpitMeshInstanceIsHeldOnlyWhileAVisualExists) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->vcMesh, nullptr);
  sim::SetVisual(v->GetHandle(), true);
  DEVMESHHANDLE first = v->vcMesh;
  EXPECT_NE(first, nullptr);
  sim::SetVisual(v->GetHandle(), false);
  EXPECT_EQ(v->vcMesh, nullptr);
  sim::SetVisual(v->GetHandle(), true);
  EXPECT_NE(v->vcMesh, nullptr);
  sim::RunFrame();  // a frame with a visual runs the step's mesh edits
}

TEST(ModuleEntry, ExitWithNullDoesNothingAndTheDatesAnswer) {
  ovcExit(nullptr);
  EXPECT_STREQ(ModuleDate(), "Jan 21 2014");
  EXPECT_EQ(GetModuleVersion(), 100830);
  EXPECT_EQ(GetModuleVersion(), 100830);
}

}  // namespace
