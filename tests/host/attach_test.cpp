// Couplings: refusals, where a child is carried, that it follows its
// parent, what it reports, and its release.
#include <cmath>

#include "tests/host/fixture.h"

namespace {

struct Pair {
  OBJHANDLE tug, cargo;
  VESSEL *t, *c;
  ATTACHMENTHANDLE front, back, cargoPoint;
};

void ExpectNear(const VECTOR3& a, const VECTOR3& b, double tol, const char* what) {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
  EXPECT_NEAR(a.z, b.z, tol) << what;
}

// The child's point sits on the parent's, the directions are opposite and
// the rotation vectors agree, all in global coordinates.
void ExpectCoupled(VESSEL* parent, ATTACHMENTHANDLE pp, VESSEL* child, ATTACHMENTHANDLE cp) {
  VECTOR3 ppos, pdir, prot, cpos, cdir, crot;
  parent->GetAttachmentParams(pp, ppos, pdir, prot);
  child->GetAttachmentParams(cp, cpos, cdir, crot);
  VECTOR3 gp, gc, gpd, gcd, gpr, gcr;
  parent->Local2Global(ppos, gp);
  child->Local2Global(cpos, gc);
  parent->GlobalRot(pdir, gpd);
  child->GlobalRot(cdir, gcd);
  parent->GlobalRot(prot, gpr);
  child->GlobalRot(crot, gcr);
  ExpectNear(gc, gp, 1e-6, "points coincide");
  ExpectNear(unit(gcd), unit(gpd) * -1.0, 1e-9, "directions opposite");
  ExpectNear(unit(gcr), unit(gpr), 1e-9, "rotation vectors aligned");
}

}  // namespace

class AttachTest : public HostTest {
 protected:
  Pair Make() {
    Pair p{};
    p.tug = Landed("Tug", "HostTestVessel", -80.6758, 28.5227, 90);
    p.cargo = Landed("Cargo", "HostTestCargo", -80.6759, 28.5227, 270);
    p.t = Iface(p.tug);
    p.c = Iface(p.cargo);
    p.front = p.t->GetAttachmentHandle(false, 0);
    p.back = p.t->GetAttachmentHandle(false, 1);
    p.cargoPoint = p.c->GetAttachmentHandle(true, 0);
    return p;
  }
};

TEST_F(AttachTest, ChildIsCarriedOnTheParentsPoint) {
  Pair p = Make();
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  EXPECT_EQ(p.t->GetAttachmentStatus(p.front), p.cargo);
  EXPECT_EQ(p.c->GetAttachmentStatus(p.cargoPoint), p.tug);
  EXPECT_EQ(sim::GetParent(p.cargo), p.tug);
  EXPECT_EQ(p.t->GetAttachmentIndex(p.back), 1u);
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
}

TEST_F(AttachTest, AttachChildRefusesWrongKindsAndASecondParent) {
  Pair p = Make();
  OBJHANDLE other = Landed("Other", "HostTestVessel", -80.6757, 28.5227, 0);
  VESSEL* o = Iface(other);
  // Parent-side point of the child, to-parent point of the parent.
  EXPECT_FALSE(p.t->AttachChild(p.cargo, p.front, p.c->GetAttachmentHandle(false, 0)));
  EXPECT_FALSE(p.t->AttachChild(p.cargo, p.t->GetAttachmentHandle(true, 0), p.cargoPoint));
  // Points of another vessel, the vessel itself.
  EXPECT_FALSE(p.t->AttachChild(p.cargo, o->GetAttachmentHandle(false, 0), p.cargoPoint));
  EXPECT_FALSE(p.t->AttachChild(p.tug, p.front, p.t->GetAttachmentHandle(true, 0)));
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  EXPECT_FALSE(o->AttachChild(p.cargo, o->GetAttachmentHandle(false, 0), p.cargoPoint)) << "already carried";
  EXPECT_FALSE(p.t->AttachChild(other, p.front, o->GetAttachmentHandle(true, 0))) << "point taken";
  EXPECT_EQ(sim::GetParent(p.cargo), p.tug);
}

TEST_F(AttachTest, ChildFollowsItsParentAndItsMovingPoint) {
  Pair p = Make();
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  VESSELSTATUS2 s{};
  s.version = 2;
  p.t->GetStatusEx(&s);
  s.surf_lng += 2e-6;
  s.surf_hdg += 0.3;
  p.t->DefSetStateEx(&s);
  sim::RunFrame();
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
  // A moved point carries the child along; a swung direction turns it.
  p.t->SetAttachmentParams(p.front, _V(0.5, 0.5, 8), unit(_V(0.3, 0, 1)), _V(0, 1, 0));
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
  sim::RunFrame();
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
  // The carried child reports where it is carried, heading included.
  double lng, lat, hdg;
  sim::GetSurfacePos(p.cargo, &lng, &lat, &hdg);
  VECTOR3 pos;
  oapiGetGlobalPos(p.cargo, &pos);
  EXPECT_NEAR(lng, std::atan2(pos.z, pos.x), 1e-12);
  VESSELSTATUS2 cs{};
  cs.version = 2;
  p.c->GetStatusEx(&cs);
  EXPECT_DOUBLE_EQ(cs.surf_lng, lng);
  EXPECT_DOUBLE_EQ(cs.surf_hdg, hdg);
  // Child faces the tug: tug heading + swing (about 16.7 deg) + 180.
  const double expected = std::fmod(s.surf_hdg + std::atan2(0.3, 1) + PI, PI2);
  EXPECT_NEAR(hdg, expected, 1e-6);
  // DefSetStateEx does not move a carried child.
  cs.surf_lng += 1e-3;
  p.c->DefSetStateEx(&cs);
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
}

TEST_F(AttachTest, ReleasedChildSettlesWhereItWas) {
  Pair p = Make();
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  double lng0, lat0, hdg0;
  sim::GetSurfacePos(p.cargo, &lng0, &lat0, &hdg0);
  EXPECT_FALSE(p.t->DetachChild(p.back)) << "nothing on that point";
  ASSERT_TRUE(p.t->DetachChild(p.front, 0.0));
  EXPECT_EQ(p.t->GetAttachmentStatus(p.front), nullptr);
  EXPECT_EQ(sim::GetParent(p.cargo), nullptr);
  double lng, lat, hdg;
  sim::GetSurfacePos(p.cargo, &lng, &lat, &hdg);
  EXPECT_NEAR(lng, lng0, 1e-12);
  EXPECT_NEAR(lat, lat0, 1e-12);
  EXPECT_NEAR(hdg, hdg0, 1e-12);
  VESSELSTATUS2 s{};
  s.version = 2;
  p.c->GetStatusEx(&s);
  EXPECT_EQ(s.status, 1);
  // It stays put when the tug moves on.
  p.t->GetStatusEx(&s);
  s.surf_lng += 1e-5;
  p.t->DefSetStateEx(&s);
  sim::RunFrame();
  sim::GetSurfacePos(p.cargo, &lng, &lat, &hdg);
  EXPECT_NEAR(lng, lng0, 1e-12);
  // Re-coupling works, and deleting the parent releases the child.
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.back, p.cargoPoint));
  EXPECT_TRUE(oapiDeleteVessel(p.tug));
  EXPECT_EQ(sim::GetParent(p.cargo), nullptr);
  EXPECT_EQ(p.c->GetAttachmentStatus(p.cargoPoint), nullptr);
}

TEST_F(AttachTest, ChainsAreCarriedThroughAndLoopsRefused) {
  Pair p = Make();
  OBJHANDLE third = Landed("Third", "HostTestCargo", -80.6757, 28.5227, 0);
  VESSEL* th = Iface(third);
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  // The cargo carries a third vessel on its top point.
  ASSERT_TRUE(p.c->AttachChild(third, p.c->GetAttachmentHandle(false, 0), th->GetAttachmentHandle(true, 0)));
  VESSELSTATUS2 s{};
  s.version = 2;
  p.t->GetStatusEx(&s);
  s.surf_hdg += 1.0;
  p.t->DefSetStateEx(&s);
  sim::RunFrame();
  ExpectCoupled(p.c, p.c->GetAttachmentHandle(false, 0), th, th->GetAttachmentHandle(true, 0));
  // The tug cannot hang under its own descendant.
  EXPECT_FALSE(th->AttachChild(p.tug, th->GetAttachmentHandle(false, 0), p.t->GetAttachmentHandle(true, 0)));
}

TEST_F(AttachTest, ChildrenArePlacedOnceAfterTheStepThatMovedTheParent) {
  Pair p = Make();
  ASSERT_TRUE(p.t->AttachChild(p.cargo, p.front, p.cargoPoint));
  auto drive = Hook<void (*)(VESSEL*, bool)>("HostTestDrive");
  ASSERT_NE(drive, nullptr);
  drive(p.t, true);
  VECTOR3 before, after;
  oapiGetGlobalPos(p.cargo, &before);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(sim::PreStepVessel(p.tug, 0.1 * i));
  oapiGetGlobalPos(p.cargo, &after);
  EXPECT_GT(dist(before, after), 0.0) << "the cargo went with the tractor";
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
  sim::RunFrame();
  ExpectCoupled(p.t, p.front, p.c, p.cargoPoint);
  EXPECT_FALSE(sim::PreStepVessel(nullptr, 0));
}
