#include "addons/ummu/crew_vessel.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "addons/ummu/action_table.h"
#include "crew/crew_text.h"
#include "host/keys.h"
#include "host/win.h"

namespace {

constexpr const char* CARRY_ID = "UMMU_CARRY";
constexpr const char* CREW_ID = "U-Mm";
constexpr const char* TRANSFER_PREFIX = "UMmuT";
// Height of the feet below the vessel's origin. A person who has just
// stepped out stands with the origin at the feet, below an airlock's floor,
// so the vessel he left does not take him straight back; once he walks he
// carries his origin at the waist, where an airlock box can hold it.
constexpr double STEPPED_OUT_FEET = 0.0;  // m
constexpr double WALKING_FEET = -1.0;     // m
constexpr double WALK_SPEED = 1.5;        // m/s
constexpr double TURN_RATE = PI / 2;      // rad/s
// Walking by keys, he keeps his feet where he stepped out until he has
// walked this far: the door's airlock would otherwise take him back at
// his first step.
constexpr double CLEAR_OF_DOOR = 3.0;     // m

void SetFeet(VESSEL& v, double y) {
  v.SetTouchdownPoints(_V(0, y, 0.2), _V(-0.2, y, -0.2), _V(0.2, y, -0.2));
}

}  // namespace

void UMmuVessel::clbkSetClassCaps(FILEHANDLE cfg) {
  SetSize(1);
  SetFeet(*this, STEPPED_OUT_FEET);
  const char* name = GetName();
  const bool transfer = name != nullptr && std::strncmp(name, TRANSFER_PREFIX, std::strlen(TRANSFER_PREFIX)) == 0;
  // A transfer vessel is addressed by its name; the vessel that created it
  // adds its "U-Mm" point itself.
  if (!transfer) {
    if (FILE* f = OpenHostFile(HANDOFF_EVA_FILE, "rb")) {
      unsigned char bytes[HANDOFF_RECORD_SIZE];
      if (std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes) {
        record = DecodeHandoffRecord(bytes);
        fromRecord = true;
      }
      std::fclose(f);
    }
    if (!fromRecord) {
      CopyBounded(record.name, sizeof record.name, name);
      CopyBounded(record.mesh, sizeof record.mesh, "ummu/ummu");
      record.age = 30;
      record.pulse = 70;
      record.weight = 70;
    }
    SetEmptyMass(record.weight > 0 ? record.weight : 70);
    // The suit the record names ("ummu/ummu" and its variants under Meshes/UMmu).
    if (record.mesh[0] != 0) AddMesh(record.mesh);
  }
  CreateAttachment(true, _V(0, 0, 0), _V(0, 0, 1), _V(0, 1, 0), CARRY_ID, false);
  if (!transfer)
    CreateAttachment(true, _V(record.age, record.pulse, record.weight), _V(0, 0, 0), _V(0, 0, 0), CREW_ID, false);
}

void UMmuVessel::clbkPostCreation() { Stand(); }

void UMmuVessel::Stand() {
  VESSELSTATUS2 s{};
  s.version = 2;
  GetStatusEx(&s);
  s.status = 1;
  DefSetStateEx(&s);
}

void UMmuVessel::WalkTo(const VESSEL& ref, const VECTOR3& point) {
  VESSELSTATUS2 s{};
  s.version = 2;
  ref.GetStatusEx(&s);
  VECTOR3 target, refGlobal;
  ref.Local2Global(point, target);
  ref.GetGlobalPos(refGlobal);
  s.rpos = s.rpos + (target - refGlobal);
  s.rvel = _V(0, 0, 0);
  s.vrot = _V(0, 0, 0);
  s.status = 0;
  SetFeet(*this, WALKING_FEET);
  DefSetStateEx(&s);
  Stand();
}

int UMmuVessel::ActivateArea() {
  ActionAreaTable& table = SharedActionTable();
  VECTOR3 own;
  GetGlobalPos(own);
  const ActionAreaEntry* best = nullptr;
  double bestDistance = 0;
  for (const ActionAreaEntry& e : table.entries) {
    if (e.inUse != 1 || e.owner == nullptr) continue;
    VESSEL* owner = oapiGetVesselInterface(e.owner);
    if (owner == nullptr) continue;
    VECTOR3 centre;
    owner->Local2Global(e.position, centre);
    const double d = dist(own, centre);
    if (d > e.radius || (best != nullptr && d >= bestDistance)) continue;
    best = &e;
    bestDistance = d;
  }
  if (best == nullptr) return -1;
  table.activatedVessel = best->owner;
  table.activatedId = best->id;
  return best->id;
}

int UMmuVessel::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) {
  const int step = down ? 1 : 0;
  switch (key) {
    case OAPI_KEY_W:
    case OAPI_KEY_UP:
      walk = step;
      return 1;
    case OAPI_KEY_S:
    case OAPI_KEY_DOWN:
      walk = -step;
      return 1;
    case OAPI_KEY_A:
    case OAPI_KEY_LEFT:
      turn = -step;
      return 1;
    case OAPI_KEY_D:
    case OAPI_KEY_RIGHT:
      turn = step;
      return 1;
    case OAPI_KEY_SPACE:
      if (down) ActivateArea();
      return 1;
    default:
      return down ? 0 : 1;
  }
}

void UMmuVessel::clbkPreStep(double simt, double simdt, double mjd) {
  if (walk == 0 && turn == 0) return;
  VESSELSTATUS2 s{};
  s.version = 2;
  GetStatusEx(&s);
  if (s.status != 1) return;  // carried or in flight: he does not walk
  const double radius = oapiGetSize(GetGravityRef());
  if (radius <= 0) return;
  s.surf_hdg = std::fmod(s.surf_hdg + turn * TURN_RATE * simdt + 2 * PI, 2 * PI);
  const double d = walk * WALK_SPEED * simdt;
  s.surf_lat += d * std::cos(s.surf_hdg) / radius;
  s.surf_lng += d * std::sin(s.surf_hdg) / (radius * std::cos(s.surf_lat));
  walked += std::fabs(d);
  if (walked >= CLEAR_OF_DOOR) SetFeet(*this, WALKING_FEET);
  DefSetStateEx(&s);
}
