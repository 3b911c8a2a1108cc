// The codes the scripts use for the tractor's coupling points.
#pragma once

// "attachIndex": negative codes name the front points, positive the rear ones
// (the reverse of "attach", "detach" and towMode).
enum class AttachPoint { NONE, VESSEL_HITCH_FRONT, TOWBAR_MOUNT_FRONT, TOWBAR_MOUNT_BACK, VESSEL_HITCH_BACK };
AttachPoint AttachIndexPoint(long long code);

// "attach" and "detach": codes as towMode, 1 and -1 the towbar at the front
// or the back, 2 and -2 a vessel there.
enum class CouplingTarget { NONE, TOWBAR_FRONT, TOWBAR_BACK, VESSEL_FRONT, VESSEL_BACK };
CouplingTarget CouplingCodeTarget(long long code);
