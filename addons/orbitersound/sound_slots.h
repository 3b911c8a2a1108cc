// What the stand-in add-on tells a runner about a vessel's wave slots, so a
// page can play the same sounds: the entry point "GetVesselSoundSlots" of
// the plug-in library fills these records.
#pragma once

constexpr int SOUND_SLOT_FILE_LEN = 512;

struct SoundSlotState {
  int slot;                         // 1..60
  int playing;                      // 1 while the wave plays
  int loop;                         // 1 for a looped play
  int volume;                       // 0..255
  double frequency;                 // playback rate (Hz)
  int rate;                         // the wave's own rate (Hz)
  unsigned plays;                   // plays started from the beginning so far
  char file[SOUND_SLOT_FILE_LEN];   // the wave's real path
};

// GetVesselSoundSlots(vessel, out, max): the slots holding a wave, in slot
// order, at most max of them; returns how many were written.
using GetVesselSoundSlotsFunc = int (*)(void* vessel, SoundSlotState* out, int max);
