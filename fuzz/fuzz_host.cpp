#include "fuzz/fuzz_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/sim.h"
#include "tests/crew/crew_test_root.h"
#include "tests/support/invariants.h"

namespace fuzz {

namespace {

void RemoveRoot() { RemoveTestRoot(Root()); }

}  // namespace

const std::string& Root() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string& root = *new std::string([] {
    std::string r = MakeTestRoot(TestRootOptions{});
    if (r.empty()) {
      std::fprintf(stderr, "fuzz: no private root\n");
      std::abort();
    }
    return r;
  }());
  static const bool removed = std::atexit(RemoveRoot) == 0;
  (void)removed;
  return root;
}

void Restart() {
  if (sim::IsRunning()) sim::Shutdown();
  sim::Options o;
  o.root = Root();
  std::string error;
  if (!sim::Start(o, &error)) {
    std::fprintf(stderr, "fuzz: host does not start: %s\n", error.c_str());
    std::abort();
  }
}

ShutdownAtEnd::~ShutdownAtEnd() {
  if (sim::IsRunning()) sim::Shutdown();
}

KVQ_R7700* NewTractor(const char* name) {
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, "KVQ_R7700", 0.3, 0.5, 0.25, &error);
  KVQ_R7700* v = h ? dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
  if (v == nullptr) {
    std::fprintf(stderr, "fuzz: no tractor: %s\n", error.c_str());
    std::abort();
  }
  return v;
}

void PlaceAirliners(KVQ_R7700& tug) {
  constexpr double JET_DISTANCE = 23.0;  // m, centre to centre
  const OBJHANDLE h = tug.GetHandle();
  double lng = 0, lat = 0, hdg = 0, aLng = 0, aLat = 0, bLng = 0, bLat = 0;
  sim::GetSurfacePos(h, &lng, &lat, &hdg);
  sim::SurfaceAt(h, _V(0, 0, JET_DISTANCE), &aLng, &aLat);
  sim::SurfaceAt(h, _V(0, 0, -JET_DISTANCE), &bLng, &bLat);
  std::string error;
  if (!sim::CreateLandedVessel("JetAhead", "Airliner", aLng, aLat, hdg + PI, &error) ||
      !sim::CreateLandedVessel("JetBehind", "Airliner", bLng, bLat, hdg, &error)) {
    std::fprintf(stderr, "fuzz: no airliner: %s\n", error.c_str());
    std::abort();
  }
}

int CountPeople() {
  int people = 0;
  const DWORD n = oapiGetVesselCount();
  for (DWORD i = 0; i < n; ++i) {
    VESSEL* v = oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i)));
    if (v == nullptr) continue;
    if (auto* t = dynamic_cast<KVQ_R7700*>(v)) people += t->crew.crewCount;
    const char* cls = v->GetClassName();
    if (cls != nullptr && std::strncmp(cls, "UMmu", 4) == 0) people += 1;
  }
  return people;
}

void Require(const std::string& why, const char* context) {
  if (why.empty()) return;
  std::fprintf(stderr, "fuzz: invariant broken after %s: %s\n", context, why.c_str());
  std::abort();
}

void CheckAllTractors(const char* context) {
  const DWORD n = oapiGetVesselCount();
  for (DWORD i = 0; i < n; ++i) {
    if (auto* t = dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i)))))
      Require(CheckTractorInvariants(*t), context);
  }
}

std::string Bytes::Text(size_t max) {
  std::string s;
  while (s.size() < max && n_ > 0) {
    const char c = static_cast<char>(U8());
    if (c == '\0') break;
    s.push_back(c);
  }
  return s;
}

}  // namespace fuzz
