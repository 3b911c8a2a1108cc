// The state the page shows, read from the scene on the simulation thread
// without changing it, as the JSON object of the page's protocol (the
// `state` message and GET /state.json).
#pragma once

#include <cstdint>
#include <string>

#include "apps/kvqsim/session/session.h"
#include "host/orbiterapi.h"

namespace kvqsim {

struct PaceState {
  int accel = 1;
  bool paused = false;
  double realtime = 0;  // simulation seconds per wall second, lately
  double lateMean = 0, lateMax = 0;  // s frames started after their due time, lately
  int64_t seq = -1;     // the last input applied
};

class Snapshot {
 public:
  // Takes the scene's origin (the first vessel's position) and finds the
  // sound add-on's slot query.
  void Begin();
  std::string StateJson(const PaceState& pace, const Session& session) const;

 private:
  bool hasOrigin_ = false;
  double lng0_ = 0, lat0_ = 0;
  void* soundSlots_ = nullptr;  // the add-on's GetVesselSoundSlots, or null
};

}  // namespace kvqsim
