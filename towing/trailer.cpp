#include "towing/trailer.h"

#include "sound/sound_client.h"
#include "towing/hitch.h"
#include "towing/trailer_model.h"
#include "vessel/kvq_r7700.h"
#include "vessel/post_creation.h"

namespace {

void Jackknife(KVQ_R7700& v) {
  v.speed = 0;
  v.engineRunning = false;
  v.transmission = 0;
  SoundPlay(v.soundId, SOUND_CLANG, 0, 255, 0);
  SoundPlay(v.soundId, SOUND_SCREECH, 0, 255, 0);
}

}  // namespace

void StepTowing(KVQ_R7700& v, double speed, double omega, double dt) {
  const int mode = v.towMode;
  if (mode == 0 || mode < -2 || mode > 2) return;

  const TowGeometry g{v.towbarHitchOffset, v.towbarLength, v.vesselHitchOffset, v.vesselLength};
  const TowStepResult r = IntegrateTowing(mode, g, TowAngles{v.towbarYaw, v.vesselYaw}, speed, omega, dt);
  v.towbarYaw = r.angles.towbarYaw;
  v.vesselYaw = r.angles.vesselYaw;
  if (r.jackknifed) Jackknife(v);

  const bool front = mode > 0;
  PlaceTowbar(v, front ? v.towbarMountFront : v.towbarMountBack, v.towbarPitch, v.towbarYaw, mode);
  if (mode == 2 || mode == -2) PlaceTowbar(v, front ? v.vesselHitchFront : v.vesselHitchBack, 0, v.vesselYaw, 0);
}

void PlaceTowbar(KVQ_R7700& v, ATTACHMENTHANDLE mount, double pitch, double yaw, int kind) {
  if (!mount) return;
  VECTOR3 pos, dir, rot;
  v.GetAttachmentParams(mount, pos, dir, rot);
  const AimedFrame aim = AimAttachment(pitch, yaw);
  v.SetAttachmentParams(mount, pos, aim.dir, aim.rot);
  if (kind != 1 && kind != -1 && kind != 2 && kind != -2) return;

  // The vessel hitch sits in the towbar's eye. Without a vessel it points
  // along the towbar; with one, its direction is the vessel's own.
  ATTACHMENTHANDLE target = kind > 0 ? v.vesselHitchFront : v.vesselHitchBack;
  if (!target) return;
  VECTOR3 tpos, tdir = aim.dir, trot = aim.rot;
  if (kind == 2 || kind == -2) v.GetAttachmentParams(target, tpos, tdir, trot);
  v.SetAttachmentParams(target, pos + aim.dir * TOWBAR_REACH, tdir, trot);
}
