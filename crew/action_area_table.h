// The crew add-on's shared table of action areas, as its library lays it
// out. The byte layout is the add-on's for 32-bit handles, packed to 4 bytes
// as there; in a 64-bit build the handle fields are pointer-sized and the
// fields keep their natural alignment, so every later offset moves.
// The vessel's crew client and the add-on stand-in both use this definition.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/types.h"

constexpr int ACTION_AREA_ENTRIES = 2000;
constexpr int ACTION_AREA_SOUND_SIZE = 100;
constexpr int ACTION_AREA_LABEL_SIZE = 52;

#if UINTPTR_MAX == 0xFFFFFFFF
#pragma pack(push, 4)
#endif
struct ActionAreaEntry {
  int32_t inUse;     // 1 while the entry is taken
  OBJHANDLE owner;   // vessel that declared the area
  VECTOR3 position;  // centre in the owner's frame (m)
  double radius;     // m, at least 1
  int32_t id;        // chosen by the owner
  int32_t option;    // passed through from the owner
  char soundFile[ACTION_AREA_SOUND_SIZE];
  char label[ACTION_AREA_LABEL_SIZE];
  char addonPrivate[284];  // the add-on's own; never touched by the vessel
};

struct ActionAreaTable {
  ActionAreaEntry entries[ACTION_AREA_ENTRIES];
  char addonPrivate[968];     // the add-on's own bytes between entries and counters
  int32_t entriesTaken;       // declarations add 1 for each new entry
  OBJHANDLE activatedVessel;  // owner of the area last activated, null when none pending
  int32_t activatedId;        // id of that area
};
#if UINTPTR_MAX == 0xFFFFFFFF
#pragma pack(pop)
#endif

// Sizes that hold for any handle width.
static_assert(sizeof(ActionAreaEntry) == (sizeof(OBJHANDLE) == 4 ? 484 : 496), "an action area entry");
static_assert(offsetof(ActionAreaEntry, position) == 2 * sizeof(OBJHANDLE), "position follows the owner");
static_assert(offsetof(ActionAreaEntry, addonPrivate) + 284 <= sizeof(ActionAreaEntry),
              "the private tail ends the entry");
static_assert(offsetof(ActionAreaTable, entriesTaken) == ACTION_AREA_ENTRIES * sizeof(ActionAreaEntry) + 968,
              "the counters follow the entries and the add-on's own bytes");
static_assert(offsetof(ActionAreaTable, activatedVessel) == offsetof(ActionAreaTable, entriesTaken) + sizeof(OBJHANDLE),
              "activated vessel");
static_assert(offsetof(ActionAreaTable, activatedId) == offsetof(ActionAreaTable, activatedVessel) + sizeof(OBJHANDLE),
              "activated id");

#if UINTPTR_MAX == 0xFFFFFFFF
// The add-on's layout, byte for byte.
static_assert(sizeof(ActionAreaEntry) == 484, "entry size");
static_assert(offsetof(ActionAreaEntry, inUse) == 0, "in-use flag");
static_assert(offsetof(ActionAreaEntry, owner) == 4, "owner");
static_assert(offsetof(ActionAreaEntry, position) == 8, "position");
static_assert(offsetof(ActionAreaEntry, radius) == 32, "radius");
static_assert(offsetof(ActionAreaEntry, id) == 40, "id");
static_assert(offsetof(ActionAreaEntry, option) == 44, "option");
static_assert(offsetof(ActionAreaEntry, soundFile) == 48, "sound file");
static_assert(offsetof(ActionAreaEntry, label) == 148, "label");
static_assert(offsetof(ActionAreaEntry, addonPrivate) == 200, "private tail");
static_assert(offsetof(ActionAreaTable, entriesTaken) == 968968, "entries taken");
static_assert(offsetof(ActionAreaTable, activatedVessel) == 968972, "activated vessel");
static_assert(offsetof(ActionAreaTable, activatedId) == 968976, "activated id");
#endif

// Name of the add-on library's export that returns the table's address.
constexpr const char* ACTION_TABLE_EXPORT = "GetActionStructureAdress";
using GetActionTableFn = ActionAreaTable* (*)();
