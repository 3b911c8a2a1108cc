// The tractor's step while it tows an airliner with its crew aboard, alone
// and among other vessels (the crew client's arrival scan walks the scene
// four times a second), the whole host frame around it, and the search for
// a vessel to couple, which walks the scene too.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "sim/sim.h"
#include "towing/hitch.h"
#include "vessel/kvq_r7700.h"

namespace {

using bench::AllocationCount;
using bench::ReportAllocations;
using bench::Scene;
using bench::SceneSpec;

// The tractor's clbkPreStep as the host's frame runs it, with the placing
// of towbar and airliner on their points that follows; the other vessels'
// steps and the rest of the frame are left out.
void MeasureStep(benchmark::State& state, KVQ_R7700& v) {
  double simt = oapiGetSimTime();
  const OBJHANDLE h = v.GetHandle();
  const AllocationCount count;
  for (auto _ : state) {
    sim::PreStepVessel(h, simt);
    simt += bench::STEP;
  }
  ReportAllocations(state, count.Made(), true);
  state.counters["vessels"] = bench::VesselCount();
  state.counters["towMode"] = v.towMode;
}

void MeasureFrame(benchmark::State& state, KVQ_R7700& v) {
  const AllocationCount count;
  for (auto _ : state) sim::RunFrame();
  ReportAllocations(state, count.Made(), true);
  state.counters["vessels"] = bench::VesselCount();
  state.counters["towMode"] = v.towMode;
}

void BM_PreStepTowingAirlinerWithCrew(benchmark::State& state) {
  KVQ_R7700& v = Scene(SceneSpec{});
  MeasureStep(state, v);
}
BENCHMARK(BM_PreStepTowingAirlinerWithCrew);

// One crew member aboard and a seat free: the arrival scan walks the scene.
void BM_PreStepTowingInScene(benchmark::State& state) {
  SceneSpec spec;
  spec.secondCrew = false;
  spec.others = static_cast<int>(state.range(0));
  KVQ_R7700& v = Scene(spec);
  MeasureStep(state, v);
}
BENCHMARK(BM_PreStepTowingInScene)->ArgName("others")->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

// The host's whole frame: every vessel's step, children placed on their
// parents, the cockpit's redraws.
void BM_FrameTowingAirlinerWithCrew(benchmark::State& state) {
  KVQ_R7700& v = Scene(SceneSpec{});
  MeasureFrame(state, v);
}
BENCHMARK(BM_FrameTowingAirlinerWithCrew);

void BM_FrameTowingWithCockpit(benchmark::State& state) {
  SceneSpec spec;
  spec.cockpit = true;
  KVQ_R7700& v = Scene(spec);
  MeasureFrame(state, v);
}
BENCHMARK(BM_FrameTowingWithCockpit);

void BM_FrameTowingInScene(benchmark::State& state) {
  SceneSpec spec;
  spec.secondCrew = false;
  spec.others = static_cast<int>(state.range(0));
  KVQ_R7700& v = Scene(spec);
  MeasureFrame(state, v);
}
BENCHMARK(BM_FrameTowingInScene)->ArgName("others")->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

// Coupling the airliner to the towbar's eye and releasing it again; the
// airliner stands behind all the other vessels, so the search walks them.
void BM_CouplingSearchInScene(benchmark::State& state) {
  SceneSpec spec;
  spec.coupled = false;
  spec.moving = false;
  spec.airlinerLast = true;
  spec.others = static_cast<int>(state.range(0));
  KVQ_R7700& v = Scene(spec);
  if (!CoupleVessel(v, true, true) || !CoupleVessel(v, true, false)) {
    state.SkipWithError("the airliner is not within reach of the towbar");
    return;
  }
  const AllocationCount count;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CoupleVessel(v, true, true));
    benchmark::DoNotOptimize(CoupleVessel(v, true, false));
  }
  ReportAllocations(state, count.Made(), false);
  state.counters["vessels"] = bench::VesselCount();
}
BENCHMARK(BM_CouplingSearchInScene)->ArgName("others")->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
