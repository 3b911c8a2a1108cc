// The module's client of the OrbiterSound add-on. The add-on is a plug-in
// the simulator loads; the client only finds it among the loaded libraries,
// resolves its entry points by name and checks every call's numbers before
// handing it over.
#include "sound/sound_client.h"

#include <cstdio>
#include <cstring>

#include "host/win.h"

namespace {

using GetVesselSoundIDFn = int (*)(OBJHANDLE);
using LoadWaveFn = int (*)(int, int, char*, int);
using LoadWave3dFn = int (*)(int, int, char*, int, VECTOR3*, VECTOR3*, int);
using Set3dParametersFn = int (*)(int, int, VECTOR3*, int, float*, float*, void*);
using PlayWaveFn = int (*)(int, int, int, int, int);
using SlotFn = int (*)(int, int);

constexpr const char* SOUND_LIBRARY = "OrbiterSound.dll";
constexpr const char* CUSTOM_SOUNDS_PREFIX = "Sound\\_CustomVesselsSounds\\";
constexpr size_t CUSTOM_SOUNDS_PREFIX_LENGTH = 27;
constexpr int MAX_LOG_ENTRY_INDEX = 100;  // entries 0..100: 101 per module load
constexpr unsigned SOUND_ID_COUNT = 60;   // ids 0..59
constexpr unsigned SLOT_COUNT = 60;       // slots 1..60
constexpr size_t PATH_SIZE = 512;

// The add-on's entry points, in the order they are looked up. The first
// eleven come with every OrbiterSound since 3.0, the last three with 4.0.
enum EntryPoint {
  LOAD_WAVE,
  PLAY_WAVE,
  PLAY_EXCLUSIVE_WAVE,
  STOP_WAVE,
  IS_PLAYING,
  IS_PLAYING_RADIO,
  SOUND_OPTION,
  SET_FREQUENCY,
  GET_SOUND_ID,
  REPLACE_STOCK_SOUND,
  GET_VERSION,
  LOAD_WAVE_3D,
  SET_3D_PARAMETERS,
  IS_3D,
  ENTRY_POINT_COUNT
};

constexpr const char* ENTRY_POINT_NAMES[ENTRY_POINT_COUNT] = {
    "LoadVesselWaveOBSound3",
    "PlayVesselWaveOBSound3",
    "PlayVesselExclusiveWaveOBSound3",
    "StopVesselWave3",
    "IsPlayingVesselWave3",
    "IsPlayingRadioVesselWave",
    "SoundOption3",
    "SetFrequency",
    "GetVesselSoundID3",
    "ReplaceStockOBSound3",
    "GetVersionOBSound3",
    "LoadVesselWave3dOBSound4",
    "Set3dWaveParametersOBSound4",
    "IsOrbiterSound3dOBSound4",
};
constexpr int FIRST_3D_ENTRY_POINT = LOAD_WAVE_3D;

struct SoundClient {
  HMODULE soundModule = nullptr;
  FARPROC entryPoints[ENTRY_POINT_COUNT] = {};
  int defaultDirectorySet = 0;
  char defaultDirectory[PATH_SIZE] = {};
  char wavePath[PATH_SIZE] = {};
  int logEntries = 0;
};

SoundClient client;

template <typename Fn>
Fn Entry(EntryPoint e) {
  return EntryPointAs<Fn>(client.entryPoints[e]);
}

bool NeededForConnection(int e) { return e != GET_VERSION && e < FIRST_3D_ENTRY_POINT; }

// Both numbers compared unsigned, so negative ones fail too.
bool InRange(int soundId, int slot) {
  return static_cast<unsigned>(soundId) < SOUND_ID_COUNT && static_cast<unsigned>(slot) >= 1 &&
         static_cast<unsigned>(slot) <= SLOT_COUNT;
}

bool StartsWithCustomSoundsPrefix(const char* text) {
  for (size_t i = 0; i < CUSTOM_SOUNDS_PREFIX_LENGTH; ++i) {
    char a = text[i];
    char b = CUSTOM_SOUNDS_PREFIX[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;  // also stops at the end of a shorter text
  }
  return true;
}

void Log(const char* message) { WriteSoundLog(message, ""); }

// True when the name was given but the path could not be built in full; a
// cut path would load some other file.
bool WavePathTooLong(const char* waveName) { return waveName != nullptr && client.wavePath[0] == '\0'; }

}  // namespace

int ConnectToOrbiterSoundDLL(OBJHANDLE vessel) {
  client.defaultDirectorySet = 0;
  client.defaultDirectory[0] = '\0';
  client.wavePath[0] = '\0';

  if (vessel == nullptr) {
    Log("ERR01= Vessel->ConnectToOrbiterSoundDLL: A vessel passed a NULL handle to this function");
    return -1;
  }

  // Resolved afresh on every connection: entry points kept from an earlier
  // one could point into a library that has been unloaded since.
  for (FARPROC& e : client.entryPoints) e = nullptr;
  client.soundModule = GetModuleHandleA(SOUND_LIBRARY);
  if (client.soundModule == nullptr) {
    Log("ERR01= Vessel->ConnectToOrbiterSoundDLL: Unable to connect to OrbiterSound - not installed or activated");
    return -1;
  }

  bool neededMissing = false;
  for (int e = 0; e < FIRST_3D_ENTRY_POINT; ++e) {
    client.entryPoints[e] = GetProcAddress(client.soundModule, ENTRY_POINT_NAMES[e]);
    if (client.entryPoints[e] == nullptr && NeededForConnection(e) && e != GET_SOUND_ID) neededMissing = true;
  }
  if (neededMissing) {
    Log("ERR02= ConnectToOrbiterSoundDLL (4.0 SDK): Unable to find routines. Missing or outdated OrbiterSound (<3.0?)");
    return -1;
  }

  bool missing3d = false;
  for (int e = FIRST_3D_ENTRY_POINT; e < ENTRY_POINT_COUNT; ++e) {
    client.entryPoints[e] = GetProcAddress(client.soundModule, ENTRY_POINT_NAMES[e]);
    if (client.entryPoints[e] == nullptr) missing3d = true;
  }
  if (missing3d) {
    Log("ERR04= Error finding OrbiterSound 4.0 (3d) function. Reverting to OrbiterSound 3.5 function (2d).");
  }

  GetVesselSoundIDFn getSoundId = Entry<GetVesselSoundIDFn>(GET_SOUND_ID);
  if (getSoundId == nullptr) {
    Log("ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?");
    return -1;
  }
  return getSoundId(vessel);
}

int SetMyDefaultWaveDirectory(const char* directory) {
  if (directory == nullptr) {
    Log("SetMyDefaultWaveDirectory - No string");
    return 0;
  }
  // Checked in a scratch copy: a refused directory leaves the one in force.
  char candidate[PATH_SIZE];
  int n = snprintf(candidate, sizeof candidate, "%s", directory);
  if (!StartsWithCustomSoundsPrefix(candidate)) {
    Log("SetMyDefaultWaveDirectory - Missing 'Sound\\_CustomVesselsSounds\\' at start");
    return 0;
  }
  size_t length = static_cast<size_t>(n);
  if (length >= sizeof candidate) return 0;
  if (candidate[length - 1] != '\\') {
    if (length + 1 >= sizeof candidate) return 0;
    candidate[length] = '\\';
    candidate[length + 1] = '\0';
  }
  memcpy(client.defaultDirectory, candidate, sizeof candidate);
  client.defaultDirectorySet = 1;
  return 1;
}

const char* BuildWavePath(const char* waveName) {
  client.wavePath[0] = '\0';
  if (waveName == nullptr) return client.wavePath;
  int n = client.defaultDirectorySet == 1
              ? snprintf(client.wavePath, sizeof client.wavePath, "%s%s", client.defaultDirectory, waveName)
              : snprintf(client.wavePath, sizeof client.wavePath, "%s", waveName);
  if (n < 0 || static_cast<size_t>(n) >= sizeof client.wavePath) client.wavePath[0] = '\0';
  return client.wavePath;
}

int SoundLoadWave(int soundId, int slot, const char* waveName, int soundType) {
  LoadWaveFn load = Entry<LoadWaveFn>(LOAD_WAVE);
  if (load == nullptr || !InRange(soundId, slot)) return 0;
  BuildWavePath(waveName);
  if (WavePathTooLong(waveName)) return 0;
  return load(soundId, slot, client.wavePath, soundType);
}

int SoundLoadWave3d(int soundId, int slot, const char* waveName, int soundType, VECTOR3* position) {
  BuildWavePath(waveName);
  if (WavePathTooLong(waveName)) return 0;
  LoadWave3dFn load3d = Entry<LoadWave3dFn>(LOAD_WAVE_3D);
  if (load3d == nullptr) {
    // An add-on older than 4.0 gets a plain load; it checks the numbers itself.
    LoadWaveFn load = Entry<LoadWaveFn>(LOAD_WAVE);
    if (load == nullptr) return 0;
    return load(soundId, slot, client.wavePath, soundType);
  }
  if (!InRange(soundId, slot) || soundType < 1 || soundType > 7 || position == nullptr || waveName == nullptr) {
    return 0;
  }
  return load3d(soundId, slot, client.wavePath, soundType, position, position, 0);
}

int SoundSet3dParameters(int soundId, int slot, VECTOR3* position, int mode, float* minDistance, float* maxDistance,
                         void* parameters) {
  Set3dParametersFn set = Entry<Set3dParametersFn>(SET_3D_PARAMETERS);
  if (set == nullptr || !InRange(soundId, slot)) return 0;
  return set(soundId, slot, position, mode, minDistance, maxDistance, parameters);
}

int SoundPlay(int soundId, int slot, int loop, int volume, int frequency) {
  PlayWaveFn play = Entry<PlayWaveFn>(PLAY_WAVE);
  if (play == nullptr || !InRange(soundId, slot)) return 0;
  return play(soundId, slot, loop, volume, frequency);
}

int SoundStop(int soundId, int slot) {
  SlotFn stop = Entry<SlotFn>(STOP_WAVE);
  if (stop == nullptr || !InRange(soundId, slot)) return 0;
  return stop(soundId, slot);
}

int SoundIsPlaying(int soundId, int slot) {
  SlotFn isPlaying = Entry<SlotFn>(IS_PLAYING);
  if (isPlaying == nullptr || !InRange(soundId, slot)) return 0;
  return isPlaying(soundId, slot);
}

void WriteSoundLog(const char* message, const char* secondText) {
  if (client.logEntries > MAX_LOG_ENTRY_INDEX) return;
  FILE* f = OpenHostFile(SOUND_LOG_FILE, "r");
  if (f == nullptr) {
    f = OpenHostFile(SOUND_LOG_FILE, "w");
    if (f == nullptr) return;
    fputs("Orbiter Sound Log Started\n*****************************\n\n", f);
  }
  fclose(f);

  f = OpenHostFile(SOUND_LOG_FILE, "a");
  if (f == nullptr) return;
  fputs("--------------------------------------\n", f);
  if (message != nullptr) fprintf(f, "%s\n", message);
  if (secondText != nullptr) fprintf(f, "%s\n", secondText);
  client.logEntries += 1;
  fclose(f);
}
