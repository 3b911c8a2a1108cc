// The vessel's six sounds, made up from sine partials, filtered noise and
// envelopes (the original recordings are not part of the module). Same
// output on every build.
#pragma once

#include <vector>

constexpr int SYNTH_RATE = 22050;  // Hz; the engine note is played at rpm x 22.6 Hz

struct SynthSound {
  const char* fileName;
  std::vector<float> (*make)();
};

std::vector<float> MakeEngineHum();     // low.wav, loops seamlessly
std::vector<float> MakeStarterWhine();  // starter.wav
std::vector<float> MakeRollingNoise();  // groundspeed.wav, loops
std::vector<float> MakeClang();         // clang.wav
std::vector<float> MakeScreech();       // screach.wav
std::vector<float> MakeTick();          // blinker.wav

constexpr SynthSound SYNTH_SOUNDS[] = {
    {"low.wav", MakeEngineHum}, {"starter.wav", MakeStarterWhine}, {"groundspeed.wav", MakeRollingNoise},
    {"clang.wav", MakeClang},   {"screach.wav", MakeScreech},      {"blinker.wav", MakeTick},
};
