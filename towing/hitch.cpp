#include "towing/hitch.h"

#include "towing/coupling_rules.h"
#include "vessel/kvq_r7700.h"

namespace {

VECTOR3 GlobalAttachmentPos(const VESSEL& vessel, ATTACHMENTHANDLE point) {
  VECTOR3 pos, dir, rot, global;
  vessel.GetAttachmentParams(point, pos, dir, rot);
  vessel.Local2Global(pos, global);
  return global;
}

void ApplyVesselCoupling(KVQ_R7700& v, const VesselCouplingGeometry& g) {
  v.towbarPitch = g.towbarPitch;
  v.towbarHitchOffset = g.towbarHitchOffset;
  v.towbarLength = g.towbarLength;
  v.vesselHitchOffset = g.vesselHitchOffset;
  v.vesselLength = g.vesselLength;
  v.vesselYaw = g.vesselYaw;
}

bool AttachVessel(KVQ_R7700& v, bool front) {
  ATTACHMENTHANDLE hitch = front ? v.vesselHitchFront : v.vesselHitchBack;
  if (!hitch) return false;
  const VECTOR3 hitchPos = GlobalAttachmentPos(v, hitch);
  const OBJHANDLE self = v.GetHandle();

  // The scene may change under us; the count is asked again for every vessel.
  for (DWORD i = 0; i < oapiGetVesselCount(); ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    if (!h || h == self) continue;
    VECTOR3 centre;
    oapiGetGlobalPos(h, &centre);
    if (!(dist(centre, hitchPos) < SEARCH_RANGE_FACTOR * oapiGetSize(h))) continue;
    VESSEL* other = oapiGetVesselInterface(h);
    if (!other) continue;

    const DWORD points = other->AttachmentCount(true);
    for (DWORD j = 0; j < points; ++j) {
      ATTACHMENTHANDLE point = other->GetAttachmentHandle(true, j);
      if (!point || !IsVesselTowPoint(other->GetAttachmentId(point))) continue;
      VECTOR3 a, dir, rot, global;
      other->GetAttachmentParams(point, a, dir, rot);
      other->Local2Global(a, global);
      if (!(dist(global, hitchPos) < COUPLING_RANGE)) continue;

      if (!v.AttachChild(h, hitch, point)) return false;
      VECTOR3 nose, mainLeft, mainRight;
      other->GetTouchdownPoints(nose, mainLeft, mainRight);
      ApplyVesselCoupling(v, ComputeVesselCoupling(front, a, nose, mainLeft, mainRight));
      return true;
    }
  }
  return false;
}

bool ReleaseVessel(KVQ_R7700& v, bool front) {
  ATTACHMENTHANDLE hitch = front ? v.vesselHitchFront : v.vesselHitchBack;
  if (!hitch || !v.GetAttachmentStatus(hitch)) return false;
  // The empty mass is left alone: the coupling never changed it, and it
  // carries the crew's weights.
  v.DetachChild(hitch, 0.0);
  v.towbarHitchOffset = front ? TOWBAR_MOUNT_FRONT_Z : TOWBAR_MOUNT_BACK_Z;
  v.towbarLength = TOWBAR_ALONE_LENGTH;
  v.towbarPitch = 0;
  return true;
}

bool AttachTowbar(KVQ_R7700& v, bool front) {
  ATTACHMENTHANDLE mount = front ? v.towbarMountFront : v.towbarMountBack;
  if (!mount) return false;
  char towbarVesselName[TOWBAR_NAME_SIZE];
  BuildTowbarName(v.GetName(), towbarVesselName, sizeof towbarVesselName);

  OBJHANDLE towbar = oapiGetVesselByName(towbarVesselName);
  if (!towbar) {
    VESSELSTATUS vs{};
    v.GetStatus(vs);
    towbar = oapiCreateVessel(towbarVesselName, "Towbar", vs);
    if (!towbar) return false;
  }
  VESSEL* bar = oapiGetVesselInterface(towbar);
  if (!bar) return false;

  ATTACHMENTHANDLE point = nullptr;
  const DWORD points = bar->AttachmentCount(true);
  for (DWORD j = 0; j < points && !point; ++j) {
    ATTACHMENTHANDLE p = bar->GetAttachmentHandle(true, j);
    if (p && IsTowbarPoint(bar->GetAttachmentId(p))) point = p;
  }
  if (!point || !v.AttachChild(towbar, mount, point)) return false;

  v.towbarHitchOffset = front ? TOWBAR_MOUNT_FRONT_Z : TOWBAR_MOUNT_BACK_Z;
  v.towbarLength = TOWBAR_ALONE_LENGTH;
  v.towbarYaw = front ? 0.0 : PI;
  v.towbarPitch = 0;
  return true;
}

}  // namespace

bool CoupleVessel(KVQ_R7700& v, bool front, bool attach) {
  return attach ? AttachVessel(v, front) : ReleaseVessel(v, front);
}

bool CoupleTowbar(KVQ_R7700& v, bool front, bool attach) {
  if (attach) return AttachTowbar(v, front);
  // The towbar vessel stays in the scene as a free vessel.
  if (v.towbarMountFront) v.DetachChild(v.towbarMountFront, 0.0);
  if (v.towbarMountBack) v.DetachChild(v.towbarMountBack, 0.0);
  return true;
}
