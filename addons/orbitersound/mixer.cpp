#include "mixer.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames of the wave played between the voice's start and time t.
double PositionAt(const Voice& v, double t) {
  double position = 0;
  for (size_t i = 0; i < v.changes.size(); ++i) {
    double from = v.changes[i].time;
    double to = i + 1 < v.changes.size() ? std::min(v.changes[i + 1].time, t) : t;
    if (to <= from) break;
    position += (to - from) * v.changes[i].frequency;
  }
  return position;
}

void MixVoice(const Voice& v, const Wave& w, double t0, int rate, float* out, size_t count) {
  size_t frames = w.samples.size();
  if (frames == 0 || v.changes.empty()) return;
  double first = std::ceil((v.start - t0) * rate);
  if (first >= static_cast<double>(count)) return;
  size_t i = first > 0 ? static_cast<size_t>(first) : 0;
  double t = t0 + static_cast<double>(i) / rate;
  if (t >= v.stop) return;

  size_t change = 0;
  while (change + 1 < v.changes.size() && v.changes[change + 1].time <= t) ++change;
  double position = PositionAt(v, t);
  if (v.loop) position = std::fmod(position, static_cast<double>(frames));

  for (; i < count; ++i) {
    t = t0 + static_cast<double>(i) / rate;
    if (t >= v.stop) return;
    while (change + 1 < v.changes.size() && v.changes[change + 1].time <= t) ++change;
    if (position >= static_cast<double>(frames)) {
      if (!v.loop) return;
      position = std::fmod(position, static_cast<double>(frames));
    }
    size_t k = static_cast<size_t>(position);
    double fraction = position - static_cast<double>(k);
    float a = w.samples[k];
    float b = k + 1 < frames ? w.samples[k + 1] : (v.loop ? w.samples[0] : 0.0f);
    out[i] += static_cast<float>(v.changes[change].gain * (a + (b - a) * fraction));
    position += v.changes[change].frequency / rate;
  }
}

}  // namespace

void MixVoices(const std::vector<Voice>& voices, const std::vector<Wave>& waves, double t0, int rate, float* out,
               size_t count) {
  for (const Voice& v : voices) {
    if (v.wave < 0 || v.wave >= static_cast<int>(waves.size())) continue;
    MixVoice(v, waves[v.wave], t0, rate, out, count);
  }
}

std::vector<float> RenderTrack(const std::vector<Voice>& voices, const std::vector<Wave>& waves, double t0, double t1,
                               int rate) {
  size_t count = t1 > t0 ? static_cast<size_t>((t1 - t0) * rate) : 0;
  std::vector<float> track(count, 0.0f);
  MixVoices(voices, waves, t0, rate, track.data(), count);
  for (float& s : track) s *= RENDER_MASTER_GAIN;
  return track;
}
