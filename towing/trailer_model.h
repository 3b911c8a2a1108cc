// The two-trailer kinematics of towbar and towed vessel, on plain values.
#pragma once

#include "host/types.h"

// The four lengths of the chain (m): tractor pivot offset (L1), first trailer
// (L2), second hitch offset (L3) and second trailer (L4).
struct TowGeometry {
  double towbarHitchOffset;
  double towbarLength;
  double vesselHitchOffset;
  double vesselLength;
};

// Yaws in the tractor frame (rad): 0 straight ahead, pi straight behind.
struct TowAngles {
  double towbarYaw;
  double vesselYaw;
};

struct TowStepResult {
  TowAngles angles;
  bool jackknifed;
};

// One step of the chain for towMode -2..2, given the tractor's speed (m/s),
// yaw rate (rad/s, positive turning right) and the step length. Mode 0 and
// modes outside the range return the angles unchanged; a towbar or vessel
// length under half a metre leaves the yaw it would drive unchanged.
TowStepResult IntegrateTowing(int towMode, const TowGeometry& g, const TowAngles& a, double speed, double omega,
                              double dt);

// The jackknife limit: a towbar more than pi/2 off its straight position is
// held at that limit. True when the limit was hit.
bool ClampJackknife(int towMode, double* towbarYaw);

// Direction and rotation vectors of an attachment aimed at the given pitch
// and yaw (rad) in the tractor frame.
struct AimedFrame {
  VECTOR3 dir;
  VECTOR3 rot;
};
AimedFrame AimAttachment(double pitch, double yaw);
