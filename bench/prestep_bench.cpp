// The tractor's per-frame step in the headless host, host calls included:
// standing, driving and towing. Every heap allocation made inside a measured
// loop fails the run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "sim/sim.h"
#include "towing/actions.h"
#include "vessel/kvq_r7700.h"

// ---- Allocation counting ----
//
// operator new is replaced here; malloc too, except under the address
// sanitizer, which owns it. Both are seen by the module and the host because
// the executable's definitions take precedence over the C library's.

namespace {
std::atomic<long> allocations{0};
bool allocationFailure = false;
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* malloc(size_t n) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, n);
}
#endif

// The C library calls stay out of line, so that the compiler does not pair
// them with the replaced operators.
[[gnu::noinline]] void Release(void* p) noexcept { std::free(p); }

// Counted once: by malloc where it is replaced, otherwise here.
void* operator new(size_t n) {
#if defined(__SANITIZE_ADDRESS__)
  allocations.fetch_add(1, std::memory_order_relaxed);
#endif
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
#if defined(__SANITIZE_ADDRESS__)
  allocations.fetch_add(1, std::memory_order_relaxed);
#endif
  return std::malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void* operator new(size_t n, std::align_val_t a) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  const size_t align = static_cast<size_t>(a);
  if (void* p = std::aligned_alloc(align, (n + align - 1) / align * align)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

constexpr double DT = 1.0 / 60.0;
constexpr double START_LNG = -1.4;  // rad
constexpr double START_LAT = 0.5;

int tractorCount = 0;

KVQ_R7700* CreateTractor(double lng, double lat) {
  char name[32];
  std::snprintf(name, sizeof name, "BenchTug%d", ++tractorCount);
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, "KVQ_R7700", lng, lat, 0.0, &error);
  if (!h) {
    std::fprintf(stderr, "cannot create a tractor: %s\n", error.c_str());
    std::exit(2);
  }
  return static_cast<KVQ_R7700*>(oapiGetVesselInterface(h));
}

void Drive(KVQ_R7700& v, double throttle, double steer) {
  v.engineRunning = true;
  v.transmission = 1;
  v.SetThrusterGroupLevel(THGROUP_MAIN, throttle);
  v.SetControlSurfaceLevel(AIRCTRL_RUDDER, steer);
}

// Couples the towbar at the front and the sample airliner standing ahead,
// nose to the tractor, as the hitch key does. Returns the label of what
// hangs on the tractor.
const char* CoupleTow(KVQ_R7700& v, double lng, double lat) {
  std::string error;
  const double ahead = 21.51 / oapiGetSize(sim::GetPlanet());  // rad: its tow point at the front hitch
  sim::CreateLandedVessel("BenchAirliner", "Airliner", lng, lat + ahead, PI, &error);
  HitchFront(v);
  if (v.towMode == 2) return "towbar and airliner";
  if (v.towMode == 1) return "towbar";
  // Without a towbar vessel the trailer model still runs on its geometry.
  v.towMode = 1;
  v.towbarHitchOffset = 5.0;
  v.towbarLength = 3.25;
  v.towbarYaw = 0;
  return "towbar geometry only";
}

void Measure(benchmark::State& state, KVQ_R7700& v) {
  double simt = 100.0;
  for (int i = 0; i < 120; ++i) {  // settle into the state being measured
    v.clbkPreStep(simt, DT, 0);
    simt += DT;
  }
  const long before = allocations.load();
  for (auto _ : state) {
    v.clbkPreStep(simt, DT, 0);
    simt += DT;
  }
  const long made = allocations.load() - before;
  state.counters["allocations"] = static_cast<double>(made);
  if (made != 0) {
    allocationFailure = true;
    state.SkipWithError("the step allocated on the heap");
  }
}

void BM_PreStepStanding(benchmark::State& state) {
  static KVQ_R7700* v = nullptr;
  if (!v) {
    v = CreateTractor(START_LNG, START_LAT);
    v->engineRunning = true;
  }
  Measure(state, *v);
}

void BM_PreStepDriving(benchmark::State& state) {
  static KVQ_R7700* v = nullptr;
  if (!v) {
    v = CreateTractor(START_LNG + 0.001, START_LAT);
    Drive(*v, 1.0, 0.3);
  }
  Measure(state, *v);
}

void BM_PreStepTowing(benchmark::State& state) {
  static KVQ_R7700* v = nullptr;
  static const char* label = "";
  if (!v) {
    v = CreateTractor(START_LNG + 0.002, START_LAT);
    label = CoupleTow(*v, START_LNG + 0.002, START_LAT);
    Drive(*v, 0.3, 0.05);
  }
  state.SetLabel(label);
  Measure(state, *v);
}

BENCHMARK(BM_PreStepStanding);
BENCHMARK(BM_PreStepDriving);
BENCHMARK(BM_PreStepTowing);

}  // namespace

// The counting must see the heap, or a clean result means nothing.
bool CountingWorks() {
  const long before = allocations.load();
  int* p = new int(7);
  benchmark::DoNotOptimize(p);
  delete p;
  void* q = std::malloc(16);
  benchmark::DoNotOptimize(q);
  std::free(q);
  return allocations.load() - before >= 1;
}

int main(int argc, char** argv) {
  if (!CountingWorks()) {
    std::fprintf(stderr, "FAILED: heap allocations are not counted\n");
    return 1;
  }
  sim::Options options;
  options.root = KVQ_ROOT;
  options.dt = DT;
  std::string error;
  if (!sim::Start(options, &error)) {
    std::fprintf(stderr, "cannot start the host: %s\n", error.c_str());
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sim::Shutdown();
  if (allocationFailure) {
    std::fprintf(stderr, "FAILED: the step allocated on the heap\n");
    return 1;
  }
  return 0;
}
