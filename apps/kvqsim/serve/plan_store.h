// Pushback plans kept per scenario and stand in a file under the root, so
// that the next session with an aircraft at that stand offers them. A stand
// is where the aircraft stood, and how it stood, when its push began.
#pragma once

#include <string>
#include <vector>

namespace kvqsim {

struct StoredPlan {
  std::string scenario;  // the scenario file's name
  std::string aircraft;
  double lng = 0, lat = 0, hdg = 0;  // the stand (rad)
  std::vector<std::pair<double, double>> points;  // lng, lat (rad)
  double heading = 0;  // the final heading (degrees)
};

class PlanStore {
 public:
  // Reads the file; a missing or unreadable one holds no plans.
  void Load(const std::string& path);
  // The plans kept for a scenario at a stand (the newest first).
  std::vector<StoredPlan> At(const std::string& scenario, double lng, double lat, double hdg,
                             double radius) const;
  // Keeps a plan (the same plan at the same stand once) and writes the
  // file; false when it cannot be written.
  bool Keep(const StoredPlan& plan, double radius);

 private:
  std::string path_;
  std::vector<StoredPlan> plans_;
};

}  // namespace kvqsim
