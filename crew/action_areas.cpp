// Action areas: spheres around points of the vessel that a crew member on
// foot can activate, declared in the crew add-on's shared table.
#include <cstring>

#include "crew/action_area_table.h"
#include "crew/crew_client.h"
#include "crew/crew_module.h"
#include "crew/crew_text.h"
#include "host/win.h"

namespace {

constexpr const char* ACTION_LIBRARY = "Modules\\Ummu.dll";
constexpr double MIN_RADIUS = 1.0;
constexpr int MAX_AREAS_PER_VESSEL = 31;
// Characters kept when an entry is refreshed, and when it is first taken.
constexpr size_t UPDATE_SOUND_CHARS = 99, UPDATE_LABEL_CHARS = 51;
constexpr size_t NEW_SOUND_CHARS = 98, NEW_LABEL_CHARS = 50;

void FillEntry(ActionAreaEntry& e, OBJHANDLE owner, int id, const VECTOR3& position, double radius, int option,
               const char* soundFile, size_t soundChars, const char* label, size_t labelChars) {
  std::memset(e.soundFile, 0, sizeof e.soundFile);
  std::memset(e.label, 0, sizeof e.label);
  e.inUse = 1;
  e.owner = owner;
  e.position = position;
  e.radius = radius;
  e.id = id;
  e.option = option;
  CopyBounded(e.soundFile, sizeof e.soundFile, soundFile, soundChars);
  CopyBounded(e.label, sizeof e.label, label, labelChars);
}

ActionAreaTable* FetchActionTable() {
  HMODULE library = LoadLibraryA(ACTION_LIBRARY);
  if (library == nullptr) return nullptr;
  FARPROC proc = GetProcAddress(library, ACTION_TABLE_EXPORT);
  if (proc == nullptr) return nullptr;
  return EntryPointAs<GetActionTableFn>(proc)();
}

}  // namespace

int CrewClient::DeclareActionArea(int id, const VECTOR3& position, double radius, int option, const char* soundFile,
                                  const char* label) {
  if (!IsReady() || radius < MIN_RADIUS || actionAreaCount >= MAX_AREAS_PER_VESSEL ||
      ReadCrewAddonVersion() < CREW_ADDON_MIN_VERSION)
    return 0;
  if (actionTable == nullptr) {
    actionTable = FetchActionTable();
    if (actionTable == nullptr) return 0;
  }
  for (ActionAreaEntry& e : actionTable->entries) {
    if (e.inUse == 1 && e.owner == vessel && e.id == id) {
      FillEntry(e, vessel, id, position, radius, option, soundFile, UPDATE_SOUND_CHARS, label, UPDATE_LABEL_CHARS);
      return 1;
    }
  }
  for (ActionAreaEntry& e : actionTable->entries) {
    if (e.inUse != 0) continue;
    FillEntry(e, vessel, id, position, radius, option, soundFile, NEW_SOUND_CHARS, label, NEW_LABEL_CHARS);
    actionAreaCount += 1;
    actionTable->entriesTaken += 1;
    return 1;
  }
  return 0;
}

int CrewClient::SetActionAreaText(int id, const char* label) {
  if (actionTable == nullptr || actionTable->entriesTaken <= 0) return 0;
  const int n = actionTable->entriesTaken < ACTION_AREA_ENTRIES ? actionTable->entriesTaken : ACTION_AREA_ENTRIES;
  for (int i = 0; i < n; ++i) {
    ActionAreaEntry& e = actionTable->entries[i];
    if (e.owner != vessel || e.id != id || e.inUse != 1) continue;
    std::memset(e.label, 0, sizeof e.label);
    CopyBounded(e.label, sizeof e.label, label, NEW_LABEL_CHARS);
    return 1;
  }
  return 0;
}

int CrewClient::PollActionArea() {
  if (actionTable == nullptr || actionTable->activatedVessel != vessel || vessel == nullptr) return -1;
  const int id = actionTable->activatedId;
  actionTable->activatedVessel = nullptr;
  actionTable->activatedId = 0;
  return id;
}
