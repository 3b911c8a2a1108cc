// Scenes the benchmarks measure in, built in the headless host, and the
// allocation bookkeeping of a measured loop.
#pragma once

#include <benchmark/benchmark.h>

#include "host/orbiterapi.h"

class KVQ_R7700;

namespace bench {

constexpr double STEP = 1.0 / 60.0;  // s, the frame the host runs

struct SceneSpec {
  bool coupled = true;      // towbar and airliner on the front hitch (the D key)
  bool secondCrew = true;   // a second crew member beside the default one
  bool moving = true;       // engine on, reverse, throttle and rudder set
  bool cockpit = false;     // a visual and cockpit position 0, the focus
  int others = 0;           // vessels elsewhere on the apron
  bool airlinerLast = false;  // the airliner stands behind the others, not coupled
};

// The tractor "Tug" of the current scene, which is rebuilt from an empty
// host whenever the scene asked for differs from the last one. Exits the
// process when a scene cannot be built.
KVQ_R7700& Scene(const SceneSpec& spec);
// Vessels in the host now.
int VesselCount();

// Runs frames (or bare steps) to settle a scene before measuring.
void SettleFrames(int frames);

// Counts the heap allocations of a measured loop.
class AllocationCount {
 public:
  AllocationCount();
  long Made() const;

 private:
  long before_;
};

// Reports the allocations of a loop as the counter "allocations" (per
// iteration as "allocs/iter"); when they must be none, a loop that made any
// fails the benchmark and the run.
void ReportAllocations(benchmark::State& state, long made, bool mustBeNone);

}  // namespace bench
