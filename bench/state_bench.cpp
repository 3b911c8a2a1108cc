// Saving and loading a tractor's scenario block: its own lines (driving
// state, coupling geometry, crew) and the host's position lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

namespace {

using bench::AllocationCount;
using bench::ReportAllocations;
using bench::Scene;
using bench::SceneSpec;

constexpr size_t BLOCK_BUFFER = 1 << 14;

char blockBuffer[BLOCK_BUFFER];

// The tractor's block in memory, as a scenario load hands it over: lines
// without their indentation and line ends.
std::vector<std::string> SavedLines(KVQ_R7700& v) {
  std::vector<std::string> lines;
  FILE* f = fmemopen(blockBuffer, sizeof blockBuffer, "w");
  if (f == nullptr || !sim::WriteVesselState(v.GetHandle(), f)) return lines;
  const long n = std::ftell(f);
  std::fclose(f);
  std::string line;
  for (long i = 0; i < n; ++i) {
    if (blockBuffer[i] != '\n') {
      if (!line.empty() || blockBuffer[i] != ' ') line += blockBuffer[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

void BM_SaveTractorState(benchmark::State& state) {
  KVQ_R7700& v = Scene(SceneSpec{});
  FILE* f = fmemopen(blockBuffer, sizeof blockBuffer, "w");
  if (f == nullptr) {
    state.SkipWithError("no memory stream");
    return;
  }
  std::setvbuf(f, nullptr, _IOFBF, BUFSIZ);
  sim::WriteVesselState(v.GetHandle(), f);  // the stream's buffer exists before the loop
  std::rewind(f);
  const AllocationCount count;
  for (auto _ : state) {
    sim::WriteVesselState(v.GetHandle(), f);
    std::rewind(f);
  }
  ReportAllocations(state, count.Made(), false);
  std::fclose(f);
  state.counters["lines"] = static_cast<double>(SavedLines(v).size());
}
BENCHMARK(BM_SaveTractorState);

// The saved block read back into the same tractor, towbar and airliner on.
void BM_LoadTractorState(benchmark::State& state) {
  KVQ_R7700& v = Scene(SceneSpec{});
  const std::vector<std::string> lines = SavedLines(v);
  if (lines.empty()) {
    state.SkipWithError("the tractor saved no lines");
    return;
  }
  const AllocationCount count;
  for (auto _ : state) sim::ReadVesselState(v.GetHandle(), lines);
  ReportAllocations(state, count.Made(), false);
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["towMode"] = v.towMode;
  state.counters["crew"] = v.crew.GetCrewCount();
}
BENCHMARK(BM_LoadTractorState);

}  // namespace
