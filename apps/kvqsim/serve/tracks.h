// Where each vessel went during the session, for the page's map: points a
// little apart, broken where the vessel jumped (it was attached or
// released, or moved faster than anything drives) so that a jump is not
// drawn as a track. Each page is sent the points it has not had yet.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/orbiterapi.h"

namespace kvqsim {

class TrackLog {
 public:
  // Points sent to one page, by vessel.
  using Sent = std::unordered_map<OBJHANDLE, size_t>;

  // The vessel stands at (east, north) at simulation time t, attached to
  // parent (or null).
  void Sample(OBJHANDLE h, double t, double east, double north, OBJHANDLE parent);
  void Forget(OBJHANDLE h);
  // The JSON object of the points not yet sent, by vessel name: [[e, n],
  // ...], a point that begins a new piece after a jump as [e, n, 1].
  // Marks them sent. Empty ("{}") when nothing is new.
  std::string Since(Sent* sent, const std::unordered_map<OBJHANDLE, std::string>& names) const;

 private:
  struct Point {
    float e, n;  // m: a track needs no more than centimetres
    bool jump;
  };
  struct Track {
    std::vector<Point> points;
    double lastE = 0, lastN = 0, lastT = 0;  // where it was last sampled
    OBJHANDLE parent = nullptr;
    bool sampled = false;
  };
  std::unordered_map<OBJHANDLE, Track> tracks_;
};

}  // namespace kvqsim
