// Starts the headless host on the built root and creates tractors in it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "sim/sim.h"
#include "vessel/kvq_r7700.h"

class HostFixture : public ::testing::Test {
 protected:
  void StartHost(int flightModel = 0) {
    sim::Options o;
    o.root = KVQ_ROOT;
    o.flightModel = flightModel;
    std::string error;
    ASSERT_TRUE(sim::Start(o, &error)) << error;
  }
  void SetUp() override { StartHost(); }
  void TearDown() override { sim::Shutdown(); }

  KVQ_R7700* NewTractor(const char* name = "Tug", double lngDeg = -80.6758, double latDeg = 28.5227,
                        double hdgDeg = 90) {
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel(name, "KVQ_R7700", lngDeg * RAD, latDeg * RAD, hdgDeg * RAD, &error);
    EXPECT_NE(h, nullptr) << error;
    if (h == nullptr) return nullptr;
    return static_cast<KVQ_R7700*>(oapiGetVesselInterface(h));
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "/" + name;
  }
};
