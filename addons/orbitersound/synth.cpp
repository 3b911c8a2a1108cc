#include "synth.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double TWO_PI = 6.283185307179586;

size_t Frames(double seconds) { return static_cast<size_t>(seconds * SYNTH_RATE); }
double TimeOf(size_t i) { return static_cast<double>(i) / SYNTH_RATE; }

// Small deterministic noise source (xorshift32), -1..1.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};

// One-pole low-pass filter.
class LowPass {
 public:
  explicit LowPass(double cutoffHz) : a_(1.0 - std::exp(-TWO_PI * cutoffHz / SYNTH_RATE)) {}
  double Step(double x) { return y_ += a_ * (x - y_); }

 private:
  double a_, y_ = 0;
};

void Normalize(std::vector<float>& s, double peak) {
  double max = 0;
  for (float v : s) max = std::fmax(max, std::fabs(v));
  if (max <= 0) return;
  for (float& v : s) v = static_cast<float>(v * peak / max);
}

// A short fade at both ends keeps one-shot sounds from clicking.
void FadeEnds(std::vector<float>& s, double seconds) {
  size_t n = std::min(Frames(seconds), s.size() / 2);
  for (size_t i = 0; i < n; ++i) {
    double g = static_cast<double>(i) / n;
    s[i] = static_cast<float>(s[i] * g);
    s[s.size() - 1 - i] = static_cast<float>(s[s.size() - 1 - i] * g);
  }
}

}  // namespace

// A diesel at idle: a 31 Hz firing pulse with its harmonics. Whole cycles in
// one second, so the loop has no seam.
std::vector<float> MakeEngineHum() {
  std::vector<float> s(Frames(1.0));
  const double partials[][2] = {{31, 1.0}, {62, 0.7}, {93, 0.45}, {124, 0.3}, {186, 0.15}, {248, 0.08}};
  for (size_t i = 0; i < s.size(); ++i) {
    double t = TimeOf(i);
    double v = 0;
    for (const auto& p : partials) v += p[1] * std::sin(TWO_PI * p[0] * t);
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.8);
  return s;
}

// An electric starter cranking: a whine rising from 180 to 700 Hz, pulsed by
// the compression strokes, then the engine catching.
std::vector<float> MakeStarterWhine() {
  std::vector<float> s(Frames(1.6));
  double phase = 0;
  Noise noise(0x5EED0001u);
  LowPass rumble(400);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = TimeOf(i);
    double u = t / 1.6;
    double f = 180 + 520 * u * u;
    phase += TWO_PI * f / SYNTH_RATE;
    double whine = std::sin(phase) + 0.4 * std::sin(2 * phase) + 0.2 * std::sin(3 * phase);
    double pulse = 0.6 + 0.4 * std::sin(TWO_PI * (6 + 6 * u) * t);
    double catchUp = u > 0.75 ? (u - 0.75) / 0.25 : 0;
    double v = whine * pulse * (1 - 0.5 * catchUp) + rumble.Step(noise.Next()) * (0.5 + 2 * catchUp);
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.8);
  FadeEnds(s, 0.02);
  return s;
}

// Tyres on concrete: low-passed noise with a slow swell. The end is
// cross-faded into the start so that it loops.
std::vector<float> MakeRollingNoise() {
  const size_t n = Frames(2.0);
  const size_t overlap = Frames(0.1);
  std::vector<float> raw(n + overlap);
  Noise noise(0x5EED0002u);
  LowPass low(300), lower(120);
  for (size_t i = 0; i < raw.size(); ++i) {
    double t = TimeOf(i);
    double v = lower.Step(low.Step(noise.Next())) * (1 + 0.2 * std::sin(TWO_PI * 1.5 * t));
    raw[i] = static_cast<float>(v);
  }
  std::vector<float> s(raw.begin(), raw.begin() + static_cast<long>(n));
  for (size_t i = 0; i < overlap; ++i) {
    double g = static_cast<double>(i) / overlap;
    s[i] = static_cast<float>(s[i] * g + raw[n + i] * (1 - g));
  }
  Normalize(s, 0.7);
  return s;
}

// Steel on steel: inharmonic partials that ring down at different rates.
std::vector<float> MakeClang() {
  std::vector<float> s(Frames(0.9));
  const double partials[][3] = {{523, 1.0, 5}, {1187, 0.7, 8}, {1873, 0.5, 11}, {2731, 0.35, 16}, {3907, 0.2, 22}};
  Noise noise(0x5EED0003u);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = TimeOf(i);
    double v = 0;
    for (const auto& p : partials) v += p[1] * std::exp(-p[2] * t) * std::sin(TWO_PI * p[0] * t);
    v += noise.Next() * std::exp(-120 * t);  // the strike
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.9);
  FadeEnds(s, 0.005);
  return s;
}

// Tyres scrubbing sideways: a wavering high tone over hiss.
std::vector<float> MakeScreech() {
  std::vector<float> s(Frames(1.2));
  Noise noise(0x5EED0004u);
  LowPass hiss(3000);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = TimeOf(i);
    double f = 2300 + 180 * std::sin(TWO_PI * 7 * t) + 90 * std::sin(TWO_PI * 13 * t);
    phase += TWO_PI * f / SYNTH_RATE;
    double envelope = std::fmin(1.0, t / 0.05) * std::fmin(1.0, (1.2 - t) / 0.4);
    double v = (0.7 * std::sin(phase) + 0.25 * std::sin(2 * phase) + 0.5 * hiss.Step(noise.Next())) * envelope;
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.8);
  return s;
}

// A relay's click, then silence: one tick per play. The indicator plays it
// while its lamp is lit and the wave is not playing, so the wave outlasts
// the lit half of a flash (0.5 s): one tick per flash.
constexpr double TICK_LENGTH = 0.6;  // s

std::vector<float> MakeTick() {
  std::vector<float> s(Frames(TICK_LENGTH));
  Noise noise(0x5EED0005u);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = TimeOf(i);
    double v = (0.6 * std::sin(TWO_PI * 1800 * t) + 0.4 * noise.Next()) * std::exp(-300 * t);
    s[i] = static_cast<float>(v);
  }
  Normalize(s, 0.7);
  return s;
}
