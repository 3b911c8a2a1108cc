// What the stand-in add-on keeps: a sound id per vessel, 60 wave slots per
// id, and for each slot whether and how it is playing, all in simulation
// time. Every call gets the current simulation time; nothing here talks to
// the host.
//
// A play starts the wave from its beginning, except that a looped play of a
// slot already looping only changes its volume and frequency (an engine note
// follows the engine speed without restarting). A looped wave plays until it
// is stopped or its slot is loaded again; a single play lasts the wave's
// length at the frequency in force. The volume is 0..255 (clamped); the
// frequency is the playback rate in Hz, 0 keeping the slot's current one
// (at first the wave's own rate).
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "wave.h"

constexpr int SOUND_ID_COUNT = 60;
constexpr int SLOT_COUNT = 60;              // slots 1..60
constexpr double MIN_FREQUENCY = 100.0;     // Hz
constexpr double MAX_FREQUENCY = 200000.0;  // Hz

// A change of volume (0..1) or frequency (Hz) of a voice from `time` on.
struct VoiceChange {
  double time, gain, frequency;
};

// One play of a wave from its beginning, as the render needs it. A single
// play ends by itself at the wave's end; `stop` cuts it earlier.
struct Voice {
  int wave = -1;  // index into SoundBoard::Waves()
  bool loop = false;
  double start = 0;
  double stop = std::numeric_limits<double>::infinity();
  std::vector<VoiceChange> changes;  // the first at `start`
};

// What a slot is doing at some time, read without changing anything.
struct SlotView {
  int wave = -1;
  bool playing = false, loop = false;
  double gain = 0, frequency = 0;  // 0..1, Hz
  unsigned plays = 0;              // plays started from the beginning
};

struct Sound3d {
  double position[3] = {};
  int mode = 0;
  float minDistance = 0, maxDistance = 0;
  int parameterInts[2] = {};
  double parameterDoubles[4] = {};
  bool set = false;
};

class SoundBoard {
 public:
  // Voices are kept only when asked for (they grow with the run).
  explicit SoundBoard(bool keepVoices = false) : keepVoices_(keepVoices) {}

  // The id of a vessel: the one it already has, else the lowest free one;
  // -1 when all are taken.
  int VesselId(const void* vessel);
  // Frees an id (its vessel is gone): stops its plays, empties its slots.
  void ReleaseId(int id, double t);
  const void* VesselOf(int id) const { return id >= 0 && id < SOUND_ID_COUNT ? vessels_[id] : nullptr; }
  // No id at or above this one has ever been given out.
  int IdLimit() const { return idLimit_; }

  // Waves are kept for the whole run and shared by every slot that loads
  // the same file.
  int FindWave(const std::string& key) const;
  int AddWave(const std::string& key, Wave wave);
  const std::vector<Wave>& Waves() const { return waves_; }

  // 1 on success, 0 for an id without vessel, a slot outside 1..60, or (for
  // the others) a slot without wave. Loading a slot stops its play.
  int Load(int id, int slot, int wave, int type, double t);
  int Clear(int id, int slot, double t);
  int Set3d(int id, int slot, const Sound3d& values);
  int Play(int id, int slot, int loop, int volume, int frequency, double t);
  int Stop(int id, int slot, double t);
  // The slot's frequency from now on, for a play in progress too.
  int SetFrequency(int id, int slot, int frequency, double t);
  int IsPlaying(int id, int slot, double t);
  // The slot at time t; false for an id without vessel or a slot outside 1..60.
  bool View(int id, int slot, double t, SlotView* out) const;
  const std::string& WaveKey(int wave) const { return waveKeys_[static_cast<size_t>(wave)]; }

  const std::vector<Voice>& Voices() const { return voices_; }

 private:
  struct Slot {
    int wave = -1;
    int type = 0;
    Sound3d sound3d;
    bool playing = false;
    bool loop = false;
    double gain = 1.0;
    double frequency = 0;  // Hz, 0 until the first play
    double position = 0;   // frames played by `lastTime`
    double lastTime = 0;
    int voice = -1;
    unsigned plays = 0;
  };

  Slot* Find(int id, int slot);
  void Advance(Slot& s, double t);
  void Halt(Slot& s, double t);

  bool keepVoices_;
  const void* vessels_[SOUND_ID_COUNT] = {};
  int idLimit_ = 0;
  Slot slots_[SOUND_ID_COUNT][SLOT_COUNT];
  std::vector<Wave> waves_;
  std::vector<std::string> waveKeys_;
  std::vector<Voice> voices_;
};
