#include "towing/coupling_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "towing/hitch.h"

namespace {

constexpr char TOWBAR_SUFFIX[] = "_Towbar";
constexpr double INV_TOWBAR_REACH = 0.15384615384615385;  // 1 / TOWBAR_REACH

}  // namespace

bool IsVesselTowPoint(const char* id) { return id && id[0] == 'T' && id[1] == '\0'; }

bool IsTowbarPoint(const char* id) { return id && std::strncmp(id, "TOWBAR", 6) == 0; }

void BuildTowbarName(const char* ownName, char* buf, size_t size) {
  if (!buf || size == 0) return;
  const size_t suffix = sizeof(TOWBAR_SUFFIX) - 1;
  const int keep = size > suffix + 1 ? static_cast<int>(size - suffix - 1) : 0;
  std::snprintf(buf, size, "%.*s%s", keep, ownName ? ownName : "", TOWBAR_SUFFIX);
}

VesselCouplingGeometry ComputeVesselCoupling(bool front, const VECTOR3& a, const VECTOR3& nose,
                                             const VECTOR3& mainLeft, const VECTOR3& mainRight) {
  VesselCouplingGeometry g{};
  // The towbar drops from the hitch height to the vessel's tow point; a tow
  // point out of the towbar's reach gives the steepest towbar, not a NaN.
  const double s = (HITCH_HEIGHT - (a.y - nose.y) - HITCH_CLEARANCE) * INV_TOWBAR_REACH;
  g.towbarPitch = -std::asin(std::clamp(s, -1.0, 1.0));
  g.towbarHitchOffset = front ? TOWBAR_MOUNT_FRONT_Z : TOWBAR_MOUNT_BACK_Z;
  g.towbarLength = std::cos(g.towbarPitch) * TOWBAR_REACH + (a.z - nose.z);
  g.vesselHitchOffset = SECOND_HITCH_OFFSET;
  // Tow point to the middle of the main gear along the vessel's own axis: the
  // same distance whichever end of the tractor the vessel hangs on.
  g.vesselLength = a.z - (mainLeft.z + mainRight.z) * 0.5;
  g.vesselYaw = front ? 0.0 : PI;
  return g;
}
