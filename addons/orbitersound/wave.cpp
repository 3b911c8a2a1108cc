#include "wave.h"

#include <cmath>
#include <cstring>

namespace {

constexpr size_t MAX_WAVE_BYTES = 64u << 20;  // the add-on keeps whole files in memory

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// One sample of `bytes` little-endian bytes as -1..1; 8-bit data is unsigned.
float Sample(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1:
      return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 2:
      return static_cast<int16_t>(Le16(p)) / 32768.0f;
    case 3: {
      int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                       static_cast<uint32_t>(p[2]) << 24);
      return static_cast<float>(v / 2147483648.0);
    }
    default:
      return static_cast<float>(static_cast<int32_t>(Le32(p)) / 2147483648.0);
  }
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

bool ReadWave(FILE* f, Wave* wave) {
  if (f == nullptr || wave == nullptr) return false;
  std::vector<uint8_t> data;
  uint8_t buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (data.size() + n > MAX_WAVE_BYTES) return false;
    data.insert(data.end(), buffer, buffer + n);
  }
  if (data.size() < 12 || memcmp(data.data(), "RIFF", 4) != 0 || memcmp(data.data() + 8, "WAVE", 4) != 0) {
    return false;
  }

  int channels = 0, bytesPerSample = 0;
  uint32_t rate = 0;
  const uint8_t* pcm = nullptr;
  size_t pcmBytes = 0;
  size_t at = 12;
  while (at + 8 <= data.size()) {
    const uint8_t* chunk = data.data() + at;
    size_t size = Le32(chunk + 4);
    size_t body = at + 8;
    if (size > data.size() - body) size = data.size() - body;  // a cut file keeps what it has
    if (memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return false;
      uint16_t format = Le16(chunk + 8);
      channels = Le16(chunk + 10);
      rate = Le32(chunk + 12);
      int bits = Le16(chunk + 22);
      if (format != 1 || channels < 1 || rate == 0 || rate > 1000000 || bits % 8 != 0 || bits < 8 || bits > 32) {
        return false;
      }
      bytesPerSample = bits / 8;
    } else if (memcmp(chunk, "data", 4) == 0) {
      pcm = chunk + 8;
      pcmBytes = size;
    }
    at = body + size + (size & 1);
  }
  if (channels == 0 || pcm == nullptr) return false;

  size_t frameBytes = static_cast<size_t>(channels) * bytesPerSample;
  size_t frames = pcmBytes / frameBytes;
  wave->rate = static_cast<int>(rate);
  wave->samples.assign(frames, 0.0f);
  for (size_t i = 0; i < frames; ++i) {
    float sum = 0.0f;
    for (int c = 0; c < channels; ++c) sum += Sample(pcm + i * frameBytes + c * bytesPerSample, bytesPerSample);
    wave->samples[i] = sum / channels;
  }
  return true;
}

bool WriteWaveHeader(FILE* f, int rate, size_t count) {
  if (f == nullptr || rate <= 0 || count > (0xFFFFFFFFu - 36) / 2) return false;
  uint8_t h[44];
  uint32_t dataBytes = static_cast<uint32_t>(count * 2);
  memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes);
  memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // integer PCM
  Put16(h + 22, 1);  // mono
  Put32(h + 24, static_cast<uint32_t>(rate));
  Put32(h + 28, static_cast<uint32_t>(rate) * 2);
  Put16(h + 32, 2);
  Put16(h + 34, 16);
  memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
  return fwrite(h, 1, sizeof h, f) == sizeof h;
}

bool WriteWaveData(FILE* f, const float* samples, size_t count) {
  uint8_t buffer[4096];
  size_t used = 0;
  for (size_t i = 0; i < count; ++i) {
    double s = samples[i];
    if (!(s > -1.0)) s = -1.0;          // NaN too
    long v = std::lround(s * 32768.0);  // the reader's scale
    if (v > 32767) v = 32767;
    Put16(buffer + used, static_cast<uint16_t>(static_cast<int16_t>(v)));
    used += 2;
    if (used == sizeof buffer) {
      if (fwrite(buffer, 1, used, f) != used) return false;
      used = 0;
    }
  }
  return used == 0 || fwrite(buffer, 1, used, f) == used;
}

bool WriteWave(FILE* f, int rate, const float* samples, size_t count) {
  return WriteWaveHeader(f, rate, count) && WriteWaveData(f, samples, count);
}
