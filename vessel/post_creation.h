// After creation: the sound add-on's slots, and the per-step counters.
#pragma once

class KVQ_R7700;

// Sound slots of the vessel.
constexpr int SOUND_ENGINE = 2;    // "low.wav"
constexpr int SOUND_STARTER = 5;   // "starter.wav"
constexpr int SOUND_ROLLING = 6;   // "groundspeed.wav"
constexpr int SOUND_CLANG = 8;     // "clang.wav": coupling, uncoupling, jackknife
constexpr int SOUND_SCREECH = 9;   // "screach.wav": jackknife
constexpr int SOUND_BLINKER = 10;  // "blinker.wav": turn indicators

constexpr const char* WAVE_DIRECTORY = "Sound\\_CustomVesselsSounds\\KVQ_R7700";

void PostCreate(KVQ_R7700& v);
