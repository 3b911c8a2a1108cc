#include "crew/handoff_record.h"

#include <cstring>

namespace {

void PutInt32(unsigned char* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
}

int32_t GetInt32(const unsigned char* p) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
  return static_cast<int32_t>(u);
}

constexpr size_t INT_FIELDS_AT = HANDOFF_NAME_SIZE + HANDOFF_MESH_SIZE;  // 80

}  // namespace

void EncodeHandoffRecord(const CrewHandoffRecord& record, unsigned char* bytes) {
  std::memcpy(bytes, record.name, HANDOFF_NAME_SIZE);
  std::memcpy(bytes + HANDOFF_NAME_SIZE, record.mesh, HANDOFF_MESH_SIZE);
  const int32_t values[6] = {record.age,    record.pulse,  record.evaParameter,
                             record.weight, record.spare1, record.spare2};
  for (int i = 0; i < 6; ++i) PutInt32(bytes + INT_FIELDS_AT + 4 * i, values[i]);
}

CrewHandoffRecord DecodeHandoffRecord(const unsigned char* bytes) {
  CrewHandoffRecord r{};
  std::memcpy(r.name, bytes, HANDOFF_NAME_SIZE);
  std::memcpy(r.mesh, bytes + HANDOFF_NAME_SIZE, HANDOFF_MESH_SIZE);
  r.name[HANDOFF_NAME_SIZE - 1] = '\0';
  r.mesh[HANDOFF_MESH_SIZE - 1] = '\0';
  r.age = GetInt32(bytes + INT_FIELDS_AT);
  r.pulse = GetInt32(bytes + INT_FIELDS_AT + 4);
  r.evaParameter = GetInt32(bytes + INT_FIELDS_AT + 8);
  r.weight = GetInt32(bytes + INT_FIELDS_AT + 12);
  r.spare1 = GetInt32(bytes + INT_FIELDS_AT + 16);
  r.spare2 = GetInt32(bytes + INT_FIELDS_AT + 20);
  return r;
}

CrewHandoffRecord& CrewHandoffBuffer() {
  static CrewHandoffRecord buffer{};
  return buffer;
}
