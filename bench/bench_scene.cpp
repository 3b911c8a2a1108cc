#include "bench/bench_scene.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/allocations.h"
#include "sim/sim.h"
#include "towing/hitch.h"
#include "vessel/kvq_r7700.h"

namespace bench {
namespace {

constexpr double START_LNG = -80.6758 * RAD;
constexpr double START_LAT = 28.5227 * RAD;
constexpr double START_HDG = 270.0 * RAD;
constexpr double AIRLINER_AHEAD = 21.5;  // m, tow point within reach of the front hitch
constexpr double THROTTLE = 0.2;
constexpr double RUDDER = 0.2;
constexpr int GRID_COLUMNS = 32;
constexpr double GRID_SPACING = 60.0;  // m between vessels on the apron
constexpr double GRID_OFFSET = 400.0;  // m from the tractor to the first row
constexpr int CREW_VESSEL_EVERY = 4;
constexpr char KEY_DOWN = static_cast<char>(0x80);   // every fourth other vessel is a crew member on foot

[[noreturn]] void Fail(const char* what, const std::string& why) {
  std::fprintf(stderr, "kvq_bench: cannot build the scene: %s %s\n", what, why.c_str());
  std::exit(2);
}

void ResetHost() {
  const sim::Options options = sim::GetOptions();
  sim::Shutdown();
  std::string error;
  if (!sim::Start(options, &error)) Fail("host start:", error);
}

OBJHANDLE CreateAt(OBJHANDLE ref, const char* name, const char* cls, double right, double ahead, double hdg) {
  double lng = START_LNG, lat = START_LAT;
  if (ref != nullptr && !sim::SurfaceAt(ref, {right, 0, ahead}, &lng, &lat)) Fail(name, "has no place");
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, cls, lng, lat, hdg, &error);
  if (h == nullptr) Fail(name, error);
  return h;
}

void AddOthers(OBJHANDLE tug, int count) {
  for (int i = 0; i < count; ++i) {
    const bool walker = i % CREW_VESSEL_EVERY == CREW_VESSEL_EVERY - 1;
    char name[48];
    std::snprintf(name, sizeof name, walker ? "UMmu_Walker%d" : "Stand%d", i);
    const double right = GRID_OFFSET + (i % GRID_COLUMNS) * GRID_SPACING;
    const double ahead = (i / GRID_COLUMNS) * GRID_SPACING;
    CreateAt(tug, name, walker ? "UMmu" : "Airliner", right, ahead, 0.0);
  }
}

bool Same(const SceneSpec& a, const SceneSpec& b) {
  return a.coupled == b.coupled && a.secondCrew == b.secondCrew && a.moving == b.moving && a.cockpit == b.cockpit &&
         a.others == b.others && a.airlinerLast == b.airlinerLast;
}

KVQ_R7700* Build(const SceneSpec& spec) {
  ResetHost();
  OBJHANDLE tug = CreateAt(nullptr, "Tug", "KVQ_R7700", 0, 0, START_HDG);
  auto* v = static_cast<KVQ_R7700*>(oapiGetVesselInterface(tug));
  if (!spec.airlinerLast) CreateAt(tug, "Jet", "Airliner", 0, AIRLINER_AHEAD, START_HDG - PI);
  AddOthers(tug, spec.others);
  if (spec.airlinerLast) CreateAt(tug, "Jet", "Airliner", 0, AIRLINER_AHEAD, START_HDG - PI);

  char kstate[256] = {};
  if (spec.coupled) {
    kstate[OAPI_KEY_D] = KEY_DOWN;
    v->clbkConsumeBufferedKey(OAPI_KEY_D, true, kstate);
    kstate[OAPI_KEY_D] = 0;
    if (v->towMode != 2) Fail("D key:", "towbar and airliner did not couple");
  } else if (spec.airlinerLast) {
    if (!CoupleTowbar(*v, true, true)) Fail("towbar:", "did not couple");
    v->towMode = 1;
  }
  if (spec.secondCrew && v->crew.AddMember("Ben Ruiz", 37, 72, 86, "Tech") != 1) Fail("crew:", "no second member");
  if (spec.moving) {
    v->engineRunning = true;
    v->transmission = -1;  // backing away, pulling what hangs on the front
    v->SetThrusterGroupLevel(THGROUP_MAIN, THROTTLE);
    v->SetControlSurfaceLevel(AIRCTRL_RUDDER, RUDDER);
  }
  if (spec.cockpit) {
    sim::SetVisual(tug, true);
    oapiSetFocusObject(tug);
    if (!sim::VCEnter(0)) Fail("cockpit:", "position 0 did not load");
  }
  return v;
}

}  // namespace

KVQ_R7700& Scene(const SceneSpec& spec) {
  static SceneSpec current;
  static KVQ_R7700* tug = nullptr;
  if (tug == nullptr || !Same(spec, current) || oapiGetVesselByName("Tug") == nullptr) {
    tug = Build(spec);
    current = spec;
    SettleFrames(120);
  }
  return *tug;
}

int VesselCount() { return static_cast<int>(oapiGetVesselCount()); }

void SettleFrames(int frames) {
  for (int i = 0; i < frames; ++i) sim::RunFrame();
}

AllocationCount::AllocationCount() : before_(allocations.load()) {}

long AllocationCount::Made() const { return allocations.load() - before_; }

void ReportAllocations(benchmark::State& state, long made, bool mustBeNone) {
  state.counters["allocations"] = static_cast<double>(made);
  state.counters["allocs/iter"] = benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
  if (mustBeNone && made != 0) {
    allocationFailure = true;
    state.SkipWithError("the measured loop allocated on the heap");
  }
}

}  // namespace bench
