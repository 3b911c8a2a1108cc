#include "tests/reliability/reliability_scene.h"

#include <cstring>

#include "sim/sim.h"
#include "tests/crew/crew_test_root.h"

void ReliabilityScene::SetUp() {
  std::string error;
  ASSERT_TRUE(StartHost(TestRootOptions{}, &root_, &error)) << error;
}

void ReliabilityScene::TearDown() {
  sim::Shutdown();
  RemoveTestRoot(root_);
}

void ReliabilityScene::Restart() {
  sim::Shutdown();
  sim::Options o;
  o.root = root_;
  std::string error;
  ASSERT_TRUE(sim::Start(o, &error)) << error;
}

KVQ_R7700* ReliabilityScene::NewTractor(const char* name) {
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, "KVQ_R7700", 0.3, 0.5, 0.25, &error);
  EXPECT_NE(h, nullptr) << error;
  return h ? dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
}

void ReliabilityScene::PlaceAirliners(KVQ_R7700& tug) {
  const OBJHANDLE h = tug.GetHandle();
  double lng = 0, lat = 0, hdg = 0, aLng = 0, aLat = 0, bLng = 0, bLat = 0;
  ASSERT_TRUE(sim::GetSurfacePos(h, &lng, &lat, &hdg));
  ASSERT_TRUE(sim::SurfaceAt(h, _V(0, 0, 23), &aLng, &aLat));
  ASSERT_TRUE(sim::SurfaceAt(h, _V(0, 0, -23), &bLng, &bLat));
  std::string error;
  ASSERT_NE(sim::CreateLandedVessel("JetAhead", "Airliner", aLng, aLat, hdg + PI, &error), nullptr) << error;
  ASSERT_NE(sim::CreateLandedVessel("JetBehind", "Airliner", bLng, bLat, hdg, &error), nullptr) << error;
}

KVQ_R7700* ReliabilityScene::FindTractor(const char* name) {
  OBJHANDLE h = oapiGetVesselByName(name);
  return h ? dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
}

int CountPeople() {
  int people = 0;
  for (DWORD i = 0; i < oapiGetVesselCount(); ++i) {
    VESSEL* v = oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i)));
    if (v == nullptr) continue;
    if (auto* t = dynamic_cast<KVQ_R7700*>(v)) people += t->crew.crewCount;
    if (std::strncmp(v->GetClassName(), "UMmu", 4) == 0) people += 1;
  }
  return people;
}
