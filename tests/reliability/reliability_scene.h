// A scene for the property tests: the host on a private root, the tractor,
// two airliners on its axis, and the count of people in the scene.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "vessel/kvq_r7700.h"

class ReliabilityScene : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Shuts the host down and starts it again on the same root, empty.
  void Restart();
  KVQ_R7700* NewTractor(const char* name = "Tug");
  // Airliners 23 m ahead of and behind the tractor, facing it.
  void PlaceAirliners(KVQ_R7700& tug);
  // The tractor of that name in the scene, or null.
  KVQ_R7700* FindTractor(const char* name = "Tug");
  std::string Path(const char* file) const { return root_ + "/Scenarios/" + file; }

  std::string root_;
};

// Crew aboard every tractor plus crew vessels ("UMmu" class) in the scene.
int CountPeople();
