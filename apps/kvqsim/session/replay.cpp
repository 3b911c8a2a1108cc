#include "apps/kvqsim/session/replay.h"

#include <cstdio>

#include "sim/sim.h"

namespace kvqsim {

bool ReplayDriver::Boundary() {
  const uint64_t frame = sim::FrameCount();
  while (next_ < record_.inputs.size() && record_.inputs[next_].frame <= frame) {
    Input& in = record_.inputs[next_++].input;
    // Time acceleration and pause shaped only the wall clock.
    if (in.kind == InputKind::Time || in.kind == InputKind::Pause || in.kind == InputKind::Save ||
        in.kind == InputKind::Quit)
      continue;
    std::string error;
    if (!session_.Apply(&in, &error))
      std::fprintf(stderr, "kvqsim: replay: frame %llu: input refused: %s\n", static_cast<unsigned long long>(frame),
                   error.c_str());
  }
  return frame < record_.endFrame;
}

}  // namespace kvqsim
