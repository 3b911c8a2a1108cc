// Arrivals: crew vessels that walk into the airlock box, and transfer
// vessels addressed to this vessel by a docked one.
#include <cstdio>
#include <cstring>

#include "crew/airlock_link.h"
#include "crew/crew_client.h"
#include "crew/crew_text.h"
#include "crew/crew_vessel_name.h"
#include "crew/handoff_record.h"
#include "crew/numbers.h"
#include "host/win.h"

namespace {

constexpr size_t SCANNED_NAME_SIZE = 96;
constexpr size_t ARRIVED_NAME_CHARS = 39;
constexpr size_t LABEL_CHARS = 32;
constexpr size_t MEMBER_NAME_CHARS = 25;
constexpr size_t PREFIX_CHARS = 5;  // "UMmu_"

// Reads the transfer record into the module buffer. A missing or short file
// leaves the buffer alone: an earlier record must not be taken for this one.
bool ReadTransferRecord() {
  FILE* f = OpenHostFile(HANDOFF_TRANSFER_FILE, "rb");
  if (f == nullptr) return false;
  unsigned char bytes[HANDOFF_RECORD_SIZE];
  const size_t got = std::fread(bytes, 1, sizeof bytes, f);
  std::fclose(f);
  DeleteFileA(HANDOFF_TRANSFER_FILE);
  if (got != sizeof bytes) return false;
  CrewHandoffBuffer() = DecodeHandoffRecord(bytes);
  return true;
}

}  // namespace

int AirlockLink::Arrive(OBJHANDLE crewVessel, int kind) {
  if (autoAbsorb == 1) {
    oapiSetFocusObject(vessel);
    oapiDeleteVessel(crewVessel);
    arrivedVessel = nullptr;
  } else {
    arrivedVessel = crewVessel;
  }
  return kind;
}

int AirlockLink::ScanArrivals() {
  scanTimer += oapiGetSimStep();
  if (!(scanTimer > ARRIVAL_SCAN_PERIOD)) return 0;
  scanTimer = 0;
  if (openFlag != 1) return 0;
  if (vesselInterface == nullptr || vessel == nullptr) return -3;

  char ownName[SCANNED_NAME_SIZE] = "";
  oapiGetObjectName(vessel, ownName, sizeof ownName);
  // A transfer vessel's name carries at most this much of the addressee's.
  char ownAddress[SCANNED_NAME_SIZE];
  CopyBounded(ownAddress, sizeof ownAddress, ownName, CREW_VESSEL_NAME_MAX - std::strlen(TRANSFER_VESSEL_PREFIX));

  arrivedVessel = nullptr;
  const DWORD count = oapiGetVesselCount();
  for (DWORD i = 0; i < count; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    if (h == nullptr || h == vessel) continue;
    VESSEL* v = oapiGetVesselInterface(h);
    if (v == nullptr) continue;
    const char* cls = v->GetClassName();
    if (cls == nullptr || std::strncmp(cls, CREW_VESSEL_CLASS, 4) != 0) continue;
    const DWORD toParent = v->AttachmentCount(true);
    if (toParent < 2) continue;
    char name[SCANNED_NAME_SIZE] = "";
    oapiGetObjectName(h, name, sizeof name);

    if (std::strncmp(name, TRANSFER_VESSEL_PREFIX, std::strlen(TRANSFER_VESSEL_PREFIX)) == 0) {
      if (std::strcmp(name + std::strlen(TRANSFER_VESSEL_PREFIX), ownAddress) != 0) return 0;
      if (!ReadTransferRecord()) continue;
      const CrewHandoffRecord& r = CrewHandoffBuffer();
      CopyBounded(arrivedName, sizeof arrivedName, r.name);
      arrivedAge = r.age;
      arrivedPulse = r.pulse;
      arrivedWeight = r.weight;
      return Arrive(h, 2);
    }

    ATTACHMENTHANDLE last = v->GetAttachmentHandle(true, toParent - 1);
    const char* id = last != nullptr ? v->GetAttachmentId(last) : nullptr;
    if (id == nullptr || std::strcmp(id, CREW_ATTACHMENT_ID) != 0) continue;
    VECTOR3 p, dir, rot;
    v->GetAttachmentParams(last, p, dir, rot);
    CopyBounded(arrivedName, sizeof arrivedName, name, ARRIVED_NAME_CHARS);
    for (char* c = arrivedName; *c != '\0'; ++c) {
      if (*c == '_') *c = ' ';
    }
    arrivedAge = TruncateToInt(p.x);
    arrivedPulse = TruncateToInt(p.y);
    arrivedWeight = TruncateToInt(p.z);
    VECTOR3 ownGlobal, crewGlobal, ownLocal, crewLocal;
    oapiGetGlobalPos(vessel, &ownGlobal);
    oapiGetGlobalPos(h, &crewGlobal);
    vesselInterface->Global2Local(ownGlobal, ownLocal);
    vesselInterface->Global2Local(crewGlobal, crewLocal);
    if (!InsideBox(crewLocal - ownLocal)) continue;
    return Arrive(h, 1);
  }
  return 0;
}

int CrewClient::ProcessArrivals() {
  if (!IsReady()) return -1;
  if (airlockOpen == 0) return 0;
  // A full vessel takes nobody in: crew vessels stay where they are and a
  // transfer addressed here waits, rather than someone being deleted
  // without a seat to go to.
  if (!HasFreeSeat()) return 0;
  const int r = airlock.ScanArrivals();
  if (r <= 0) return 0;
  char label[LABEL_CHARS + 1];
  const size_t arrivedLength = std::strlen(airlock.arrivedName);
  CopyBounded(label, sizeof label, arrivedLength > PREFIX_CHARS ? airlock.arrivedName + PREFIX_CHARS : "", LABEL_CHARS);
  char code[5], name[MEMBER_NAME_CHARS + 1];
  SplitCrewLabel(label, code, sizeof code, name, sizeof name);
  // The scan turned every "_" of the vessel's name into a blank, but a
  // function code never holds a blank: there each one was an underscore of
  // the code, which comes back as it was saved.
  for (char* c = code; *c != '\0'; ++c) {
    if (*c == ' ') *c = '_';
  }
  if (airlock.arrivedVessel == nullptr) return 0;
  if (r == 1) oapiSetFocusObject(vessel);
  oapiDeleteVessel(airlock.arrivedVessel);
  airlock.arrivedVessel = nullptr;
  CopyBounded(lastArrivalName, sizeof lastArrivalName, name, MEMBER_NAME_CHARS);
  AddMember(name, airlock.arrivedAge, airlock.arrivedPulse, airlock.arrivedWeight, code);
  return r;
}
