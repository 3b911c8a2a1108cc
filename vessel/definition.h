// The tractor as the host sees it: body, coupling points, propellant,
// camera, meshes and lamps. The values live here as named tables.
#pragma once

#include "host/types.h"

class KVQ_R7700;

constexpr double TRACTOR_SIZE = 8.55;           // m
constexpr double TRACTOR_EMPTY_MASS = 54400.0;  // kg
constexpr double FULL_TANK = 176.8;             // kg of fuel

// Attachment indices as the host numbers them (creation order).
constexpr int ATTACH_VESSEL_HITCH_FRONT = 0;
constexpr int ATTACH_VESSEL_HITCH_BACK = 1;
constexpr int ATTACH_TOWBAR_MOUNT_FRONT = 2;
constexpr int ATTACH_TOWBAR_MOUNT_BACK = 3;

// Mesh indices.
constexpr UINT MESH_COCKPIT = 0;
constexpr UINT MESH_EXTERIOR = 1;

// Lamp indices in KVQ_R7700::beacons.
enum BeaconIndex {
  BEACON_STROBE_RIGHT = 0,
  BEACON_STROBE_LEFT = 1,
  BEACON_PARKBRAKE_RIGHT = 2,
  BEACON_PARKBRAKE_LEFT = 3,
  BEACON_INDICATOR_REAR_RIGHT = 4,
  BEACON_INDICATOR_REAR_LEFT = 5,
  BEACON_INDICATOR_FRONT_RIGHT = 6,
  BEACON_INDICATOR_FRONT_LEFT = 7,
  BEACON_REVERSE_RIGHT = 8,
  BEACON_REVERSE_LEFT = 9,
  BEACON_HEAD_RIGHT = 10,
  BEACON_HEAD_LEFT = 11,
  BEACON_BRAKE_RIGHT = 12,
  BEACON_BRAKE_LEFT = 13,
  BEACON_TAIL_RIGHT = 14,
  BEACON_TAIL_LEFT = 15,
};

// The order in which the lamps are registered with the host.
extern const int BEACON_REGISTRATION_ORDER[16];

void DefineVessel(KVQ_R7700& v, FILEHANDLE cfg);
