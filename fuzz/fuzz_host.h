// What every fuzz target shares: one private simulator root, a host started
// afresh for each input, a reader of the fuzzer's bytes, and the checks that
// end the run when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "vessel/kvq_r7700.h"

namespace fuzz {

// The private root (made on first use, removed at exit).
const std::string& Root();
// Starts the host on the private root with no vessels, shutting down the
// previous one. Aborts when the host does not start.
void Restart();
// Shuts the host down when the input is done, so that nothing of the last
// input is left when the process ends.
struct ShutdownAtEnd {
  ~ShutdownAtEnd();
};
// A landed tractor; aborts when the host refuses it.
KVQ_R7700* NewTractor(const char* name = "Tug");
// Two airliners on the tractor's axis, 23 m ahead and behind, each facing it
// with its tow point.
void PlaceAirliners(KVQ_R7700& tug);
// Crew aboard every tractor plus the crew vessels ("UMmu" class) in the scene.
int CountPeople();
// Ends the run with a message when why is not empty.
void Require(const std::string& why, const char* context);
// Checks every tractor of the scene.
void CheckAllTractors(const char* context);

// Sequential reader of the input; runs dry to zeros.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : p_(data), n_(size) {}
  bool Empty() const { return n_ == 0; }
  uint8_t U8() {
    if (n_ == 0) return 0;
    --n_;
    return *p_++;
  }
  int Int(int lo, int hi) { return lo + static_cast<int>(U8() % static_cast<unsigned>(hi - lo + 1)); }
  // 0..1 in 256 steps.
  double Unit() { return U8() / 255.0; }
  // Up to max bytes, stopping after a zero byte.
  std::string Text(size_t max);

 private:
  const uint8_t* p_;
  size_t n_;
};

}  // namespace fuzz
