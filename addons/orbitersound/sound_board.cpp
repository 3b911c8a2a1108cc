#include "sound_board.h"

#include <algorithm>
#include <cmath>

int SoundBoard::VesselId(const void* vessel) {
  if (vessel == nullptr) return -1;
  int free = -1;
  for (int id = 0; id < SOUND_ID_COUNT; ++id) {
    if (vessels_[id] == vessel) return id;
    if (vessels_[id] == nullptr && free < 0) free = id;
  }
  if (free >= 0) {
    vessels_[free] = vessel;
    idLimit_ = std::max(idLimit_, free + 1);
  }
  return free;
}

void SoundBoard::ReleaseId(int id, double t) {
  if (id < 0 || id >= SOUND_ID_COUNT) return;
  for (int slot = 1; slot <= SLOT_COUNT; ++slot) Clear(id, slot, t);
  vessels_[id] = nullptr;
}

int SoundBoard::FindWave(const std::string& key) const {
  auto it = std::find(waveKeys_.begin(), waveKeys_.end(), key);
  return it == waveKeys_.end() ? -1 : static_cast<int>(it - waveKeys_.begin());
}

int SoundBoard::AddWave(const std::string& key, Wave wave) {
  waves_.push_back(std::move(wave));
  waveKeys_.push_back(key);
  return static_cast<int>(waves_.size()) - 1;
}

SoundBoard::Slot* SoundBoard::Find(int id, int slot) {
  if (id < 0 || id >= SOUND_ID_COUNT || vessels_[id] == nullptr || slot < 1 || slot > SLOT_COUNT) return nullptr;
  return &slots_[id][slot - 1];
}

// Brings the play position up to time t; a single play that has run past
// the wave's end is over.
void SoundBoard::Advance(Slot& s, double t) {
  if (!s.playing) return;
  double dt = std::max(0.0, t - s.lastTime);
  s.position += dt * s.frequency;
  s.lastTime = std::max(s.lastTime, t);
  double frames = static_cast<double>(waves_[s.wave].samples.size());
  if (s.loop) {
    if (frames > 0) s.position = std::fmod(s.position, frames);
  } else if (s.position >= frames) {
    s.playing = false;
  }
}

void SoundBoard::Halt(Slot& s, double t) {
  Advance(s, t);
  if (s.playing && s.voice >= 0) voices_[s.voice].stop = t;
  s.playing = false;
  s.voice = -1;
}

int SoundBoard::Load(int id, int slot, int wave, int type, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr || wave < 0 || wave >= static_cast<int>(waves_.size())) return 0;
  Halt(*s, t);
  const unsigned plays = s->plays;
  *s = Slot{};
  s->plays = plays;
  s->wave = wave;
  s->type = type;
  s->frequency = waves_[wave].rate;
  return 1;
}

int SoundBoard::Clear(int id, int slot, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr) return 0;
  Halt(*s, t);
  *s = Slot{};
  return 1;
}

int SoundBoard::Set3d(int id, int slot, const Sound3d& values) {
  Slot* s = Find(id, slot);
  if (s == nullptr || s->wave < 0) return 0;
  s->sound3d = values;
  s->sound3d.set = true;
  return 1;
}

int SoundBoard::Play(int id, int slot, int loop, int volume, int frequency, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr || s->wave < 0) return 0;
  double gain = std::clamp(volume, 0, 255) / 255.0;
  double rate =
      frequency == 0 ? s->frequency : std::clamp(static_cast<double>(frequency), MIN_FREQUENCY, MAX_FREQUENCY);

  Advance(*s, t);
  if (s->playing && s->loop && loop != 0) {
    if (gain != s->gain || rate != s->frequency) {
      s->gain = gain;
      s->frequency = rate;
      if (s->voice >= 0) voices_[s->voice].changes.push_back({t, gain, rate});
    }
    return 1;
  }

  Halt(*s, t);
  ++s->plays;
  s->playing = true;
  s->loop = loop != 0;
  s->gain = gain;
  s->frequency = rate;
  s->position = 0;
  s->lastTime = t;
  if (keepVoices_) {
    Voice v;
    v.wave = s->wave;
    v.loop = s->loop;
    v.start = t;
    v.changes.push_back({t, gain, rate});
    voices_.push_back(std::move(v));
    s->voice = static_cast<int>(voices_.size()) - 1;
  }
  return 1;
}

int SoundBoard::Stop(int id, int slot, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr || s->wave < 0) return 0;
  Halt(*s, t);
  return 1;
}

int SoundBoard::IsPlaying(int id, int slot, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr || s->wave < 0) return 0;
  Advance(*s, t);
  return s->playing ? 1 : 0;
}

int SoundBoard::SetFrequency(int id, int slot, int frequency, double t) {
  Slot* s = Find(id, slot);
  if (s == nullptr || s->wave < 0 || frequency == 0) return 0;
  Advance(*s, t);
  s->frequency = std::clamp(static_cast<double>(frequency), MIN_FREQUENCY, MAX_FREQUENCY);
  if (s->playing && s->voice >= 0) voices_[s->voice].changes.push_back({t, s->gain, s->frequency});
  return 1;
}

bool SoundBoard::View(int id, int slot, double t, SlotView* out) const {
  if (id < 0 || id >= SOUND_ID_COUNT || vessels_[id] == nullptr || slot < 1 || slot > SLOT_COUNT) return false;
  const Slot& s = slots_[id][slot - 1];
  SlotView v;
  v.wave = s.wave;
  v.loop = s.loop;
  v.gain = s.gain;
  v.frequency = s.frequency;
  v.plays = s.plays;
  v.playing = s.playing;
  // A single play is over once its position would pass the wave's end.
  if (s.playing && !s.loop && s.wave >= 0) {
    const double position = s.position + std::max(0.0, t - s.lastTime) * s.frequency;
    v.playing = position < static_cast<double>(waves_[s.wave].samples.size());
  }
  *out = v;
  return true;
}
