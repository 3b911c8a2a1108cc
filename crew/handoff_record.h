// The record handed to every crew vessel the vessel creates, written raw to
// "config\UMmutmp.cfg" (on foot) or "config\UMmutmpT.cfg" (transfer).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t HANDOFF_RECORD_SIZE = 104;
constexpr size_t HANDOFF_NAME_SIZE = 40;
constexpr size_t HANDOFF_MESH_SIZE = 40;
// Longest name or mesh text a record carries; the rest of the field is zero.
constexpr size_t HANDOFF_TEXT_MAX = 38;

constexpr const char* HANDOFF_EVA_FILE = "config\\UMmutmp.cfg";
constexpr const char* HANDOFF_TRANSFER_FILE = "config\\UMmutmpT.cfg";

struct CrewHandoffRecord {
  char name[HANDOFF_NAME_SIZE];  // "UMmu_" + label
  char mesh[HANDOFF_MESH_SIZE];  // suit mesh
  int32_t age;
  int32_t pulse;
  int32_t evaParameter;
  int32_t weight;
  int32_t spare1;
  int32_t spare2;
};

// The record's layout is the byte image's, at every width.
static_assert(sizeof(CrewHandoffRecord) == HANDOFF_RECORD_SIZE, "hand-off record size");
static_assert(offsetof(CrewHandoffRecord, name) == 0, "name");
static_assert(offsetof(CrewHandoffRecord, mesh) == 40, "suit mesh");
static_assert(offsetof(CrewHandoffRecord, age) == 80, "age");
static_assert(offsetof(CrewHandoffRecord, pulse) == 84, "pulse");
static_assert(offsetof(CrewHandoffRecord, evaParameter) == 88, "EVA parameter");
static_assert(offsetof(CrewHandoffRecord, weight) == 92, "weight");
static_assert(offsetof(CrewHandoffRecord, spare1) == 96, "first spare");
static_assert(offsetof(CrewHandoffRecord, spare2) == 100, "second spare");

// Little-endian byte image of the record (104 bytes).
void EncodeHandoffRecord(const CrewHandoffRecord& record, unsigned char* bytes);
// Reads the image back; the text fields are always terminated.
CrewHandoffRecord DecodeHandoffRecord(const unsigned char* bytes);

// The module-wide record buffer: a transfer record keeps the mesh bytes of
// the last record written by any vessel of the module.
CrewHandoffRecord& CrewHandoffBuffer();
