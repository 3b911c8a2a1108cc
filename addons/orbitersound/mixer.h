// Renders the plays of a run into one mono track, in simulation time: each
// voice is resampled at its frequency, scaled by its volume and summed.
#pragma once

#include <cstddef>
#include <vector>

#include "sound_board.h"

constexpr int RENDER_RATE = 44100;          // Hz
constexpr float RENDER_MASTER_GAIN = 0.5f;  // headroom for a few voices at full volume

// Adds into out[0..count) the samples at times t0 + i / rate (the caller
// zeroes `out`; long renders call this chunk by chunk).
void MixVoices(const std::vector<Voice>& voices, const std::vector<Wave>& waves, double t0, int rate, float* out,
               size_t count);

// The whole track from t0 to t1, master gain applied.
std::vector<float> RenderTrack(const std::vector<Voice>& voices, const std::vector<Wave>& waves, double t0, double t1,
                               int rate);
