// Departures: a member leaves on foot as a crew vessel next to the vessel,
// or is transferred into the airlock of a docked vessel.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "crew/airlock_link.h"
#include "crew/crew_client.h"
#include "crew/crew_text.h"
#include "crew/crew_vessel_name.h"
#include "crew/function_table.h"
#include "crew/handoff_record.h"
#include "host/win.h"

namespace {

constexpr int AGE_MAX = 120, AGE_DEFAULT = 41;
constexpr int PULSE_MAX = 140, PULSE_DEFAULT = 60;
constexpr int EVA_PARAMETER_MAX = 4000, EVA_PARAMETER_DEFAULT = 100;
constexpr double PUSH_PER_RATE = 5.0;  // m/s of push per rad/s of yaw and pitch rate
constexpr int STATUS_FREE_FLIGHT = 0;
constexpr size_t LABEL_SIZE = 40;
constexpr size_t VESSEL_NAME_SIZE = CREW_VESSEL_NAME_MAX + 1;

bool NameTaken(const char* name) { return oapiGetObjectByName(name) != nullptr; }

void WriteHandoffFile(const char* path) {
  unsigned char bytes[HANDOFF_RECORD_SIZE];
  EncodeHandoffRecord(CrewHandoffBuffer(), bytes);
  FILE* f = OpenHostFile(path, "wb");
  if (f == nullptr) return;
  std::fwrite(bytes, 1, sizeof bytes, f);
  std::fclose(f);
}

void FillHandoffRecord(const char* label, int age, int pulse, int evaParameter, int weight, const char* mesh) {
  CrewHandoffRecord& r = CrewHandoffBuffer();
  std::memset(r.name, 0, sizeof r.name);
  char name[HANDOFF_NAME_SIZE];
  JoinBounded(name, HANDOFF_TEXT_MAX + 1, CREW_VESSEL_PREFIX, label);
  CopyBounded(r.name, sizeof r.name, name);
  if (mesh != nullptr) {
    std::memset(r.mesh, 0, sizeof r.mesh);
    CopyBounded(r.mesh, sizeof r.mesh, mesh, HANDOFF_TEXT_MAX);
  }
  r.age = age;
  r.pulse = pulse;
  r.evaParameter = evaParameter;
  r.weight = weight;
  r.spare1 = 0;
  r.spare2 = 0;
}

void PrepareStatus(VESSELSTATUS& vs) {
  vs.fuel = 1;
  vs.eng_main = 0;
  vs.eng_hovr = 0;
  vs.status = STATUS_FREE_FLIGHT;
}

}  // namespace

void AirlockLink::OrientVessel(const VECTOR3& angles, OBJHANDLE handle) {
  VESSEL* v = oapiGetVesselInterface(handle);
  if (v == nullptr) return;
  MATRIX3 r;
  v->GetRotationMatrix(r);
  v->SetRotationMatrix(RotateByAngles(r, angles));
}

int AirlockLink::SpawnCrewVessel(const char* label, int age, int evaParam, int pulse, int weight, const char* mesh,
                                 const VECTOR3* position, const VECTOR3* rotation, const VECTOR3* extraVelocity) {
  if (age < 0 || age > AGE_MAX) age = AGE_DEFAULT;
  if (evaParam < 0 || evaParam > EVA_PARAMETER_MAX) evaParam = EVA_PARAMETER_DEFAULT;
  if (pulse < 0 || pulse > PULSE_MAX) pulse = PULSE_DEFAULT;
  if (vesselInterface == nullptr) return -3;

  VESSELSTATUS vs{};
  char name[VESSEL_NAME_SIZE];
  OBJHANDLE docked = DockedVessel(vesselInterface, dockPort);
  const bool transfer = docked != nullptr;
  if (transfer) {
    VESSEL* other = oapiGetVesselInterface(docked);
    if (other == nullptr) return -3;
    const DWORD n = other->AttachmentCount(false);
    if (n == 0) return -1;
    bool open = false, closedSeen = false;
    VECTOR3 pos{}, dir{}, rot{};
    for (DWORD i = 0; i < n && !open; ++i) {
      ATTACHMENTHANDLE a = other->GetAttachmentHandle(false, i);
      const char* id = a != nullptr ? other->GetAttachmentId(a) : nullptr;
      if (id == nullptr || std::strcmp(id, AIRLOCK_ATTACHMENT_ID) != 0) continue;
      other->GetAttachmentParams(a, pos, dir, rot);
      if (rot.x != 0)
        open = true;
      else
        closedSeen = true;
    }
    if (!open) return closedSeen ? -2 : -1;
    other->GetStatus(vs);
    PrepareStatus(vs);
    const VECTOR3 centre = _V((pos.x + pos.y) / 2, (pos.z + dir.x) / 2, (dir.y + dir.z) / 2);
    other->Local2Rel(centre, vs.rpos);
    char otherName[256] = "";
    oapiGetObjectName(docked, otherName, sizeof otherName);
    JoinBounded(name, sizeof name, TRANSFER_VESSEL_PREFIX, otherName);
    FillHandoffRecord(label, age, pulse, evaParam, weight, nullptr);
    WriteHandoffFile(HANDOFF_TRANSFER_FILE);
  } else {
    VECTOR3 omega{};
    vesselInterface->GetAngularVel(omega);
    const double push = (std::fabs(omega.y) + std::fabs(omega.x)) * PUSH_PER_RATE;
    vesselInterface->GetStatus(vs);
    PrepareStatus(vs);
    VECTOR3 kick = _V(0, 0, push);
    if (extraVelocity != nullptr) kick = kick + *extraVelocity;
    VECTOR3 kickGlobal{};
    vesselInterface->GlobalRot(kick, kickGlobal);
    vs.rvel = vs.rvel + kickGlobal;
    vesselInterface->Local2Rel(position != nullptr ? *position : _V(0, 0, 0), vs.rpos);
    JoinBounded(name, sizeof name, CREW_VESSEL_PREFIX, label);
    FillHandoffRecord(label, age, pulse, evaParam, weight, mesh != nullptr ? mesh : "");
    WriteHandoffFile(HANDOFF_EVA_FILE);
  }

  MakeCrewVesselName(name, sizeof name, NameTaken);
  OBJHANDLE created = oapiCreateVessel(name, CREW_VESSEL_CLASS, vs);
  if (created != nullptr && rotation != nullptr) OrientVessel(*rotation, created);
  // Without the crew vessel the member must stay aboard: report it as an
  // incomplete crew vessel rather than a departure.
  if (!transfer) return created != nullptr ? 1 : -3;
  VESSEL* carrier = created != nullptr ? oapiGetVesselInterface(created) : nullptr;
  if (carrier == nullptr) return 3;
  carrier->CreateAttachment(true, _V(age, pulse, weight), _V(0, 0, 0), _V(0, 0, 0), CREW_ATTACHMENT_ID, false);
  return 2;
}

int CrewClient::EvaMember(const char* name) {
  if (!IsReady()) return -6;
  if (name == nullptr || std::strlen(name) > 39) return -4;
  if (crewCount <= 0) return 0;
  if (airlockOpen == 0) return -1;
  if (DockedVessel(airlock.vesselInterface, airlock.dockPort) != nullptr) {
    const int seats = airlock.ProbeDockedAirlock(airlock.dockPort);
    if (seats == 0) return -3;
    if (seats < 0) return -5;
  }
  const int slot = FindMember(name);
  if (slot < 0) return -4;
  // The roster slot is rewritten by the removal below: work on copies.
  const CrewMember member = roster[slot];
  char label[LABEL_SIZE];
  if (member.functionCode[0] != '\0')
  {
    JoinBounded(label, sizeof label, member.functionCode, "-");
    const size_t n = std::strlen(label);
    CopyBounded(label + n, sizeof label - n, member.name);
  }
  else
    CopyBounded(label, sizeof label, member.name);
  SelectEvaMesh(member.functionCode);
  const int r = airlock.SpawnCrewVessel(label, member.age, evaParameter, member.pulse, static_cast<int>(member.weight),
                                        CrewSuitMeshName(), &evaPosition, &evaRotation, nullptr);
  if (r == 1 || r == 2) {
    RemoveMember(member.name);
    return r;
  }
  if (r == -2) return -2;
  if (r == -1) return -5;
  return -6;
}
