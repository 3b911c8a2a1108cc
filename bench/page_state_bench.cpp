// The state a served session sends each page, made on the simulation
// thread after a frame: the scene's part, then one person's part with the
// vessels that changed since their last state. The scene: the benchmark
// tractor moving with towbar and airliner in its cockpit, and other moving
// tractors around it, all near where the person looks.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "apps/kvqsim/serve/assets.h"
#include "apps/kvqsim/serve/state.h"
#include "apps/kvqsim/session/session.h"
#include "bench/bench_scene.h"
#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

namespace {

using bench::Scene;
using bench::SceneSpec;

constexpr double FRAME_BUDGET_US = 1e6 / 60;

// N more tractors beside the benchmark's, each driving in a circle.
void AddTractors(KVQ_R7700& tug, int n) {
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Other%d", i);
    double lng = 0, lat = 0;
    sim::SurfaceAt(tug.GetHandle(), {20.0 * (i % 4) - 30, 0, 15.0 * (i / 4) + 20}, &lng, &lat);
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel(name, "KVQ_R7700", lng, lat, 0, &error);
    VESSEL* v = h ? oapiGetVesselInterface(h) : nullptr;
    if (v == nullptr) continue;
    char ctrlE[256] = {}, w[256] = {};
    ctrlE[OAPI_KEY_LCONTROL] = ctrlE[OAPI_KEY_E] = static_cast<char>(0x80);
    w[OAPI_KEY_W] = static_cast<char>(0x80);
    v->SendBufferedKey(OAPI_KEY_E, true, ctrlE);
    v->SendBufferedKey(OAPI_KEY_W, true, w);
    v->SetThrusterGroupLevel(THGROUP_MAIN, 0.2);
    v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.4);
  }
}

void BM_PageStateAfterFrame(benchmark::State& state) {
  SceneSpec spec;
  spec.cockpit = true;
  KVQ_R7700& tug = Scene(spec);
  AddTractors(tug, static_cast<int>(state.range(0)) - 1);
  kvqsim::Session session;
  kvqsim::Input join;
  join.kind = kvqsim::InputKind::Join;
  std::string error;
  session.Apply(1, &join, &error);
  kvqsim::AssetStore assets;
  kvqsim::Snapshot snapshot(&assets);
  snapshot.Begin();
  kvqsim::PaceState pace;
  auto now = std::chrono::steady_clock::now();
  snapshot.Scene(pace, session, now);
  snapshot.StateFor(session, *session.Find(1), now);  // the first, full state
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sim::RunFrame();
    now += std::chrono::microseconds(16667);
    state.ResumeTiming();
    snapshot.Scene(pace, session, now);
    bytes = snapshot.StateFor(session, *session.Find(1), now).size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["vessels"] = bench::VesselCount();
  state.SetLabel("a frame's budget is " + std::to_string(static_cast<int>(FRAME_BUDGET_US)) + " us");
}
BENCHMARK(BM_PageStateAfterFrame)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
