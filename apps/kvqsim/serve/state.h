// The state the page shows, read from the scene on the simulation thread
// without changing it, as the JSON object of the page's protocol (the
// `state` message and GET /state.json). The scene's part is the same for
// everyone and made once; each person's part (their vessel, keys,
// controls, cockpit and sounds) is added to it per person.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "apps/kvqsim/session/session.h"
#include "host/orbiterapi.h"

namespace kvqsim {

struct PaceState {
  int accel = 1;
  bool paused = false;
  double realtime = 0;               // simulation seconds per wall second, lately
  double lateMean = 0, lateMax = 0;  // s frames started after their due time, lately
};

class Snapshot {
 public:
  // Takes the scene's origin (the first vessel's position) and finds the
  // sound add-on's slot query.
  void Begin();
  // The scene's part, kept for the people's states that follow.
  void Scene(const PaceState& pace, const Session& session);
  // The whole state as one person sees it (null: nobody's; the person in
  // the cockpit, else the first one, else the host's own focus).
  std::string StateFor(const Session& session, const Person* person) const;
  // The last input applied for a person, echoed as the state's `seq`.
  void Applied(int person, int64_t seq) { seqs_[person] = seq; }
  void Forget(int person) { seqs_.erase(person); }

 private:
  bool hasOrigin_ = false;
  double lng0_ = 0, lat0_ = 0;
  void* soundSlots_ = nullptr;  // the add-on's GetVesselSoundSlots, or null
  std::string scene_;           // the scene's fields, without the closing brace
  std::unordered_map<int, int64_t> seqs_;
};

}  // namespace kvqsim
