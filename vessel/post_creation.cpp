#include "vessel/post_creation.h"

#include "sound/sound_client.h"
#include "vessel/kvq_r7700.h"

namespace {

// The engine and the starter sit behind the cab.
VECTOR3 enginePosition = {0, 1, -1};
float minDistance = 10.0f;
float maxDistance = 400.0f;
Sound3dParameters parameters3d = {90, 360, 0, 0, -1, 240};

void LoadPositioned(const KVQ_R7700& v, int slot, const char* wave) {
  SoundLoadWave3d(v.soundId, slot, wave, 2, &enginePosition);
  SoundSet3dParameters(v.soundId, slot, &enginePosition, 0, &minDistance, &maxDistance, &parameters3d);
}

}  // namespace

void PostCreate(KVQ_R7700& v) {
  // Results are not looked at: without the add-on every later call is a no-op.
  v.soundId = ConnectToOrbiterSoundDLL(v.GetHandle());
  SetMyDefaultWaveDirectory(WAVE_DIRECTORY);
  SoundLoadWave(v.soundId, SOUND_ROLLING, "groundspeed.wav", 1);
  SoundLoadWave(v.soundId, SOUND_CLANG, "clang.wav", 2);
  SoundLoadWave(v.soundId, SOUND_SCREECH, "screach.wav", 2);
  SoundLoadWave(v.soundId, SOUND_BLINKER, "blinker.wav", 1);
  LoadPositioned(v, SOUND_ENGINE, "low.wav");
  LoadPositioned(v, SOUND_STARTER, "starter.wav");
  for (double& roll : v.wheelRoll) roll = 0;
  v.idleTime = 0;
}
