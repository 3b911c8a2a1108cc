#include "crew/function_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "crew/crew_text.h"

namespace {

constexpr size_t MESH_PART_MAX = 18;
constexpr size_t DESCRIPTION_MAX = 24;
constexpr size_t CODE_MIN = 2, CODE_MAX = 4;

const CrewFunction BUILT_IN_FUNCTIONS[] = {
    {"Capt", "pilot", "ummu/ummup"},         {"Ast", "astronaut", "ummu/ummu"},
    {"Sec", "security", "ummu/ummuSEC"},     {"Vip", "vip", "ummu/ummuVIP"},
    {"Sci", "scientist", "ummu/ummuSCI"},    {"Bio", "biologist", "ummu/ummuSCI"},
    {"Doc", "doctor", "ummu/ummuMED"},       {"Geo", "geologist", "ummu/ummuSCI"},
    {"Exo", "exobiologist", "ummu/ummuSCI"}, {"Clim", "climatologist", "ummu/ummuSCI"},
    {"APhy", "astrophysicist", "ummu/ummuSCI"}, {"Chem", "chemist", "ummu/ummuSCI"},
    {"Eng", "engineer", "ummu/ummuTECH"},    {"Min", "miner", "ummu/ummuTECH"},
    {"Tech", "technician", "ummu/ummuTECH"}, {"Spe", "mission specialist", "ummu/ummuTECH"},
};
constexpr int BUILT_IN_COUNT = sizeof BUILT_IN_FUNCTIONS / sizeof BUILT_IN_FUNCTIONS[0];
static_assert(BUILT_IN_COUNT == 16);

}  // namespace

CrewFunctionTable& GetCrewFunctionTable() {
  static CrewFunctionTable table{};
  return table;
}

char* CrewSuitMeshName() {
  static char mesh[SUIT_MESH_SIZE] = "ummu/ummu";
  return mesh;
}

void ResetFunctionTable(CrewFunctionTable& table) {
  std::memset(&table, 0, sizeof table);
  CopyBounded(table.entries[0].description, sizeof table.entries[0].description, "passenger");
  CopyBounded(table.entries[0].mesh, sizeof table.entries[0].mesh, DEFAULT_SUIT_MESH);
  table.count = 1;
}

bool AddFunctionFileName(CrewFunctionTable& table, const char* fileName) {
  if (fileName == nullptr || table.count >= FUNCTION_FILES_LIMIT) return false;
  const char* firstDash = std::strchr(fileName, '-');
  if (firstDash == nullptr) return false;
  const size_t meshLength = static_cast<size_t>(firstDash - fileName);
  if (meshLength < 1 || meshLength > MESH_PART_MAX) return false;
  const char* description = firstDash + 1;
  const char* secondDash = std::strchr(description, '-');
  if (secondDash == nullptr) return false;
  const char* code = secondDash + 1;
  const char* dot = std::strchr(code, '.');
  if (dot == nullptr) return false;
  const size_t codeLength = static_cast<size_t>(dot - code);
  if (codeLength < CODE_MIN || codeLength > CODE_MAX) return false;

  CrewFunction& e = table.entries[table.count];
  char meshPart[MESH_PART_MAX + 1];
  CopyBounded(meshPart, sizeof meshPart, fileName, meshLength);
  std::snprintf(e.mesh, sizeof e.mesh, "ummu/%s", meshPart);
  CopyBounded(e.description, sizeof e.description, description,
              std::min(static_cast<size_t>(secondDash - description), DESCRIPTION_MAX));
  CopyBounded(e.code, sizeof e.code, code, codeLength);
  table.count += 1;
  return true;
}

void FinishFunctionTable(CrewFunctionTable& table) {
  if (table.count > BUILT_IN_FUNCTIONS_UP_TO) return;
  for (const CrewFunction& f : BUILT_IN_FUNCTIONS) table.entries[table.count++] = f;
}

const char* LookUpSuitMesh(const CrewFunctionTable& table, const char* code) {
  if (code == nullptr || code[0] == '\0') return DEFAULT_SUIT_MESH;
  for (int i = 0; i < FUNCTION_TABLE_SIZE && table.entries[i].mesh[0] != '\0'; ++i) {
    if (EqualsIgnoreCase(table.entries[i].code, code)) return table.entries[i].mesh;
  }
  return DEFAULT_SUIT_MESH;
}
