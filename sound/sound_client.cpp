#include "sound/sound_client.h"

int ConnectToOrbiterSoundDLL(OBJHANDLE vessel) { return -1; }
int SetMyDefaultWaveDirectory(const char* directory) { return 0; }
int SoundLoadWave(int soundId, int slot, const char* waveName, int soundType) { return 0; }
int SoundLoadWave3d(int soundId, int slot, const char* waveName, int soundType, VECTOR3* position) { return 0; }
int SoundSet3dParameters(int soundId, int slot, VECTOR3* position, int mode, float* minDistance,
                         float* maxDistance, void* parameters) { return 0; }
int SoundPlay(int soundId, int slot, int loop, int volume, int frequency) { return 0; }
int SoundStop(int soundId, int slot) { return 0; }
int SoundIsPlaying(int soundId, int slot) { return 0; }
void WriteSoundLog(const char* message, const char* secondText) {}
