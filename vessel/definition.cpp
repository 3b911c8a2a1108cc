#include "vessel/definition.h"

#include <cstdio>

#include "vessel/crew_setup.h"
#include "vessel/kvq_r7700.h"

const int BEACON_REGISTRATION_ORDER[16] = {
    BEACON_STROBE_RIGHT,         BEACON_STROBE_LEFT,         BEACON_TAIL_RIGHT,           BEACON_TAIL_LEFT,
    BEACON_PARKBRAKE_RIGHT,      BEACON_PARKBRAKE_LEFT,      BEACON_BRAKE_RIGHT,          BEACON_BRAKE_LEFT,
    BEACON_REVERSE_RIGHT,        BEACON_REVERSE_LEFT,        BEACON_HEAD_RIGHT,           BEACON_HEAD_LEFT,
    BEACON_INDICATOR_REAR_RIGHT, BEACON_INDICATOR_REAR_LEFT, BEACON_INDICATOR_FRONT_RIGHT, BEACON_INDICATOR_FRONT_LEFT,
};

namespace {

struct AttachmentSpec {
  VECTOR3 pos, dir, rot;
  const char* id;
};

// Created in this order, so the host numbers them 0 to 3.
const AttachmentSpec ATTACHMENTS[4] = {
    {{0, 0.45, 10.01}, {0, 0, 1}, {0, 1, 0}, "T"},       // vesselHitchFront
    {{0, 0.45, -9.91}, {0, 0, -1}, {0, 1, 0}, "T"},      // vesselHitchBack
    {{0, 0.45, 5.0}, {0, 0, 1}, {0, 1, 0}, "TOWBAR"},    // towbarMountFront
    {{0, 0.45, -3.41}, {0, 0, -1}, {0, 1, 0}, "TOWBAR"}, // towbarMountBack
};

// Lamp positions, by index in KVQ_R7700::beacons. The host keeps pointers to
// them, so they are module-wide and never move.
VECTOR3 beaconPos[16] = {
    {0.77, 2.42, 3.8},    {-0.77, 2.42, 3.8},   // roof strobes
    {1.22, 1.23, -3.05},  {-1.22, 1.23, -3.05}, // parking-brake lamps
    {0.76, 1.23, -3.05},  {-0.76, 1.23, -3.05}, // rear indicators, right and left
    {1.1, 0.65, 4.55},    {-1.1, 0.65, 4.55},   // front indicators, right and left
    {0.99, 1.23, -3.05},  {-0.99, 1.23, -3.05}, // reverse lamps
    {1.1, 0.48, 4.55},    {-1.1, 0.48, 4.55},   // head lamps
    {1.22, 1.23, -3.05},  {-1.22, 1.23, -3.05}, // brake lamps
    {1.22, 1.23, -3.05},  {-1.22, 1.23, -3.05}, // tail lamps
};

// Lamp colours, filled on the first set-up.
VECTOR3 colStrobe, colRed, colWhite, colAmber;
bool coloursFilled = false;

void FillColours() {
  if (coloursFilled) return;
  colStrobe = {1, 0.6, 0.2};
  colRed = {1, 0.1, 0.1};
  colWhite = {1, 1, 1};
  colAmber = {1, 0.4, 0.2};
  coloursFilled = true;
}

struct BeaconLook {
  VECTOR3* col;
  double size, falloff, period, duration, tofs;
};

BeaconLook LookOf(int index) {
  switch (index) {
    case BEACON_STROBE_RIGHT: return {&colStrobe, 0.2, 0.4, 0.5, 0.15, 0.0};
    case BEACON_STROBE_LEFT: return {&colStrobe, 0.2, 0.4, 0.5, 0.15, 0.25};  // a quarter second later
    case BEACON_TAIL_RIGHT:
    case BEACON_TAIL_LEFT: return {&colRed, 0.1, 0.2, 0, 0, 0};
    case BEACON_PARKBRAKE_RIGHT:
    case BEACON_PARKBRAKE_LEFT: return {&colRed, 0.15, 0.3, 0, 0, 0};
    case BEACON_BRAKE_RIGHT:
    case BEACON_BRAKE_LEFT: return {&colRed, 0.2, 0.4, 0, 0, 0};
    case BEACON_REVERSE_RIGHT:
    case BEACON_REVERSE_LEFT: return {&colWhite, 0.2, 0.4, 0, 0, 0};
    case BEACON_HEAD_RIGHT:
    case BEACON_HEAD_LEFT: return {&colWhite, 0.35, 0.4, 0, 0, 0};
    default: return {&colAmber, 0.2, 0.4, 1.0, 0.5, 0};  // the four indicators
  }
}

bool ActiveAtStart(const KVQ_R7700& v, int index) {
  switch (index) {
    case BEACON_STROBE_RIGHT:
    case BEACON_STROBE_LEFT: return v.beaconOn;
    case BEACON_TAIL_RIGHT:
    case BEACON_TAIL_LEFT:
    case BEACON_HEAD_RIGHT:
    case BEACON_HEAD_LEFT: return v.lightsOn;
    default: return false;
  }
}

void SetStartValues(KVQ_R7700& v) {
  v.transmission = 0;
  v.towMode = 0;
  v.engineRunning = false;
  v.parkingBrake = false;
  v.towbarHitchOffset = 0;
  v.towbarLength = 0;
  v.vesselHitchOffset = 0;
  v.vesselLength = 0;
  v.towbarYaw = PI;
  v.vesselYaw = 0;
  v.towbarPitch = 0;
  v.lightsOn = false;
  v.beaconOn = true;
  v.parkBrakeReleased = false;
  v.brakeReleased = false;
  v.selectedCrewSlot = 0;
  v.crewPrompt.crewPromptState = 0;
}

void RegisterBeacons(KVQ_R7700& v) {
  FillColours();
  for (int index : BEACON_REGISTRATION_ORDER) {
    const BeaconLook look = LookOf(index);
    BEACONLIGHTSPEC& b = v.beacons[index];
    b.shape = BEACONSHAPE_DIFFUSE;
    b.pos = &beaconPos[index];
    b.col = look.col;
    b.size = look.size;
    b.falloff = look.falloff;
    b.period = look.period;
    b.duration = look.duration;
    b.tofs = look.tofs;
    b.active = ActiveAtStart(v, index);
    v.AddBeacon(&b);
  }
}

void AddHeadLight(KVQ_R7700& v) {
  const COLOUR4 white{1, 1, 1, 0};
  const COLOUR4 none{0, 0, 0, 0};
  v.headLight = v.AddSpotLight({0, 0.48, 4.55}, {0, 0, 1}, 50, 0.001, 0, 0.001, 25 * RAD, 60 * RAD, white, white,
                               none);
  if (v.headLight != nullptr) v.headLight->Activate(v.lightsOn);
}

// The class file may name tow classes "TOW0", "TOW1", ...; they are read
// up to the first one missing and not used.
void ReadTowItems(FILEHANDLE cfg) {
  char item[16];
  char value[256];
  for (int i = 0; i < 1000; ++i) {
    std::snprintf(item, sizeof item, "TOW%i", i);
    if (!oapiReadItem_string(cfg, item, value)) break;
  }
}

}  // namespace

void DefineVessel(KVQ_R7700& v, FILEHANDLE cfg) {
  v.SetSize(TRACTOR_SIZE);
  v.SetEmptyMass(TRACTOR_EMPTY_MASS);
  v.SetTouchdownPoints({0, -0.01, 5}, {-5, -0.01, -5}, {5, -0.01, -5});

  ATTACHMENTHANDLE* const points[4] = {&v.vesselHitchFront, &v.vesselHitchBack, &v.towbarMountFront,
                                       &v.towbarMountBack};
  for (int i = 0; i < 4; ++i) {
    const AttachmentSpec& a = ATTACHMENTS[i];
    *points[i] = v.CreateAttachment(false, a.pos, a.dir, a.rot, a.id, false);
  }

  // The host's tank is a 1 kg placeholder kept full; the real fuel is `fuel`.
  v.fuelTank = v.CreatePropellantResource(1, 1, 1);
  v.fuel = FULL_TANK;
  v.haveSavedPosition = false;
  v.speed = 0;
  v.gearIndex = 0;
  v.driveEngaged = false;
  v.steerMode = 0;

  // Zero thrust: only its level is read, as the accelerator pedal.
  v.mainThruster = v.CreateThruster({0, 0, 0}, {0, 0, 1}, 0, v.fuelTank, 0, 0, 101400);
  v.CreateThrusterGroup(&v.mainThruster, 1, THGROUP_MAIN);

  v.SetCameraOffset({-0.65, 1.8, 3.5});
  v.SetCameraCatchAngle(5 * RAD);
  v.SetCameraRotationRange(PI2, PI2, PI2, PI2);
  oapiCameraSetAperture(60 * RAD);

  v.vcMeshTemplate = oapiLoadMeshGlobal("kvq7700_vc");
  v.AddMesh(v.vcMeshTemplate);
  v.SetMeshVisibilityMode(MESH_COCKPIT, MESHVIS_ALWAYS);
  MESHHANDLE exterior = oapiLoadMeshGlobal("kvq7700");
  v.AddMesh(exterior);
  v.SetMeshVisibilityMode(MESH_EXTERIOR, MESHVIS_ALWAYS);

  SetStartValues(v);
  RegisterBeacons(v);
  AddHeadLight(v);

  SetUpCrew(v);
  ReadTowItems(cfg);
}
