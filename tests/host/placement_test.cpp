// Landed vessels on the planet: global position and axes from surface
// coordinates, status records, DefSetStateEx, transforms and weight.
#include <cmath>

#include "tests/host/fixture.h"

namespace {

constexpr double R_EARTH = 6371010.0;

void SurfaceOfPoint(const VECTOR3& p, double* lng, double* lat) {
  *lng = std::atan2(p.z, p.x);
  *lat = std::asin(p.y / length(p));
}

}  // namespace

TEST_F(HostTest, LandedVesselRestsOnItsTouchdownPoints) {
  OBJHANDLE a = Landed("A", "HostTestVessel", -80.6758, 28.5227, 90);
  VESSEL* v = Iface(a);
  VECTOR3 pos;
  oapiGetGlobalPos(a, &pos);
  EXPECT_NEAR(length(pos), R_EARTH + 1.5, 1e-6);
  VECTOR3 t[3];
  v->GetTouchdownPoints(t[0], t[1], t[2]);
  for (const auto& p : t) {
    VECTOR3 g;
    v->Local2Global(p, g);
    EXPECT_NEAR(length(g), R_EARTH, 1e-3) << "every touchdown point is on the ground";
  }
  VECTOR3 up;
  v->Local2Global(_V(0, 10, 0), up);
  EXPECT_NEAR(length(up) - length(pos), 10, 1e-6);
  EXPECT_EQ(v->GetGravityRef(), sim::GetPlanet());
  EXPECT_DOUBLE_EQ(oapiGetSize(sim::GetPlanet()), R_EARTH);
}

TEST_F(HostTest, HeadingRunsClockwiseFromNorthSeenFromAbove) {
  struct Case {
    double hdg;                 // degrees
    VECTOR3 local;              // a step in the vessel frame
    double dLng, dLat;          // expected signs of the change
  } cases[] = {
      {0, {0, 0, 100}, 0, 1},    // forward is north
      {0, {100, 0, 0}, 1, 0},    // right is east
      {90, {0, 0, 100}, 1, 0},   // forward is east
      {90, {100, 0, 0}, 0, -1},  // right is south
      {180, {0, 0, 100}, 0, -1},
      {270, {0, 0, 100}, -1, 0},
  };
  OBJHANDLE a = Landed("A", "HostTestVessel", 10, 45, 0);
  VESSEL* v = Iface(a);
  for (const auto& c : cases) {
    VESSELSTATUS2 s{};
    s.version = 2;
    s.status = 1;
    s.surf_lng = 10 * RAD;
    s.surf_lat = 45 * RAD;
    s.surf_hdg = c.hdg * RAD;
    v->DefSetStateEx(&s);
    VECTOR3 g;
    v->Local2Global(c.local, g);
    double lng, lat;
    SurfaceOfPoint(g, &lng, &lat);
    const double dLng = (lng - 10 * RAD) * std::cos(45 * RAD) * R_EARTH, dLat = (lat - 45 * RAD) * R_EARTH;
    EXPECT_NEAR(dLng, 100 * c.dLng, 0.01) << "heading " << c.hdg;
    EXPECT_NEAR(dLat, 100 * c.dLat, 0.01) << "heading " << c.hdg;
  }
}

TEST_F(HostTest, StatusRecordsAndDefSetStateEx) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 12, -33, 400);
  VESSEL* v = Iface(a);
  VESSELSTATUS2 s{};
  s.version = 2;
  v->GetStatusEx(&s);
  EXPECT_EQ(s.status, 1);
  EXPECT_NEAR(s.surf_lng, 12 * RAD, 1e-12);
  EXPECT_NEAR(s.surf_lat, -33 * RAD, 1e-12);
  EXPECT_NEAR(s.surf_hdg, 40 * RAD, 1e-12) << "heading wrapped into 0..2pi";
  EXPECT_EQ(s.rbody, sim::GetPlanet());

  s.surf_lng += 1e-5;
  s.surf_hdg = -PI05;
  v->DefSetStateEx(&s);
  double lng, lat, hdg;
  ASSERT_TRUE(sim::GetSurfacePos(a, &lng, &lat, &hdg));
  EXPECT_DOUBLE_EQ(lng, 12 * RAD + 1e-5);
  EXPECT_DOUBLE_EQ(lat, -33 * RAD);
  EXPECT_NEAR(hdg, 1.5 * PI, 1e-12);

  VESSELSTATUS vs;
  v->GetStatus(vs);
  EXPECT_EQ(vs.status, 1);
  EXPECT_DOUBLE_EQ(vs.vdata[0].x, lng);
  EXPECT_DOUBLE_EQ(vs.vdata[0].z, hdg);
  EXPECT_DOUBLE_EQ(vs.fuel, 1.0);
  EXPECT_DOUBLE_EQ(length(vs.rvel), 0);
  VECTOR3 pos;
  v->GetGlobalPos(pos);
  EXPECT_DOUBLE_EQ(vs.rpos.x, pos.x);
}

TEST_F(HostTest, VesselCreatedInFreeFlightNearTheGroundSettlesLanded) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 30, 10, 0);
  VESSELSTATUS vs;
  Iface(a)->GetStatus(vs);
  vs.status = 0;
  VECTOR3 above;
  Iface(a)->Local2Rel(_V(0, 20, 0), above);
  vs.rpos = above;
  OBJHANDLE b = oapiCreateVessel("B", "HostTestCargo", vs);
  ASSERT_NE(b, nullptr);
  VESSELSTATUS2 s{};
  s.version = 2;
  Iface(b)->GetStatusEx(&s);
  EXPECT_EQ(s.status, 1);
  EXPECT_NEAR(s.surf_lng, 30 * RAD, 1e-9);
  EXPECT_NEAR(s.surf_lat, 10 * RAD, 1e-9);
  EXPECT_NEAR(s.surf_hdg, 0, 1e-9);
  VECTOR3 pos;
  oapiGetGlobalPos(b, &pos);
  EXPECT_NEAR(length(pos), R_EARTH + 0.5, 1e-6);
}

TEST_F(HostTest, TransformsAreConsistent) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 45, 45, 33);
  VESSEL* v = Iface(a);
  const VECTOR3 local{1.5, -2, 7};
  VECTOR3 g, back, rel, rot;
  v->Local2Global(local, g);
  v->Global2Local(g, back);
  EXPECT_NEAR(back.x, local.x, 1e-6);
  EXPECT_NEAR(back.y, local.y, 1e-6);
  EXPECT_NEAR(back.z, local.z, 1e-6);
  v->Local2Rel(local, rel);
  EXPECT_DOUBLE_EQ(rel.x, g.x);
  MATRIX3 R;
  v->GetRotationMatrix(R);
  v->GlobalRot(local, rot);
  EXPECT_NEAR(length(rot), length(local), 1e-9);
  const VECTOR3 m = mul(R, local);
  EXPECT_DOUBLE_EQ(m.x, rot.x);
  // The weight points straight down in the vessel frame.
  VECTOR3 w;
  ASSERT_TRUE(v->GetWeightVector(w));
  const double r = R_EARTH + 1.5;
  EXPECT_NEAR(w.y, -v->GetMass() * 3.986004418e14 / (r * r), 1e-6);
  EXPECT_NEAR(w.x, 0, 1e-9);
  EXPECT_NEAR(w.z, 0, 1e-9);
}

TEST_F(HostTest, RotatingALandedVesselAboutItsVerticalTurnsItsHeading) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 20, 10);
  VESSEL* v = Iface(a);
  MATRIX3 R;
  v->GetRotationMatrix(R);
  const double c = std::cos(20 * RAD), s = std::sin(20 * RAD);
  const MATRIX3 Ry{c, 0, s, 0, 1, 0, -s, 0, c};
  v->SetRotationMatrix(mul(R, Ry));
  double lng, lat, hdg;
  sim::GetSurfacePos(a, &lng, &lat, &hdg);
  EXPECT_NEAR(hdg * DEG, 30, 1e-9);
  EXPECT_NEAR(lat * DEG, 20, 1e-9);
  EXPECT_EQ(v->GetFlightStatus() & 1, 1);
}

TEST_F(HostTest, SurfaceAtAPointBesideAVessel) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 5, 50, 90);
  double lng, lat;
  ASSERT_TRUE(sim::SurfaceAt(a, _V(0, 0, 200), &lng, &lat));
  OBJHANDLE b = sim::CreateLandedVessel("B", "HostTestVessel", lng, lat, 0, nullptr);
  VECTOR3 pa, pb;
  oapiGetGlobalPos(a, &pa);
  oapiGetGlobalPos(b, &pb);
  EXPECT_NEAR(dist(pa, pb), 200, 1e-3);
  EXPECT_GT(lng, 5 * RAD) << "200 m ahead of a vessel heading east";
  EXPECT_FALSE(sim::SurfaceAt(nullptr, _V(0, 0, 0), &lng, &lat));
}
