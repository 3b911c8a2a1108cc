#include "drive/prestep.h"

#include "crew/numbers.h"
#include "drive/cockpit_pictures.h"
#include "drive/crew_events.h"
#include "drive/drive_step.h"
#include "drive/outputs.h"
#include "towing/trailer.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr DWORD ADCTRL_ALL = 7;  // every aerodynamic control input on: the rudder steers
constexpr DWORD ADCTRL_OFF = 0;
constexpr int BRAKE_RIGHT = 2;
constexpr DWORD STEER_TEXTURE = 5;

// In realism mode an empty tractor stays in neutral with its steering off.
void EnableControls(KVQ_R7700& v, int crewCount) {
  if (crewCount >= 1 || v.realismMode == 0) {
    v.SetADCtrlMode(ADCTRL_ALL);
  } else {
    v.SetADCtrlMode(ADCTRL_OFF);
    v.transmission = 0;
  }
}

double CrewMass(const KVQ_R7700& v) {
  double sum = 0;
  for (int i = 0; i < v.crew.GetCrewCount(); ++i) sum += v.crew.GetCrewWeight(i);
  return sum;
}

double TowedLoadOf(const KVQ_R7700& v) {
  if (v.realismMode == 0) return 0.0;
  OBJHANDLE towed = nullptr;
  if (v.towMode == 2) towed = v.GetAttachmentStatus(v.vesselHitchFront);
  if (v.towMode == -2) towed = v.GetAttachmentStatus(v.vesselHitchBack);
  const double mass = towed ? oapiGetEmptyMass(towed) + oapiGetFuelMass(towed) : 0.0;
  return TowedLoad(v.realismMode, v.towMode, towed != nullptr, mass);
}

// Reads where the tractor stands. Landed, the host's position counts; once
// the module has placed the tractor it keeps it at its own coordinates.
// False when there is no position yet: the step ends.
bool ReadOrigin(KVQ_R7700& v, SurfacePoint* origin) {
  v.status.version = 2;
  v.status.flag = 0;  // no fuel, thruster or docking lists wanted
  v.GetStatusEx(&v.status);
  if (v.status.status == 1) {
    *origin = {v.status.surf_lng, v.status.surf_lat};
    v.savedHeading = v.status.surf_hdg;
    return true;
  }
  if (!v.haveSavedPosition) return false;
  *origin = {v.savedLongitude, v.savedLatitude};
  v.status.surf_hdg = v.savedHeading;
  return true;
}

DriveState DriveStateOf(const KVQ_R7700& v) {
  DriveState s;
  s.speed = v.speed;
  s.transmission = v.transmission;
  s.gearIndex = v.gearIndex;
  s.rpm = v.rpm;
  s.driveEngaged = v.driveEngaged;
  s.engineRunning = v.engineRunning;
  s.parkingBrake = v.parkingBrake;
  s.fuel = v.fuel;
  s.realismMode = v.realismMode;
  return s;
}

void ShowSteerMode(const KVQ_R7700& v, const SteerModeChoice& c) {
  if (!c.drawImage) return;
  ShowPicture(oapiGetTextureHandle(v.vcMeshTemplate, STEER_TEXTURE), STEER_IMAGE_X, STEER_IMAGE_Y, c.imageX, c.imageY,
              STEER_IMAGE_W, STEER_IMAGE_H);
}

}  // namespace

void RunPreStep(KVQ_R7700& v, double simt, double simdt) {
  const double dt = FiniteOrZero(simdt);
  // A vessel that has not been placed yet is new: its cockpit textures may
  // have been loaded afresh, so every picture is copied again.
  if (!v.haveSavedPosition) ForgetPictures();
  const int crewCount = v.crew.GetCrewCount();
  EnableControls(v, crewCount);
  ShowCrewFigures(v, crewCount);

  DriveStepInputs in;
  in.drive.crewMass = CrewMass(v);
  in.drive.towedLoad = TowedLoadOf(v);
  in.drive.dt = dt;

  if (!ReadOrigin(v, &in.origin)) return;
  in.heading = v.status.surf_hdg;
  v.SetPropellantMass(v.fuelTank, 1.0);

  in.drive.throttle = v.GetThrusterGroupLevel(THGROUP_MAIN);
  in.drive.brakePedal = v.parkingBrake ? 0.0 : v.GetWheelbrakeLevel(BRAKE_RIGHT);
  VECTOR3 weight{0, 0, 0};
  v.GetWeightVector(weight);
  in.drive.weightY = weight.y;
  in.steer = FiniteOrZero(v.GetControlSurfaceLevel(AIRCTRL_RUDDER));
  in.attitudeMode = in.steer == 0 ? v.GetAttitudeMode() : 0;
  in.towMode = v.towMode;
  v.gravityRef = v.GetGravityRef();
  in.bodyRadius = oapiGetSize(v.gravityRef);

  const DriveStepResult r = StepDrive(DriveStateOf(v), v.steerMode, in);
  const DriveState& s = r.drive.state;
  v.speed = s.speed;
  v.gearIndex = s.gearIndex;
  v.rpm = s.rpm;
  v.driveEngaged = s.driveEngaged;
  v.fuel = s.fuel;

  v.steerMode = r.steering.steerMode;
  ShowSteerMode(v, r.steering);

  v.status.surf_hdg = r.heading;
  v.status.surf_lng = r.position.lng;
  v.status.surf_lat = r.position.lat;
  v.status.status = 1;
  v.DefSetStateEx(&v.status);
  v.savedLatitude = r.position.lat;
  v.savedLongitude = r.position.lng;
  v.savedHeading = r.heading;
  v.haveSavedPosition = true;

  StepTowing(v, v.speed, r.omega, dt);
  UpdateStepOutputs(v, simt, dt, r.drive.brake);
  StepCrewEvents(v);

  const IdleState idle = StepIdle({v.idleTime, v.engineRunning}, v.speed, dt);
  v.idleTime = idle.idleTime;
  v.engineRunning = idle.engineRunning;
}
