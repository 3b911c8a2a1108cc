#include "apps/kvqsim/session/replay.h"

#include <algorithm>
#include <cstdio>

#include "sim/sim.h"

namespace kvqsim {

void ReplayDriver::Begin() {
  std::vector<OBJHANDLE> loaded;
  sim::TakeFocusChanges(&loaded);  // the scenario's own focus
  double lng0 = 0, lat0 = 0;
  if (SceneOrigin(&lng0, &lat0)) session_.SetOrigin(lng0, lat0);
  // A record of a single page names no arrivals: its person was there from
  // the start.
  const bool arrivals = std::any_of(record_.inputs.begin(), record_.inputs.end(),
                                    [](const RecordedInput& r) { return r.input.kind == InputKind::Join; });
  if (!arrivals) {
    Input join;
    join.kind = InputKind::Join;
    std::string error;
    session_.Apply(1, &join, &error);
  }
}

bool ReplayDriver::Boundary() {
  const uint64_t frame = sim::FrameCount();
  while (next_ < record_.inputs.size() && record_.inputs[next_].frame <= frame) {
    RecordedInput& r = record_.inputs[next_++];
    Input& in = r.input;
    // Time acceleration and pause shaped only the wall clock.
    if (in.kind == InputKind::Time || in.kind == InputKind::Pause || in.kind == InputKind::Save ||
        in.kind == InputKind::Quit)
      continue;
    std::string error;
    if (!session_.Apply(r.person, &in, &error))
      std::fprintf(stderr, "kvqsim: replay: frame %llu: input refused: %s\n", static_cast<unsigned long long>(frame),
                   error.c_str());
  }
  session_.Notices().clear();
  return frame < record_.endFrame;
}

void ReplayDriver::AfterFrame() {
  session_.AfterFrame();
  session_.Notices().clear();
}

}  // namespace kvqsim
