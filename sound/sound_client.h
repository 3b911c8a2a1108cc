// The module's client of the sound add-on. Module-wide: one set of entry
// points and one default wave directory serve every vessel; each vessel keeps
// its own sound id. Without the add-on every call returns 0.
#pragma once

#include "host/orbiterapi.h"

// Where the client writes its errors, in the simulator's working folder.
inline constexpr const char* SOUND_LOG_FILE = "OrbiterSound_Log.txt";

int ConnectToOrbiterSoundDLL(OBJHANDLE vessel);
int SetMyDefaultWaveDirectory(const char* directory);
// The path the next load passes to the add-on: the default directory (when
// one is set) followed by the name; empty for a null name.
const char* BuildWavePath(const char* waveName);
int SoundLoadWave(int soundId, int slot, const char* waveName, int soundType);
int SoundLoadWave3d(int soundId, int slot, const char* waveName, int soundType, VECTOR3* position);
int SoundSet3dParameters(int soundId, int slot, VECTOR3* position, int mode, float* minDistance,
                         float* maxDistance, void* parameters);
int SoundPlay(int soundId, int slot, int loop, int volume, int frequency);
int SoundStop(int soundId, int slot);
int SoundIsPlaying(int soundId, int slot);
void WriteSoundLog(const char* message, const char* secondText);

// The 3D parameter record handed through to the add-on: two integers and
// four doubles.
struct Sound3dParameters {
  int a, b;
  double c, d, e, f;
};
