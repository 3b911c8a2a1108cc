// The crew client's set-up and its roster: members aboard, their weights in
// the vessel's empty mass, and the free seats published after every change.
#include <algorithm>
#include <cstring>

#include "crew/airlock_link.h"
#include "crew/crew_client.h"
#include "crew/crew_module.h"
#include "crew/crew_text.h"
#include "crew/function_table.h"
#include "crew/notice_text.h"

namespace {

constexpr int ROSTER_SIZE = 100;
constexpr size_t NAME_MAX_CHARS = 25;
constexpr size_t CODE_MAX_CHARS = 4;
constexpr size_t LOOKUP_NAME_MAX = 39;  // longer names are never aboard
constexpr int AGE_MIN = 1, AGE_MAX = 140;
constexpr int PULSE_MAX = 180;
constexpr int WEIGHT_MIN = 5, WEIGHT_MAX = 300;

bool TooLongForLookUp(const char* name) { return std::strlen(name) > LOOKUP_NAME_MAX; }

}  // namespace

int& CrewInstanceCounter() {
  static int counter = 0;
  return counter;
}

int CrewClient::Init(OBJHANDLE vesselHandle) {
  if (vesselHandle == nullptr) return -1;
  int& counter = CrewInstanceCounter();
  instanceIndex = counter;
  const int linked = airlock.Reset(vesselHandle);
  outdatedFlag = 0;
  if (linked != 1) {
    noticeDeadline = oapiGetSysTime() + NOTICE_DURATION;
    return linked;
  }
  noticeDeadline = 0;
  actionTable = nullptr;
  actionAreaCount = 0;
  if (ReadCrewAddonVersion() < CREW_ADDON_MIN_VERSION) {
    outdatedFlag = 1;
    noticeDeadline = oapiGetSysTime() + NOTICE_DURATION;
  }
  if (counter == 0) BuildCrewFunctionTable();

  std::memset(roster, 0, sizeof roster);
  readyFlags = 0;
  crewCount = 0;
  maxCrew = 8;
  totalCrewWeight = 0;
  linesLoaded = -1;
  autoMass = 1;
  airlockOpen = 1;
  evaParameter = 100;
  CopyBounded(evaMesh, sizeof evaMesh, "UMmu\\UMMu");
  evaPosition = _V(0, 0, 3);
  evaRotation = _V(0, 0, 0);
  emptyName[0] = '\0';
  lastArrivalName[0] = '\0';
  vessel = vesselHandle;

  readyFlags = 1;
  counter = std::min(counter + 1, MAX_INSTANCE_INDEX);
  return 1;
}

void CrewClient::PublishSeats() {
  airlock.PublishFreeSeats(maxCrew - crewCount);
  airlock.PublishSecondValue(0);
}

int CrewClient::SetMaxCrew(int seats) {
  // A limit below the crew aboard would publish a negative number of seats.
  if (!IsReady() || seats < 1 || seats > ROSTER_SIZE || seats < crewCount) return 0;
  maxCrew = seats;
  PublishSeats();
  return 1;
}

int CrewClient::GetCrewCount() const { return IsReady() ? crewCount : 0; }

const char* CrewClient::GetCrewName(int slot) const {
  if (!IsReady() || slot < 0 || slot > crewCount - 1) return emptyName;
  return roster[slot].name;
}

int CrewClient::GetCrewWeight(int slot) const {
  if (!IsReady() || slot < 0 || slot > crewCount - 1) return -1;
  return static_cast<int>(roster[slot].weight);
}

int CrewClient::FindMember(const char* name) const {
  if (name == nullptr || !IsReady() || TooLongForLookUp(name) || crewCount <= 0) return -1;
  for (int i = 0; i < crewCount; ++i) {
    if (EqualsIgnoreCase(roster[i].name, name)) return i;
  }
  return -1;
}

int CrewClient::GetCrewAge(const char* name) const {
  const int slot = FindMember(name);
  return slot < 0 ? -1 : roster[slot].age;
}

const char* CrewClient::GetCrewFunction(const char* name) const {
  if (name == nullptr || !IsReady()) return nullptr;
  const int slot = FindMember(name);
  return slot < 0 ? emptyName : roster[slot].functionCode;
}

const char* CrewClient::GetLastArrivalName() const { return lastArrivalName; }

bool CrewClient::HasFreeSeat() const { return IsReady() && crewCount < maxCrew && crewCount <= ROSTER_SIZE - 1; }

int CrewClient::AddMember(const char* name, int age, int pulse, int weight, const char* functionCode) {
  if (!HasFreeSeat() || name == nullptr) return 0;
  CrewMember& m = roster[crewCount];
  CopyBounded(m.name, sizeof m.name, name, NAME_MAX_CHARS);
  SanitizeCrewName(m.name);
  // Whatever was typed, the member comes back from a saved scenario.
  CopyFunctionCode(m.functionCode, sizeof m.functionCode, functionCode, CODE_MAX_CHARS);
  m.age = std::clamp(age, AGE_MIN, AGE_MAX);
  m.pulse = std::clamp(pulse, 0, PULSE_MAX);
  m.weight = std::clamp(weight, WEIGHT_MIN, WEIGHT_MAX);
  if (vessel != nullptr && autoMass == 1) oapiSetEmptyMass(vessel, oapiGetEmptyMass(vessel) + m.weight);
  crewCount += 1;
  totalCrewWeight += m.weight;
  PublishSeats();
  return 1;
}

int CrewClient::RemoveMember(const char* name) {
  const int slot = FindMember(name);
  if (slot < 0) return 0;
  const double weight = roster[slot].weight;
  if (autoMass == 1 && vessel != nullptr) oapiSetEmptyMass(vessel, oapiGetEmptyMass(vessel) - weight);
  totalCrewWeight -= weight;
  const int last = crewCount - 1;
  if (slot != last && crewCount > 1) {
    CrewMember& gap = roster[slot];
    const CrewMember& moved = roster[last];
    CopyBounded(gap.name, sizeof gap.name, moved.name);
    CopyBounded(gap.functionCode, sizeof gap.functionCode, moved.functionCode);
    gap.age = moved.age;
    gap.pulse = moved.pulse;
    gap.weight = moved.weight;
  }
  crewCount -= 1;
  PublishSeats();
  return 1;
}
