// The rules of coupling on plain values: which attachment ids couple, the
// towbar's vessel name, and the tow geometry a coupling leaves behind.
#pragma once

#include <cstddef>

#include "host/types.h"

constexpr double TOWBAR_MOUNT_FRONT_Z = 5.0;   // m, towbar pivot ahead of the tractor's origin
constexpr double TOWBAR_MOUNT_BACK_Z = -3.41;  // m
constexpr double TOWBAR_ALONE_LENGTH = 3.25;   // m, pivot to the towbar's own wheels
constexpr double SECOND_HITCH_OFFSET = 0.05;   // m
constexpr double HITCH_HEIGHT = 0.46;          // m, tractor end of the towbar above ground
constexpr double HITCH_CLEARANCE = 0.001;      // m
constexpr double SEARCH_RANGE_FACTOR = 10.0;   // vessel sizes from the hitch
constexpr double COUPLING_RANGE = 10.0;        // m, hitch to the vessel's tow point
constexpr size_t TOWBAR_NAME_SIZE = 256;

// A towed vessel's tow point: id exactly "T".
bool IsVesselTowPoint(const char* id);
// The towbar's own point: id beginning with "TOWBAR".
bool IsTowbarPoint(const char* id);

// The towbar vessel's name: the tractor's name with "_Towbar" appended. A
// name too long for the buffer is shortened so that the suffix always fits.
void BuildTowbarName(const char* ownName, char* buf, size_t size);

struct VesselCouplingGeometry {
  double towbarPitch;
  double towbarHitchOffset;
  double towbarLength;
  double vesselHitchOffset;
  double vesselLength;
  double vesselYaw;
};

// From the towed vessel's tow point a and its touchdown points (nose, then
// the two main gear points), all in the towed vessel's frame.
VesselCouplingGeometry ComputeVesselCoupling(bool front, const VECTOR3& a, const VECTOR3& nose,
                                             const VECTOR3& mainLeft, const VECTOR3& mainRight);
