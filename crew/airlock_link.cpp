// The airlock link: set-up, the "UMmu" attachment and its publications,
// and the look at a docked vessel's airlock.
#include "crew/airlock_link.h"

#include <cstdio>
#include <cstring>

#include "crew/crew_client.h"
#include "crew/numbers.h"
#include "host/win.h"

int AirlockLink::Reset(OBJHANDLE handle) {
  *this = AirlockLink{};
  scanTimer = oapiRand();
  vessel = handle;
  FILE* library = OpenHostFile(CREW_ADDON_LIBRARY, "rb");
  if (library == nullptr) return -999;
  std::fclose(library);
  if (handle == nullptr) return -1;
  vesselInterface = oapiGetVesselInterface(handle);
  return vesselInterface != nullptr ? 1 : -1;
}

void AirlockLink::Publish() {
  if (airlockAttachment == nullptr || vesselInterface == nullptr) return;
  VECTOR3 pos, dir, rot;
  AttachmentVectors(pos, dir, rot);
  vesselInterface->SetAttachmentParams(airlockAttachment, pos, dir, rot);
}

void AirlockLink::PublishFreeSeats(int seats) {
  if (airlockAttachment == nullptr) return;
  freeSeats = seats;
  Publish();
}

void AirlockLink::PublishSecondValue(int value) {
  if (airlockAttachment == nullptr) return;
  secondValue = value;
  Publish();
}

OBJHANDLE DockedVessel(const VESSEL* v, int port) {
  if (v == nullptr || port < 0 || static_cast<UINT>(port) >= v->DockCount()) return nullptr;
  DOCKHANDLE dock = v->GetDockHandle(static_cast<UINT>(port));
  return dock != nullptr ? v->GetDockStatus(dock) : nullptr;
}

int AirlockLink::ProbeDockedAirlock(int port) const {
  if (airlockAttachment == nullptr || vesselInterface == nullptr) return -1;
  OBJHANDLE docked = DockedVessel(vesselInterface, port);
  if (docked == nullptr) return -1;
  VESSEL* other = oapiGetVesselInterface(docked);
  if (other == nullptr) return -1;
  const DWORD n = other->AttachmentCount(false);
  for (DWORD i = 0; i < n; ++i) {
    ATTACHMENTHANDLE a = other->GetAttachmentHandle(false, i);
    const char* id = a != nullptr ? other->GetAttachmentId(a) : nullptr;
    if (id == nullptr || std::strcmp(id, AIRLOCK_ATTACHMENT_ID) != 0) continue;
    VECTOR3 pos, dir, rot;
    other->GetAttachmentParams(a, pos, dir, rot);
    return TruncateToInt(rot.z);
  }
  return -1;
}

int CrewClient::DefineAirlock(int openFlag, float xMin, float xMax, float yMin, float yMax, float zMin,
                              float zMax) {
  if (xMax < xMin || yMax < yMin || zMax < zMin || (openFlag != 0 && openFlag != 1) ||
      airlock.vesselInterface == nullptr)
    return 0;
  airlock.xMin = xMin;
  airlock.xMax = xMax;
  airlock.yMin = yMin;
  airlock.yMax = yMax;
  airlock.zMin = zMin;
  airlock.zMax = zMax;
  airlock.openFlag = openFlag;
  airlock.shapeDefined = 1;
  VECTOR3 pos, dir, rot;
  airlock.AttachmentVectors(pos, dir, rot);
  if (airlock.airlockAttachment == nullptr)
    airlock.airlockAttachment =
        airlock.vesselInterface->CreateAttachment(false, pos, dir, rot, AIRLOCK_ATTACHMENT_ID, false);
  else
    airlock.vesselInterface->SetAttachmentParams(airlock.airlockAttachment, pos, dir, rot);
  readyFlags |= 2;
  airlockOpen = openFlag;
  airlock.PublishFreeSeats(maxCrew);
  if (airlock.shapeDefined == 1) airlock.autoAbsorb = 0;
  return 1;
}

int CrewClient::SetEvaPlacement(const VECTOR3& position, const VECTOR3& rotation) {
  if (!IsReady()) return 0;
  evaPosition = position;
  evaRotation = rotation;
  return 1;
}
