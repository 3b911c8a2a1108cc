// Function codes of crew members and the suit meshes they wear on foot:
// a built-in list plus entries named by the files of the add-on's
// configuration folder.
#pragma once

#include <cstddef>

constexpr int FUNCTION_TABLE_SIZE = 255;
constexpr int FUNCTION_FILES_LIMIT = 253;  // entries (with entry 0) before files stop being taken
constexpr int BUILT_IN_FUNCTIONS_UP_TO = 14;  // the built-in list is added while count <= this
constexpr const char* FUNCTION_FILES = "config\\UMMUIdConfig\\*.cfg";
constexpr const char* DEFAULT_SUIT_MESH = "ummu/ummu";
constexpr size_t SUIT_MESH_SIZE = 40;

struct CrewFunction {
  char code[5];
  char description[25];
  char mesh[25];
};

struct CrewFunctionTable {
  CrewFunction entries[FUNCTION_TABLE_SIZE];
  int count;
};

CrewFunctionTable& GetCrewFunctionTable();
// Entry 0 only.
void ResetFunctionTable(CrewFunctionTable& table);
// Adds the entry a file name "mesh-description-code.cfg" stands for; false
// when the name does not fit or the table takes no more files.
bool AddFunctionFileName(CrewFunctionTable& table, const char* fileName);
// Appends the built-in list when at most 13 files were taken.
void FinishFunctionTable(CrewFunctionTable& table);
// Mesh of the first entry whose code matches (letter case ignored), or the
// default suit.
const char* LookUpSuitMesh(const CrewFunctionTable& table, const char* code);

// Fills the module-wide table from the built-in list and the folder listing.
void BuildCrewFunctionTable();
// The suit mesh of the next crew vessel (set by CrewClient::SelectEvaMesh).
char* CrewSuitMeshName();
