// The tractor's sounds through the host: the module is loaded by the host
// for each KVQ_R7700 vessel, connects in post-creation and loads its slots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/sim.h"
#include "sound_test_root.h"
#include "tests/support/platform.h"

using namespace soundtest;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* ROOT_VARIABLE = "KVQ_SOUND_TEST_ROOT";
const std::string ERR01_MISSING =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL: Unable to connect to OrbiterSound - not installed or activated";

class VesselSoundTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (sim::IsRunning()) sim::Shutdown();
    std::error_code ec;  // on Windows the crew add-on's DLL, still loaded, stays behind
    if (!root.dir.empty()) std::filesystem::remove_all(root.dir, ec);
  }
  OBJHANDLE Tractor(const std::string& name) {
    std::string error;
    OBJHANDLE h = sim::CreateLandedVessel(name.c_str(), "KVQ_R7700", 0.1, 0.2, 0, &error);
    EXPECT_NE(h, nullptr) << error;
    return h;
  }
  TestRoot root;
};

std::vector<std::string> PostCreationCalls(int id) {
  std::string d = "Sound\\_CustomVesselsSounds\\KVQ_R7700\\";
  std::string i = std::to_string(id);
  std::string positioned = " 2 0 1 -1 0 1 -1 0";
  std::string parameters = " 0 1 -1 0 10 400 90 360 0 0 -1 240";
  return {
      "LoadVesselWaveOBSound3 " + i + " 6 " + d + "groundspeed.wav 1",
      "LoadVesselWaveOBSound3 " + i + " 8 " + d + "clang.wav 2",
      "LoadVesselWaveOBSound3 " + i + " 9 " + d + "screach.wav 2",
      "LoadVesselWaveOBSound3 " + i + " 10 " + d + "blinker.wav 1",
      "LoadVesselWave3dOBSound4 " + i + " 2 " + d + "low.wav" + positioned,
      "Set3dWaveParametersOBSound4 " + i + " 2" + parameters,
      "LoadVesselWave3dOBSound4 " + i + " 5 " + d + "starter.wav" + positioned,
      "Set3dWaveParametersOBSound4 " + i + " 5" + parameters,
  };
}

TEST_F(VesselSoundTest, PostCreationConnectsAndLoadsTheSixSlots) {
  root = MakeRoot(AddOn::Present);
  StartHost(root);
  Tractor("Tug1");
  Tractor("Tug2");
  std::vector<std::string> expected = {"GetVesselSoundID3 Tug1"};
  for (const std::string& call : PostCreationCalls(0)) expected.push_back(call);
  expected.push_back("GetVesselSoundID3 Tug2");
  for (const std::string& call : PostCreationCalls(1)) expected.push_back(call);
  EXPECT_EQ(Calls(root), expected);
  EXPECT_FALSE(std::filesystem::exists(SoundLogPath(root)));
}

TEST_F(VesselSoundTest, WithoutTheAddOnEachVesselLogsOneErr01AndRunsOn) {
  root = MakeRoot(AddOn::Missing);
  StartHost(root);
  Tractor("Tug1");
  Tractor("Tug2");
  Tractor("Tug3");
  for (int i = 0; i < 120; ++i) sim::RunFrame();
  EXPECT_EQ(LogMessages(root), (Lines{ERR01_MISSING, ERR01_MISSING, ERR01_MISSING}));
  EXPECT_TRUE(Calls(root).empty());
}

// On Linux the host keeps a library mapped for the rest of the process once
// it has loaded it, so the module is loaded again by running the next session
// in a process of its own: this test binary, running only the test below. On
// Windows the host's shutdown unloads it, and the second session loads it
// again already.
TEST_F(VesselSoundTest, TheLogLimitHoldsUntilTheModuleIsLoadedAgain) {
  root = MakeRoot(AddOn::Missing);
  StartHost(root);
  for (int i = 0; i < 103; ++i) Tractor("Tug" + std::to_string(i));
  EXPECT_EQ(LogMessages(root).size(), 101u);
  sim::Shutdown();
  StartHost(root);
  Tractor("SameLoad");
#if defined(_WIN32)
  const size_t loadedAgain = 1;
#else
  const size_t loadedAgain = 0;
#endif
  EXPECT_EQ(LogMessages(root).size(), 101u + loadedAgain);
  sim::Shutdown();

  testsupport::SetEnvironment(ROOT_VARIABLE, root.dir.string().c_str());
  const int status = testsupport::RunSelf(
      {"--gtest_filter=VesselSoundTest.DISABLED_OneTractorInTheRootGiven", "--gtest_also_run_disabled_tests"});
  testsupport::SetEnvironment(ROOT_VARIABLE, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(LogMessages(root).size(), 102u + loadedAgain);
}

// Run only by the test above, in a new process.
TEST_F(VesselSoundTest, DISABLED_OneTractorInTheRootGiven) {
  const char* dir = getenv(ROOT_VARIABLE);
  if (dir == nullptr) GTEST_SKIP();
  TestRoot given;
  given.dir = dir;
  given.callLog = given.dir / "calls.log";
  StartHost(given);
  Tractor("Again");
}

// Starts the engine, couples at the front and pushes back, recording where
// the tractor goes; returns the scenario saved at the end.
std::string DriveAPushback(const TestRoot& root, std::vector<double>* track) {
  std::string error;
  EXPECT_TRUE(sim::LoadScenario((root.dir / "Examples" / "pushback.scn").string(), &error)) << error;
  OBJHANDLE tug = oapiGetVesselByName("Tug");
  EXPECT_NE(tug, nullptr);
  if (tug == nullptr) return "";
  VESSEL* v = oapiGetVesselInterface(tug);
  char kstate[256] = {};
  kstate[OAPI_KEY_LCONTROL] = static_cast<char>(0x80);
  kstate[OAPI_KEY_E] = static_cast<char>(0x80);
  v->SendBufferedKey(OAPI_KEY_E, true, kstate);
  char none[256] = {};
  v->SendBufferedKey(OAPI_KEY_D, true, none);
  v->SendBufferedKey(OAPI_KEY_S, true, none);  // reverse
  for (int frame = 0; frame < 600; ++frame) {
    v->SetThrusterGroupLevel(THGROUP_MAIN, frame < 400 ? 0.6 : 0.0);
    v->SetThrusterGroupLevel(THGROUP_RETRO, frame < 400 ? 0.0 : 1.0);
    sim::RunFrame();
    double lng, lat, hdg;
    sim::GetSurfacePos(tug, &lng, &lat, &hdg);
    track->insert(track->end(), {lng, lat, hdg});
  }
  std::filesystem::path saved = root.dir / "saved.scn";
  EXPECT_TRUE(sim::SaveScenario(saved.string(), &error)) << error;
  std::ostringstream text;
  text << std::ifstream(saved).rdbuf();
  return text.str();
}

TEST_F(VesselSoundTest, WithoutTheAddOnTheTractorDrivesCouplesAndSavesTheSame) {
  root = MakeRoot(AddOn::Present);
  StartHost(root);
  std::vector<double> heardTrack;
  std::string heard = DriveAPushback(root, &heardTrack);
  sim::Shutdown();

  ListAddOn(root, false);
  StartHost(root);
  std::vector<double> silentTrack;
  std::string silent = DriveAPushback(root, &silentTrack);
  EXPECT_FALSE(heard.empty());
  EXPECT_EQ(silent, heard);
  EXPECT_EQ(silentTrack, heardTrack);
  EXPECT_EQ(LogMessages(root), (Lines{ERR01_MISSING}));
}

}  // namespace
