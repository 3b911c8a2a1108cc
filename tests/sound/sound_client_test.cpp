// The vessel module's sound client against the stand-in add-on, called
// directly. Each test runs in a process of its own (a fresh module load) on a
// private root; the add-on's call log shows what reached it.
#include "sound/sound_client.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/sim.h"
#include "sound_test_root.h"
#include "wave.h"

using namespace soundtest;
using Lines = std::vector<std::string>;

namespace {

const char* const DIRECTORY = "Sound\\_CustomVesselsSounds\\KVQ_R7700";
const std::string ERR01_NULL =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL: A vessel passed a NULL handle to this function";
const std::string ERR01_MISSING =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL: Unable to connect to OrbiterSound - not installed or activated";
const std::string ERR04 =
    "ERR04= Error finding OrbiterSound 4.0 (3d) function. Reverting to OrbiterSound 3.5 function (2d).";
const std::string BAD_PREFIX = "SetMyDefaultWaveDirectory - Missing 'Sound\\_CustomVesselsSounds\\' at start";

class SoundClientTest : public ::testing::Test {
 protected:
  void Start(AddOn addOn, const std::string& render = "") {
    root = MakeRoot(addOn);
    StartHost(root, render);
    std::string error;
    vessel = sim::CreateLandedVessel("Jet", "Airliner", 0.1, 0.2, 0, &error);
    ASSERT_NE(vessel, nullptr) << error;
  }
  void TearDown() override {
    if (sim::IsRunning()) sim::Shutdown();
    std::error_code ec;  // on Windows the crew add-on's DLL, still loaded, stays behind
    if (!root.dir.empty()) std::filesystem::remove_all(root.dir, ec);
  }
  // Connects the airliner and sets the vessel's wave directory; the call
  // log starts empty afterwards.
  int Connect() {
    int id = ConnectToOrbiterSoundDLL(vessel);
    EXPECT_EQ(SetMyDefaultWaveDirectory(DIRECTORY), 1);
    std::ofstream(root.callLog, std::ios::trunc).close();
    return id;
  }
  size_t CallCount() { return Calls(root).size(); }
  void RunFor(double seconds) {
    double end = oapiGetSimTime() + seconds;
    while (oapiGetSimTime() < end - 1e-9) sim::RunFrame();
  }

  TestRoot root;
  OBJHANDLE vessel = nullptr;
};

TEST_F(SoundClientTest, NullHandleWritesOneErr01EntryUnderTheLogHead) {
  Start(AddOn::Present);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(nullptr), -1);
  EXPECT_EQ(ReadLines(SoundLogPath(root)),
            (Lines{"Orbiter Sound Log Started", std::string(29, '*'), "", std::string(38, '-'), ERR01_NULL, ""}));
  EXPECT_TRUE(Calls(root).empty());
}

TEST_F(SoundClientTest, ConnectGivesEachVesselItsOwnIdAndLogsNothing) {
  Start(AddOn::Present);
  std::string error;
  OBJHANDLE second = sim::CreateLandedVessel("Jet2", "Airliner", 0.1, 0.2, 0, &error);
  ASSERT_NE(second, nullptr) << error;
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), 0);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(second), 1);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), 0);
  EXPECT_EQ(Calls(root), (Lines{"GetVesselSoundID3 Jet", "GetVesselSoundID3 Jet2", "GetVesselSoundID3 Jet"}));
  EXPECT_FALSE(std::filesystem::exists(SoundLogPath(root)));
}

TEST_F(SoundClientTest, WithoutTheAddOnConnectFailsOnceAndEveryCallRefuses) {
  Start(AddOn::Missing);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), -1);
  EXPECT_EQ(SetMyDefaultWaveDirectory(DIRECTORY), 1);
  VECTOR3 position = {0, 1, -1};
  float range = 10;
  // Id 0 would pass the range checks: the calls refuse for want of entry points.
  for (int id : {-1, 0}) {
    EXPECT_EQ(SoundLoadWave(id, 6, "groundspeed.wav", 1), 0);
    EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 2, &position), 0);
    EXPECT_EQ(SoundSet3dParameters(id, 2, &position, 0, &range, &range, nullptr), 0);
    EXPECT_EQ(SoundPlay(id, 6, 1, 255, 0), 0);
    EXPECT_EQ(SoundStop(id, 6), 0);
    EXPECT_EQ(SoundIsPlaying(id, 6), 0);
  }
  EXPECT_EQ(LogMessages(root), (Lines{ERR01_MISSING}));
}

TEST_F(SoundClientTest, AnExistingLogIsAppendedToWithoutANewHead) {
  Start(AddOn::Present);
  std::ofstream(SoundLogPath(root)) << "earlier run\n";
  ConnectToOrbiterSoundDLL(nullptr);
  EXPECT_EQ(ReadLines(SoundLogPath(root)), (Lines{"earlier run", std::string(38, '-'), ERR01_NULL, ""}));
}

TEST_F(SoundClientTest, TheLogTakesAtMost101EntriesPerModuleLoad) {
  Start(AddOn::Present);
  for (int i = 0; i < 105; ++i) ConnectToOrbiterSoundDLL(nullptr);
  WriteSoundLog("after the limit", "");
  std::vector<std::string> messages = LogMessages(root);
  EXPECT_EQ(messages.size(), 101u);
  EXPECT_EQ(ReadLines(SoundLogPath(root)).size(), 3u + 3u * 101u);
}

TEST_F(SoundClientTest, WriteSoundLogSkipsNullTexts) {
  Start(AddOn::Present);
  WriteSoundLog("only a message", nullptr);
  WriteSoundLog(nullptr, nullptr);
  EXPECT_EQ(ReadLines(SoundLogPath(root)), (Lines{"Orbiter Sound Log Started", std::string(29, '*'), "",
                                                  std::string(38, '-'), "only a message", std::string(38, '-')}));
}

TEST_F(SoundClientTest, TheWaveDirectoryGetsExactlyOneTrailingBackslash) {
  Start(AddOn::Present);
  ConnectToOrbiterSoundDLL(vessel);
  EXPECT_EQ(SetMyDefaultWaveDirectory(DIRECTORY), 1);
  EXPECT_STREQ(BuildWavePath("low.wav"), "Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav");
  EXPECT_EQ(SetMyDefaultWaveDirectory("Sound\\_CustomVesselsSounds\\KVQ_R7700\\"), 1);
  EXPECT_STREQ(BuildWavePath("low.wav"), "Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav");
  EXPECT_STREQ(BuildWavePath(nullptr), "");
  EXPECT_FALSE(std::filesystem::exists(SoundLogPath(root)));
}

TEST_F(SoundClientTest, ThePrefixMatchesInAnyLetterCaseAndTheAddOnFindsTheFile) {
  Start(AddOn::Present);
  int id = ConnectToOrbiterSoundDLL(vessel);
  EXPECT_EQ(SetMyDefaultWaveDirectory("sound\\_CUSTOMvesselsSOUNDS\\kvq_r7700"), 1);
  EXPECT_EQ(SoundLoadWave(id, 8, "CLANG.WAV", 2), 1);
  EXPECT_EQ(Calls(root).back(), "LoadVesselWaveOBSound3 0 8 sound\\_CUSTOMvesselsSOUNDS\\kvq_r7700\\CLANG.WAV 2");
}

TEST_F(SoundClientTest, ARefusedDirectoryIsLoggedAndLeavesTheOneInForce) {
  Start(AddOn::Present);
  int id = ConnectToOrbiterSoundDLL(vessel);
  EXPECT_EQ(SetMyDefaultWaveDirectory("Sound\\KVQ_R7700"), 0);
  EXPECT_STREQ(BuildWavePath("low.wav"), "low.wav");  // no directory yet: the name alone
  EXPECT_EQ(SetMyDefaultWaveDirectory(DIRECTORY), 1);
  EXPECT_EQ(SetMyDefaultWaveDirectory("Sound\\_CustomVessels"), 0);  // shorter than the prefix
  EXPECT_EQ(SetMyDefaultWaveDirectory(nullptr), 0);
  EXPECT_STREQ(BuildWavePath("low.wav"), "Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav");
  EXPECT_EQ(LogMessages(root), (Lines{BAD_PREFIX, BAD_PREFIX, "SetMyDefaultWaveDirectory - No string"}));
  // A new connection clears the directory.
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), id);
  EXPECT_STREQ(BuildWavePath("low.wav"), "low.wav");
}

TEST_F(SoundClientTest, NumbersOutOfRangeNeverReachTheAddOn) {
  Start(AddOn::Present);
  int id = Connect();
  ASSERT_EQ(SoundLoadWave(id, 1, "clang.wav", 2), 1);
  ASSERT_EQ(SoundLoadWave(id, 60, "blinker.wav", 1), 1);
  size_t calls = CallCount();
  VECTOR3 position = {0, 1, -1};
  float range = 10;
  for (auto [soundId, slot] : {std::pair{id, 0}, {id, 61}, {id, -1}, {-1, 1}, {60, 1}}) {
    SCOPED_TRACE(testing::Message() << "id " << soundId << " slot " << slot);
    EXPECT_EQ(SoundPlay(soundId, slot, 0, 255, 0), 0);
    EXPECT_EQ(SoundStop(soundId, slot), 0);
    EXPECT_EQ(SoundIsPlaying(soundId, slot), 0);
    EXPECT_EQ(SoundLoadWave(soundId, slot, "clang.wav", 2), 0);
    EXPECT_EQ(SoundLoadWave3d(soundId, slot, "clang.wav", 2, &position), 0);
    EXPECT_EQ(SoundSet3dParameters(soundId, slot, &position, 0, &range, &range, nullptr), 0);
  }
  EXPECT_EQ(CallCount(), calls);
  EXPECT_EQ(SoundPlay(id, 1, 0, 255, 0), 1);
  EXPECT_EQ(SoundPlay(id, 60, 0, 200, 30000), 1);
  EXPECT_EQ(Calls(root), (Lines{"LoadVesselWaveOBSound3 0 1 Sound\\_CustomVesselsSounds\\KVQ_R7700\\clang.wav 2",
                                "LoadVesselWaveOBSound3 0 60 Sound\\_CustomVesselsSounds\\KVQ_R7700\\blinker.wav 1",
                                "PlayVesselWaveOBSound3 0 1 0 255 0", "PlayVesselWaveOBSound3 0 60 0 200 30000"}));
}

TEST_F(SoundClientTest, The3dLoaderPassesThePositionTwiceAndChecksTheType) {
  Start(AddOn::Present);
  int id = Connect();
  VECTOR3 position = {0, 1, -1};
  EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 8, &position), 0);
  EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 0, &position), 0);
  EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 2, nullptr), 0);
  EXPECT_EQ(SoundLoadWave3d(id, 2, nullptr, 2, &position), 0);
  EXPECT_TRUE(Calls(root).empty());
  EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 7, &position), 1);
  float minDistance = 10, maxDistance = 400;
  Sound3dParameters parameters = {90, 360, 0, 0, -1, 240};
  EXPECT_EQ(SoundSet3dParameters(id, 2, &position, 0, &minDistance, &maxDistance, &parameters), 1);
  EXPECT_EQ(Calls(root),
            (Lines{"LoadVesselWave3dOBSound4 0 2 Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav 7 0 1 -1 0 1 -1 0",
                   "Set3dWaveParametersOBSound4 0 2 0 1 -1 0 10 400 90 360 0 0 -1 240"}));
}

TEST_F(SoundClientTest, WithoutThe3dFunctionsLoadsFallBackToPlainOnes) {
  Start(AddOn::Without3d);
  int id = ConnectToOrbiterSoundDLL(vessel);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(LogMessages(root), (Lines{ERR04}));
  SetMyDefaultWaveDirectory(DIRECTORY);
  VECTOR3 position = {0, 1, -1};
  float minDistance = 10, maxDistance = 400;
  Sound3dParameters parameters = {90, 360, 0, 0, -1, 240};
  EXPECT_EQ(SoundLoadWave3d(id, 2, "low.wav", 2, &position), 1);
  EXPECT_EQ(SoundSet3dParameters(id, 2, &position, 0, &minDistance, &maxDistance, &parameters), 0);
  // The fallback leaves the checks to the add-on.
  EXPECT_EQ(SoundLoadWave3d(-1, 99, "low.wav", 8, nullptr), 0);
  EXPECT_EQ(SoundPlay(id, 2, 1, 255, 0), 1);
  EXPECT_EQ(Calls(root), (Lines{"GetVesselSoundID3 Jet",
                                "LoadVesselWaveOBSound3 0 2 Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav 2",
                                "LoadVesselWaveOBSound3 -1 99 Sound\\_CustomVesselsSounds\\KVQ_R7700\\low.wav 8",
                                "PlayVesselWaveOBSound3 0 2 1 255 0"}));
}

TEST_F(SoundClientTest, AnAddOnWithoutTheStopRoutineIsTooOld) {
  Start(AddOn::WithoutStop);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), -1);
  EXPECT_EQ(LogMessages(root),
            (Lines{"ERR02= ConnectToOrbiterSoundDLL (4.0 SDK): Unable to find routines. Missing or outdated "
                   "OrbiterSound (<3.0?)"}));
  EXPECT_EQ(SoundPlay(-1, 6, 1, 255, 0), 0);
  EXPECT_TRUE(Calls(root).empty());
}

TEST_F(SoundClientTest, AnAddOnWithoutGetVesselSoundID3GivesNoId) {
  Start(AddOn::WithoutSoundId);
  EXPECT_EQ(ConnectToOrbiterSoundDLL(vessel), -1);
  EXPECT_EQ(LogMessages(root), (Lines{"ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?"}));
}

TEST_F(SoundClientTest, AMissingWaveFileFailsTheLoadAndLeavesTheSlotSilent) {
  Start(AddOn::Present);
  int id = Connect();
  EXPECT_EQ(SoundLoadWave(id, 3, "nothing.wav", 1), 0);
  EXPECT_EQ(SoundPlay(id, 3, 0, 255, 0), 0);
  EXPECT_EQ(SoundIsPlaying(id, 3), 0);
}

double WaveSeconds(const char* name) {
  std::string path = std::string(KVQ_ROOT) + "/Sound/_CustomVesselsSounds/KVQ_R7700/" + name;
  FILE* f = fopen(path.c_str(), "rb");
  Wave w;
  bool ok = ReadWave(f, &w);
  if (f != nullptr) fclose(f);
  EXPECT_TRUE(ok) << path;
  return w.Seconds();
}

TEST_F(SoundClientTest, ASinglePlayLastsTheWavesLengthInSimulationTime) {
  Start(AddOn::Present);
  int id = Connect();
  ASSERT_EQ(SoundLoadWave(id, 8, "clang.wav", 2), 1);
  double length = WaveSeconds("clang.wav");
  ASSERT_GT(length, 0.2);
  EXPECT_EQ(SoundPlay(id, 8, 0, 255, 0), 1);
  EXPECT_NE(SoundIsPlaying(id, 8), 0);
  RunFor(length - 0.05);
  EXPECT_NE(SoundIsPlaying(id, 8), 0);
  RunFor(0.1);
  EXPECT_EQ(SoundIsPlaying(id, 8), 0);

  // At twice the wave's own rate it is over in half the time.
  EXPECT_EQ(SoundPlay(id, 8, 0, 255, 44100), 1);
  RunFor(length / 2 - 0.05);
  EXPECT_NE(SoundIsPlaying(id, 8), 0);
  RunFor(0.1);
  EXPECT_EQ(SoundIsPlaying(id, 8), 0);
}

TEST_F(SoundClientTest, ALoopedPlayLastsUntilItIsStopped) {
  Start(AddOn::Present);
  int id = Connect();
  ASSERT_EQ(SoundLoadWave(id, 6, "groundspeed.wav", 1), 1);
  EXPECT_EQ(SoundPlay(id, 6, 1, 128, 0), 1);
  RunFor(5 * WaveSeconds("groundspeed.wav"));
  EXPECT_NE(SoundIsPlaying(id, 6), 0);
  EXPECT_EQ(SoundStop(id, 6), 1);
  EXPECT_EQ(SoundIsPlaying(id, 6), 0);
}

TEST_F(SoundClientTest, TheRunIsRenderedIntoOneWave) {
  std::filesystem::path render =
      std::filesystem::temp_directory_path() / ("kvq_render_" + std::to_string(getpid()) + ".wav");
  Start(AddOn::Present, render.string());
  int id = Connect();
  ASSERT_EQ(SoundLoadWave(id, 8, "clang.wav", 2), 1);
  double length = WaveSeconds("clang.wav");
  RunFor(0.5);
  double start = oapiGetSimTime();
  SoundPlay(id, 8, 0, 255, 0);
  RunFor(length + 0.5);
  double end = oapiGetSimTime();
  sim::Shutdown();

  FILE* f = fopen(render.string().c_str(), "rb");
  Wave track;
  ASSERT_TRUE(ReadWave(f, &track));
  fclose(f);
  std::filesystem::remove(render);
  EXPECT_EQ(track.rate, 44100);
  EXPECT_NEAR(track.Seconds(), end, 0.01);
  auto peak = [&](double from, double to) {
    float m = 0;
    for (size_t i = static_cast<size_t>(from * track.rate); i < static_cast<size_t>(to * track.rate); ++i) {
      m = std::max(m, std::abs(track.samples[i]));
    }
    return m;
  };
  EXPECT_EQ(peak(0, start - 0.01), 0.0f);
  EXPECT_GT(peak(start, start + 0.1), 0.2f);
  EXPECT_EQ(peak(start + length + 0.01, end - 0.01), 0.0f);
}

}  // namespace
