// The key handler and the status display's redraw.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

namespace {

using bench::AllocationCount;
using bench::ReportAllocations;
using bench::Scene;
using bench::SceneSpec;

constexpr int STATUS_DISPLAY = 3;  // cockpit area of the status display
constexpr char KEY_DOWN = static_cast<char>(0x80);

// One gear up and one gear down per iteration, with the tractor standing
// (the selector only moves at standstill), through the host's key callback.
void MeasureGearKeys(benchmark::State& state, KVQ_R7700& v) {
  char kstate[256] = {};
  const AllocationCount count;
  for (auto _ : state) {
    kstate[OAPI_KEY_W] = KEY_DOWN;
    benchmark::DoNotOptimize(v.clbkConsumeBufferedKey(OAPI_KEY_W, true, kstate));
    kstate[OAPI_KEY_W] = 0;
    kstate[OAPI_KEY_S] = KEY_DOWN;
    benchmark::DoNotOptimize(v.clbkConsumeBufferedKey(OAPI_KEY_S, true, kstate));
    kstate[OAPI_KEY_S] = 0;
  }
  ReportAllocations(state, count.Made(), false);
  state.counters["transmission"] = v.transmission;
}

void BM_KeyHandlerGearUpDown(benchmark::State& state) {
  SceneSpec spec;
  spec.moving = false;
  MeasureGearKeys(state, Scene(spec));
}
BENCHMARK(BM_KeyHandlerGearUpDown);

// The same keys with the cockpit loaded: each asks for the gear lever's
// redraw in both cockpits.
void BM_KeyHandlerGearUpDownWithCockpit(benchmark::State& state) {
  SceneSpec spec;
  spec.moving = false;
  spec.cockpit = true;
  MeasureGearKeys(state, Scene(spec));
}
BENCHMARK(BM_KeyHandlerGearUpDownWithCockpit);

// A key without a command: the handler's fixed cost.
void BM_KeyHandlerUnboundKey(benchmark::State& state) {
  SceneSpec spec;
  spec.moving = false;
  KVQ_R7700& v = Scene(spec);
  char kstate[256] = {};
  kstate[OAPI_KEY_Q] = KEY_DOWN;
  const AllocationCount count;
  for (auto _ : state) benchmark::DoNotOptimize(v.clbkConsumeBufferedKey(OAPI_KEY_Q, true, kstate));
  ReportAllocations(state, count.Made(), false);
}
BENCHMARK(BM_KeyHandlerUnboundKey);

// The status display redrawn through the host, as every frame does with the
// cockpit loaded: the background restored, then the module's redraw.
void BM_StatusDisplayRedraw(benchmark::State& state) {
  SceneSpec spec;
  spec.cockpit = true;
  KVQ_R7700& v = Scene(spec);
  const AllocationCount count;
  for (auto _ : state) oapiVCTriggerRedrawArea(-1, STATUS_DISPLAY);
  ReportAllocations(state, count.Made(), true);
  state.counters["texts"] = static_cast<double>(sim::VCTexts(STATUS_DISPLAY).size());
  state.counters["towMode"] = v.towMode;
}
BENCHMARK(BM_StatusDisplayRedraw);

}  // namespace
