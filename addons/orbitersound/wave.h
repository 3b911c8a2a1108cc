// PCM wave files: read into mono samples, written as 16-bit mono.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct Wave {
  int rate = 0;                // frames per second
  std::vector<float> samples;  // mono, -1..1, one per frame
  double Seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

// Reads a RIFF/WAVE file with integer PCM data (8, 16, 24 or 32 bits, any
// number of channels, mixed down to mono). False for anything else.
bool ReadWave(FILE* f, Wave* wave);
// Writes samples (-1..1, clipped) as 16-bit mono PCM.
bool WriteWave(FILE* f, int rate, const float* samples, size_t count);
// Streaming form for long renders: a header for `count` frames, then the data.
bool WriteWaveHeader(FILE* f, int rate, size_t count);
bool WriteWaveData(FILE* f, const float* samples, size_t count);
