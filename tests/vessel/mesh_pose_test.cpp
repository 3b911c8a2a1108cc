// The shipped meshes as the tractor's animations and cockpit areas use
// them, and the host's group transforms for the animation states.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "drive/steering_constants.h"
#include "sim/mesh_file.h"
#include "tests/vessel/vessel_fixture.h"
#include "vessel/animations.h"

namespace {

using MeshPoseTest = HostFixture;
constexpr double CM = 0.01;

struct Box {
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  double Centre(int i) const { return (lo[i] + hi[i]) / 2; }
  // Distance from p to the box (0 inside).
  double Distance(const VECTOR3& p) const {
    const double q[3] = {p.x, p.y, p.z};
    double s = 0;
    for (int i = 0; i < 3; ++i) {
      const double d = std::max({lo[i] - q[i], 0.0, q[i] - hi[i]});
      s += d * d;
    }
    return std::sqrt(s);
  }
};

Box BoxOf(const sim::MeshFileGroup& g) {
  Box b;
  for (size_t k = 0; k < g.positions.size(); ++k) {
    b.lo[k % 3] = std::min(b.lo[k % 3], static_cast<double>(g.positions[k]));
    b.hi[k % 3] = std::max(b.hi[k % 3], static_cast<double>(g.positions[k]));
  }
  return b;
}

VECTOR3 Vertex(const sim::MeshFileGroup& g, size_t k) {
  return {g.positions[3 * k], g.positions[3 * k + 1], g.positions[3 * k + 2]};
}

const sim::GroupTransform* Find(OBJHANDLE h, int mesh, int group) {
  int n = 0;
  const sim::GroupTransform* t = sim::GroupTransforms(h, &n);
  for (int i = 0; i < n; ++i)
    if (t[i].mesh == mesh && t[i].group == group) return &t[i];
  return nullptr;
}

VECTOR3 Apply(const sim::GroupTransform& t, const VECTOR3& p) {
  return {t.R[0] * p.x + t.R[1] * p.y + t.R[2] * p.z + t.t[0], t.R[3] * p.x + t.R[4] * p.y + t.R[5] * p.z + t.t[1],
          t.R[6] * p.x + t.R[7] * p.y + t.R[8] * p.z + t.t[2]};
}

void ExpectNear(const VECTOR3& a, const VECTOR3& b, double tol, const char* what) {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
  EXPECT_NEAR(a.z, b.z, tol) << what;
}

const VECTOR3 HUBS[4] = {{-1.065, 0.75, 1.83}, {-1.065, 0.75, -1.83}, {1.065, 0.75, 1.83}, {1.065, 0.75, -1.83}};

}  // namespace

TEST_F(MeshPoseTest, EveryShippedMeshParsesWithAllItsTextures) {
  int meshes = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(std::string(KVQ_MESHES) + "/Meshes")) {
    if (e.path().extension() != ".msh") continue;
    ++meshes;
    std::ifstream in(e.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    sim::MeshFile m;
    int line = 0;
    std::string error;
    ASSERT_TRUE(sim::ParseMeshFile(text.str(), &m, &line, &error)) << e.path() << ":" << line << ": " << error;
    EXPECT_FALSE(m.groups.empty()) << e.path();
    std::string name = std::filesystem::relative(e.path(), std::string(KVQ_MESHES) + "/Meshes").replace_extension().generic_string();
    MESHHANDLE h = oapiLoadMeshGlobal(name.c_str());
    for (size_t t = 1; t <= m.textures.size(); ++t)
      EXPECT_NE(oapiGetTextureHandle(h, static_cast<DWORD>(t)), nullptr) << name << " texture " << t;
  }
  EXPECT_GE(meshes, 5);
}

TEST_F(MeshPoseTest, TheTractorsWheelsAreGroupsZeroToThreeAroundTheirHubs) {
  const sim::MeshFile* m = sim::MeshData(oapiLoadMeshGlobal("kvq7700"));
  ASSERT_GE(m->groups.size(), 4u);
  for (int g = 0; g < 4; ++g) {
    const Box b = BoxOf(m->groups[static_cast<size_t>(g)]);
    EXPECT_NEAR(b.Centre(0), HUBS[g].x, 2 * CM) << "wheel " << g;
    EXPECT_NEAR(b.Centre(1), HUBS[g].y, 2 * CM) << "wheel " << g;
    EXPECT_NEAR(b.Centre(2), HUBS[g].z, 2 * CM) << "wheel " << g;
    EXPECT_NEAR(b.lo[1], 0.0, 2 * CM) << "wheel " << g << " stands on the ground";
  }
}

TEST_F(MeshPoseTest, CockpitPartsAreModelledAroundTheirReferencePoints) {
  const sim::MeshFile* m = sim::MeshData(oapiLoadMeshGlobal("kvq7700_vc"));
  ASSERT_EQ(m->groups.size(), 26u);
  EXPECT_EQ(m->materials.size(), 10u);
  int w = 0, h = 0;
  ASSERT_TRUE(sim::SurfaceSize(oapiGetTextureHandle(oapiLoadMeshGlobal("kvq7700_vc"), 1), &w, &h));
  EXPECT_GE(w, 498);
  EXPECT_GE(h, 358);
  ASSERT_TRUE(sim::SurfaceSize(oapiGetTextureHandle(oapiLoadMeshGlobal("kvq7700_vc"), 5), &w, &h));
  EXPECT_GE(w, 828);
  EXPECT_GE(h, 944);
  const struct {
    int group;
    VECTOR3 ref;
  } parts[] = {
      {4, {-0.48, 1.43437, 4.12454}},   {5, {-0.72, 1.43437, 4.12455}},  {3, {-0.6, 1.39581, 4.07858}},
      {1, {-0.448, 0.609, 3.941}},      {2, {-0.748, 0.609, 3.941}},     {10, {-0.6, 1.37, 3.787}},
      {20, {-0.037, 1.048, 3.464}},     {19, {-0.146, 0.933, 3.7}},      {12, {-0.9, 1.4, 4.077}},
      {11, {-0.9, 1.444, 4.137}},       {13, {-0.044, 1.335, 3.975}},    {22, {-0.143891, 1.25191, 3.90956}},
  };
  for (const auto& p : parts) {
    const Box b = BoxOf(m->groups[static_cast<size_t>(p.group)]);
    EXPECT_LT(b.Distance(p.ref), 3 * CM) << "group " << p.group;
  }
  // The needles and the steering wheel turn about their own middles.
  for (int g : {3, 4, 5, 10}) {
    const Box b = BoxOf(m->groups[static_cast<size_t>(g)]);
    const VECTOR3 ref = g == 10 ? VECTOR3{-0.6, 1.37, 3.787} : g == 3 ? VECTOR3{-0.6, 1.39581, 4.07858}
                                : g == 4 ? VECTOR3{-0.48, 1.43437, 4.12454} : VECTOR3{-0.72, 1.43437, 4.12455};
    EXPECT_NEAR(ref.x, b.Centre(0), (b.hi[0] - b.lo[0]) * 0.5) << "group " << g;
  }
}

TEST_F(MeshPoseTest, ClickablePartsLieInsideTheAreasTheCockpitRegisters) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(sim::VCEnter(0));
  const sim::MeshFile* m = sim::MeshData(v->vcMeshTemplate);
  const struct {
    int area, group;
  } parts[] = {{5, 20}, {6, 19}, {8, 12}, {7, 11}, {9, 13}, {15, 22}, {10, 21}, {11, 16}, {12, 15}, {13, 14}, {14, 17}};
  int checked = 0;
  for (const sim::VCAreaInfo& a : sim::VCAreas()) {
    for (const auto& p : parts) {
      if (p.area != a.id) continue;
      ++checked;
      const sim::MeshFileGroup& g = m->groups[static_cast<size_t>(p.group)];
      if (a.clickMode == 2) {
        for (size_t k = 0; k < g.VertexCount(); ++k) {
          const VECTOR3 q = Vertex(g, k);
          EXPECT_LT(dist(q, a.centre), a.radius) << "area " << a.id;
        }
        continue;
      }
      ASSERT_EQ(a.clickMode, 1) << "area " << a.id;
      // The part's vertices near the area's plane lie within its corners.
      const VECTOR3 o = a.quad[0], ex = a.quad[1] - a.quad[0], ey = a.quad[2] - a.quad[0];
      const VECTOR3 n = unit(crossp(ex, ey));
      int reaching = 0;
      for (size_t k = 0; k < g.VertexCount(); ++k) {
        const VECTOR3 d = Vertex(g, k) - o;
        if (std::fabs(dotp(d, n)) > 3 * CM) continue;
        ++reaching;
        EXPECT_GE(dotp(d, ex) / dotp(ex, ex), -0.05) << "area " << a.id;
        EXPECT_LE(dotp(d, ex) / dotp(ex, ex), 1.05) << "area " << a.id;
        EXPECT_GE(dotp(d, ey) / dotp(ey, ey), -0.05) << "area " << a.id;
        EXPECT_LE(dotp(d, ey) / dotp(ey, ey), 1.05) << "area " << a.id;
      }
      EXPECT_GT(reaching, 0) << "area " << a.id << ": group " << p.group << " does not reach it";
    }
  }
  EXPECT_EQ(checked, 11);
}

TEST_F(MeshPoseTest, SteeringTurnsEachWheelAboutItsHubAndTheWheelRollsAboutItsAxle) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  OBJHANDLE h = v->GetHandle();
  const SteeringAnimation& s = GetSteeringAnimation();
  // Neutral steering and no roll: every wheel as modelled.
  for (int g = 0; g < 4; ++g) {
    const sim::GroupTransform* t = Find(h, 1, g);
    ASSERT_NE(t, nullptr) << "wheel " << g;
    ExpectNear(Apply(*t, {0.3, 0.2, 0.1}), {0.3, 0.2, 0.1}, 1e-9, "neutral");
  }
  // Front left at state 0: turned right by FRONT_LOCK_OUTER about its hub.
  const VECTOR3 ahead = HUBS[0] + _V(0, 0, 0.75);
  v->SetAnimation(v->animSteerFront[0], 0);
  ExpectNear(Apply(*Find(h, 1, 0), HUBS[0]), HUBS[0], 1e-9, "the hub stays");
  ExpectNear(Apply(*Find(h, 1, 0), ahead),
             HUBS[0] + _V(0.75 * std::sin(FRONT_LOCK_OUTER), 0, 0.75 * std::cos(FRONT_LOCK_OUTER)), 1e-6, "state 0");
  EXPECT_NEAR(static_cast<double>(s.frontSweep) * s.frontNeutral, FRONT_LOCK_OUTER, 1e-6);
  // At state 1 the other lock, FRONT_LOCK_INNER to the left.
  v->SetAnimation(v->animSteerFront[0], 1);
  ExpectNear(Apply(*Find(h, 1, 0), ahead),
             HUBS[0] + _V(-0.75 * std::sin(FRONT_LOCK_INNER), 0, 0.75 * std::cos(FRONT_LOCK_INNER)), 1e-6, "state 1");
  // A roll of 0 and of 1 is the same pose; a quarter turn takes the top of
  // the tyre forward, and the steering turns the rolled wheel with it.
  const VECTOR3 top = HUBS[0] + _V(0, 0.75, 0);
  v->SetAnimation(v->animSteerFront[0], s.frontNeutral);
  v->SetAnimation(v->animWheel[0], 1);
  ExpectNear(Apply(*Find(h, 1, 0), top), top, 1e-6, "roll 1 (2 pi in single precision)");
  v->SetAnimation(v->animWheel[0], 0.25);
  ExpectNear(Apply(*Find(h, 1, 0), top), HUBS[0] + _V(0, 0, 0.75), 1e-6, "roll 0.25");
  v->SetAnimation(v->animSteerFront[0], 0);
  ExpectNear(Apply(*Find(h, 1, 0), top),
             HUBS[0] + _V(0.75 * std::sin(FRONT_LOCK_OUTER), 0, 0.75 * std::cos(FRONT_LOCK_OUTER)), 1e-6,
             "rolled, then steered");
  // The rear right wheel at state 0: plus REAR_LOCK_OUTER; the others stay.
  v->SetAnimation(v->animSteerRear[1], 0);
  const VECTOR3 rr = HUBS[3] + _V(0, 0, 0.75);
  ExpectNear(Apply(*Find(h, 1, 3), rr), HUBS[3] + _V(0.75 * std::sin(REAR_LOCK_OUTER), 0, 0.75 * std::cos(REAR_LOCK_OUTER)),
             1e-6, "rear right");
  ExpectNear(Apply(*Find(h, 1, 2), {1, 2, 3}), {1, 2, 3}, 1e-9, "front right untouched");
}

TEST_F(MeshPoseTest, CockpitPartsMoveAsTheirTablesSay) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  OBJHANDLE h = v->GetHandle();
  // The gear indicator's two translations, from neutral (its modelled pose).
  const struct {
    double state, dx;
  } gears[] = {{0, -0.02}, {0.33333, 0}, {0.66666, 0.0225}, {1.0, 0.045}};
  for (const auto& g : gears) {
    v->SetAnimation(v->animGearIndicator, g.state);
    ExpectNear(Apply(*Find(h, 0, 6), {0, 0, 0}), {g.dx, 0, 0}, 1e-4, "gear indicator");
  }
  // The speedometer at full scale: half a turn about the dashboard axis
  // through its middle.
  const VECTOR3 centre{-0.48, 1.43437, 4.12454}, axis{0, 0.766019, -0.642818};
  const VECTOR3 left = centre + _V(-0.05, 0, 0);
  v->SetAnimation(v->animSpeedometer, 1);
  ExpectNear(Apply(*Find(h, 0, 4), centre + axis * 0.01), centre + axis * 0.01, 1e-6, "on the axis");
  ExpectNear(Apply(*Find(h, 0, 4), left), centre + _V(0.05, 0, 0), 1e-6, "half a turn");
  // A display key pressed goes 12 mm into the panel; released, it is as modelled.
  v->SetAnimation(v->animDisplayKey[0], 0);
  ExpectNear(Apply(*Find(h, 0, 16), {0, 0, 0}), {0, -0.0091922, 0.0077138}, 1e-7, "key pressed");
  v->SetAnimation(v->animDisplayKey[0], 1);
  ExpectNear(Apply(*Find(h, 0, 16), {0, 0, 0}), {0, 0, 0}, 1e-12, "key released");
  // The steering wheel is modelled straight ahead (state 0.5).
  ExpectNear(Apply(*Find(h, 0, 10), {0, 2, 5}), {0, 2, 5}, 1e-9, "steering wheel");
}

TEST_F(MeshPoseTest, TransformsAreEvaluatedAgainOnlyWhenAStateChanges) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  OBJHANDLE h = v->GetHandle();
  int n = 0;
  const sim::GroupTransform* first = sim::GroupTransforms(h, &n);
  EXPECT_GT(n, 20);
  const uint64_t before = sim::AnimationVersion(h);
  v->SetAnimation(v->animWheel[1], v->GetAnimation(v->animWheel[1]));
  EXPECT_EQ(sim::AnimationVersion(h), before) << "the same state again";
  v->SetAnimation(v->animWheel[1], 0.5);
  EXPECT_GT(sim::AnimationVersion(h), before);
  EXPECT_EQ(sim::GroupTransforms(h, &n), first) << "evaluated in place";
  EXPECT_NEAR(Apply(*Find(h, 1, 2), HUBS[2] + _V(0, 0.75, 0)).y, 0.0, 1e-6) << "half a turn: the top at the bottom";
}
