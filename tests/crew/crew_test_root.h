// A private simulator root per test: the assembled root's files linked in,
// with the crew add-on's version file, library and function files chosen by
// the test. Handoff files written by one test never reach another.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

struct TestRootOptions {
  const char* version = "2.0";  // null: no version file
  bool library = true;          // Modules/UMmu.dll present
  std::vector<std::string> functionFiles;  // names in Config/UMMUIdConfig
};

std::string MakeTestRoot(const TestRootOptions& options);
void RemoveTestRoot(const std::string& root);

// Starts the host on a fresh root; false with the reason in error.
bool StartHost(const TestRootOptions& options, std::string* root, std::string* error);

KVQ_R7700* Tractor(OBJHANDLE h);
OBJHANDLE CreateTractor(const char* name, double lng = 0, double lat = 0, double hdg = 0);
// Puts a vessel standing at a point of ref's frame.
void StandAt(OBJHANDLE vessel, OBJHANDLE ref, const VECTOR3& point);
// Published vectors of a vessel's "UMmu" attachment; false when it has none.
bool AirlockVectors(OBJHANDLE vessel, VECTOR3* pos, VECTOR3* dir, VECTOR3* rot);
// Runs frames until pred holds or the time (s of simulation) runs out.
template <typename Pred>
bool RunUntil(Pred pred, double seconds) {
  const int frames = static_cast<int>(seconds / sim::GetOptions().dt) + 1;
  for (int i = 0; i < frames; ++i) {
    if (pred()) return true;
    sim::RunFrame();
  }
  return pred();
}
std::string ReadFile(const std::string& path);

// A tractor "Tug" in a host started on a private root, shut down and
// removed after each test.
class CrewHostTest : public ::testing::Test {
 protected:
  void StartWithTractor(const TestRootOptions& options) {
    std::string error;
    ASSERT_TRUE(StartHost(options, &root, &error)) << error;
    tug = CreateTractor("Tug");
    ASSERT_NE(tug, nullptr);
    v = Tractor(tug);
    ASSERT_NE(v, nullptr);
  }
  void TearDown() override {
    sim::Shutdown();
    RemoveTestRoot(root);
  }
  std::string root;
  OBJHANDLE tug = nullptr;
  KVQ_R7700* v = nullptr;
};
