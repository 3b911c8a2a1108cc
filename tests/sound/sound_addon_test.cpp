// The stand-in add-on's parts: wave files, the slots' timing in simulation
// time, the render of a run, and the synthetic sounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mixer.h"
#include "sound_board.h"
#include "synth.h"
#include "wave.h"

namespace {

// A wave of `seconds` at `rate` with every sample at `level`.
Wave Flat(double seconds, int rate, float level) {
  Wave w;
  w.rate = rate;
  w.samples.assign(static_cast<size_t>(seconds * rate), level);
  return w;
}

bool RoundTrip(const std::vector<uint8_t>& bytes, Wave* w) {
  FILE* f = tmpfile();
  fwrite(bytes.data(), 1, bytes.size(), f);
  rewind(f);
  bool ok = ReadWave(f, w);
  fclose(f);
  return ok;
}

std::vector<uint8_t> WaveBytes(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits,
                               const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
  };
  tag("RIFF");
  put(36 + static_cast<uint32_t>(data.size()) + 12, 4);
  tag("WAVE");
  tag("LIST");  // a chunk readers must skip
  put(4, 4);
  tag("INFO");
  tag("fmt ");
  put(16, 4);
  put(format, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * bits / 8, 4);
  put(channels * bits / 8, 2);
  put(bits, 2);
  tag("data");
  put(static_cast<uint32_t>(data.size()), 4);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TEST(WaveFile, WrittenSamplesReadBackWithin16BitSteps) {
  std::vector<float> samples = {0.0f, 0.5f, -0.5f, 0.999f, -1.0f, 2.0f};
  FILE* f = tmpfile();
  ASSERT_TRUE(WriteWave(f, 22050, samples.data(), samples.size()));
  rewind(f);
  Wave w;
  ASSERT_TRUE(ReadWave(f, &w));
  fclose(f);
  EXPECT_EQ(w.rate, 22050);
  ASSERT_EQ(w.samples.size(), samples.size());
  for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(w.samples[i], samples[i], 0.5 / 32768);
  EXPECT_NEAR(w.samples[5], 1.0, 1.0 / 32768);  // clipped
}

TEST(WaveFile, StereoAndEightBitDataAreMixedDownToMono) {
  Wave w;
  // 8-bit unsigned stereo: (255, 1) averages to silence, (192, 192) to +0.5.
  ASSERT_TRUE(RoundTrip(WaveBytes(1, 2, 8000, 8, {255, 1, 192, 192}), &w));
  ASSERT_EQ(w.samples.size(), 2u);
  EXPECT_NEAR(w.samples[0], 0.0, 1e-6);
  EXPECT_NEAR(w.samples[1], 0.5, 1e-6);
}

TEST(WaveFile, AnythingButIntegerPcmIsRefused) {
  Wave w;
  EXPECT_FALSE(RoundTrip(WaveBytes(3, 1, 8000, 32, {0, 0, 0, 0}), &w));  // float data
  EXPECT_FALSE(RoundTrip(WaveBytes(1, 0, 8000, 16, {0, 0}), &w));        // no channels
  EXPECT_FALSE(RoundTrip({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, &w));
  std::vector<uint8_t> noData = WaveBytes(1, 1, 8000, 16, {});
  noData.erase(noData.end() - 8, noData.end());  // the data chunk's header cut off
  EXPECT_FALSE(RoundTrip(noData, &w));
}

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clang = board.AddWave("clang", Flat(0.9, 22050, 0.5f));
    id = board.VesselId(&vessel);
    ASSERT_EQ(board.Load(id, 8, clang, 2, 0.0), 1);
  }
  SoundBoard board{true};
  int vessel = 0;
  int clang = -1, id = -1;
};

TEST_F(BoardTest, EachVesselKeepsItsIdAndTheSixtyFirstGetsNone) {
  int others[SOUND_ID_COUNT];
  for (int i = 1; i < SOUND_ID_COUNT; ++i) EXPECT_EQ(board.VesselId(&others[i]), i);
  EXPECT_EQ(board.VesselId(&vessel), 0);
  EXPECT_EQ(board.VesselId(&others[0]), -1);
  board.ReleaseId(7, 1.0);
  EXPECT_EQ(board.VesselId(&others[0]), 7);
  EXPECT_EQ(board.VesselId(nullptr), -1);
}

TEST_F(BoardTest, ASinglePlayLastsTheWavesLengthAtItsFrequency) {
  EXPECT_EQ(board.Play(id, 8, 0, 255, 0, 1.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.899), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.901), 0);
  EXPECT_EQ(board.Play(id, 8, 0, 255, 44100, 2.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 2.449), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 2.451), 0);
  // Frequency 0 keeps the one in force.
  EXPECT_EQ(board.Play(id, 8, 0, 255, 0, 3.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 3.451), 0);
}

TEST_F(BoardTest, PlayingASinglePlayAgainStartsItOver) {
  board.Play(id, 8, 0, 255, 0, 0.0);
  board.Play(id, 8, 0, 255, 0, 0.5);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.39), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.41), 0);
  ASSERT_EQ(board.Voices().size(), 2u);
  EXPECT_EQ(board.Voices()[0].stop, 0.5);
}

TEST_F(BoardTest, ALoopPlaysUntilStoppedAndFollowsVolumeAndFrequency) {
  EXPECT_EQ(board.Play(id, 8, 1, 255, 20919, 0.0), 1);
  EXPECT_EQ(board.Play(id, 8, 1, 255, 30000, 1.0), 1);
  EXPECT_EQ(board.Play(id, 8, 1, 255, 30000, 2.0), 1);  // nothing changes
  EXPECT_EQ(board.Play(id, 8, 1, 300, 30000, 3.0), 1);  // clamped to 255: nothing changes
  EXPECT_EQ(board.IsPlaying(id, 8, 100.0), 1);
  EXPECT_EQ(board.Stop(id, 8, 100.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 100.0), 0);
  ASSERT_EQ(board.Voices().size(), 1u);
  const Voice& v = board.Voices()[0];
  EXPECT_EQ(v.stop, 100.0);
  ASSERT_EQ(v.changes.size(), 2u);
  EXPECT_EQ(v.changes[1].time, 1.0);
  EXPECT_EQ(v.changes[1].frequency, 30000.0);
}

TEST_F(BoardTest, LoadingASlotAgainOrLosingTheVesselStopsItsPlay) {
  board.Play(id, 8, 1, 255, 0, 0.0);
  EXPECT_EQ(board.Load(id, 8, clang, 2, 1.0), 1);
  EXPECT_EQ(board.IsPlaying(id, 8, 1.0), 0);
  board.Play(id, 8, 1, 255, 0, 2.0);
  board.ReleaseId(id, 3.0);
  EXPECT_EQ(board.IsPlaying(id, 8, 3.0), 0);
  EXPECT_EQ(board.Voices().back().stop, 3.0);
}

TEST_F(BoardTest, BadNumbersAndEmptySlotsAreRefused) {
  EXPECT_EQ(board.Play(id, 0, 0, 255, 0, 0.0), 0);
  EXPECT_EQ(board.Play(id, 61, 0, 255, 0, 0.0), 0);
  EXPECT_EQ(board.Play(-1, 8, 0, 255, 0, 0.0), 0);
  EXPECT_EQ(board.Play(5, 8, 0, 255, 0, 0.0), 0);   // an id no vessel has
  EXPECT_EQ(board.Play(id, 9, 0, 255, 0, 0.0), 0);  // nothing loaded
  EXPECT_EQ(board.Load(id, 61, clang, 2, 0.0), 0);
  EXPECT_EQ(board.Load(id, 60, clang, 2, 0.0), 1);
  EXPECT_EQ(board.Load(id, 1, 99, 2, 0.0), 0);
  EXPECT_TRUE(board.Voices().empty());
}

double Peak(const std::vector<float>& track, int rate, double from, double to) {
  double peak = 0;
  for (size_t i = static_cast<size_t>(from * rate); i < static_cast<size_t>(to * rate) && i < track.size(); ++i) {
    peak = std::fmax(peak, std::fabs(track[i]));
  }
  return peak;
}

TEST(Mixer, AVoiceSoundsFromItsStartForItsLengthAtItsVolume) {
  std::vector<Wave> waves = {Flat(1.0, 1000, 0.8f)};
  Voice v;
  v.wave = 0;
  v.start = 0.25;
  v.changes = {{0.25, 0.5, 1000}};
  std::vector<float> track = RenderTrack({v}, waves, 0.0, 2.0, 1000);
  ASSERT_EQ(track.size(), 2000u);
  EXPECT_EQ(Peak(track, 1000, 0.0, 0.249), 0.0);
  EXPECT_NEAR(Peak(track, 1000, 0.26, 1.24), 0.8 * 0.5 * RENDER_MASTER_GAIN, 1e-6);
  EXPECT_EQ(Peak(track, 1000, 1.251, 2.0), 0.0);
}

TEST(Mixer, TwiceTheFrequencyEndsInHalfTheTimeAndLoopsRunToTheirStop) {
  std::vector<Wave> waves = {Flat(1.0, 1000, 0.8f)};
  Voice fast;
  fast.wave = 0;
  fast.changes = {{0.0, 1.0, 2000}};
  Voice loop;
  loop.wave = 0;
  loop.loop = true;
  loop.start = 3.0;
  loop.stop = 5.5;
  loop.changes = {{3.0, 1.0, 1000}, {4.0, 1.0, 3000}};
  std::vector<float> track = RenderTrack({fast, loop}, waves, 0.0, 6.0, 1000);
  EXPECT_GT(Peak(track, 1000, 0.4, 0.49), 0.0);
  EXPECT_EQ(Peak(track, 1000, 0.501, 2.99), 0.0);
  EXPECT_GT(Peak(track, 1000, 5.4, 5.49), 0.0);
  EXPECT_EQ(Peak(track, 1000, 5.5, 6.0), 0.0);
}

TEST(Mixer, VoicesAddUpAndFrequencyResamples) {
  // A ramp played at half speed reaches only its middle in its first second.
  Wave ramp;
  ramp.rate = 1000;
  for (int i = 0; i < 1000; ++i) ramp.samples.push_back(i / 1000.0f);
  std::vector<Wave> waves = {ramp, Flat(2.0, 1000, 0.25f)};
  Voice slow;
  slow.wave = 0;
  slow.changes = {{0.0, 1.0, 500}};
  Voice flat;
  flat.wave = 1;
  flat.changes = {{0.0, 1.0, 1000}};
  std::vector<float> track = RenderTrack({slow, flat}, waves, 0.0, 1.0, 1000);
  EXPECT_NEAR(track[999] / RENDER_MASTER_GAIN, 0.25 + 0.4995, 1e-3);
}

TEST(SynthSounds, AreAudibleUnclippedAndTheSameOnEveryBuild) {
  for (const SynthSound& sound : SYNTH_SOUNDS) {
    SCOPED_TRACE(sound.fileName);
    std::vector<float> a = sound.make();
    std::vector<float> b = sound.make();
    ASSERT_GT(a.size(), static_cast<size_t>(0.3 * SYNTH_RATE));
    EXPECT_EQ(a, b);
    double peak = Peak(a, SYNTH_RATE, 0, 100);
    EXPECT_GT(peak, 0.5);
    EXPECT_LE(peak, 1.0);
  }
}

TEST(SynthSounds, TheLoopedOnesJoinWithoutAClick) {
  for (auto make : {MakeEngineHum, MakeRollingNoise}) {
    std::vector<float> s = make();
    double largestStep = 0;
    for (size_t i = 1; i < s.size(); ++i) largestStep = std::fmax(largestStep, std::fabs(s[i] - s[i - 1]));
    EXPECT_LE(std::fabs(s.front() - s.back()), largestStep * 1.5);
  }
}

}  // namespace
