// The host side of the function table: the folder listing, and the choice of
// suit mesh before a crew member goes out.
#include "crew/crew_client.h"
#include "crew/crew_text.h"
#include "crew/function_table.h"
#include "host/win.h"

void BuildCrewFunctionTable() {
  CrewFunctionTable& table = GetCrewFunctionTable();
  ResetFunctionTable(table);
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(FUNCTION_FILES, &found);
  if (find != INVALID_HANDLE_VALUE && find != nullptr) {
    do {
      if (table.count >= FUNCTION_FILES_LIMIT) break;
      AddFunctionFileName(table, found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  FinishFunctionTable(table);
}

void CrewClient::SelectEvaMesh(const char* functionCode) {
  char* mesh = CrewSuitMeshName();
  CopyBounded(mesh, SUIT_MESH_SIZE, DEFAULT_SUIT_MESH);
  if (!EqualsIgnoreCase(evaMesh, "UMmu\\UMMu")) {
    CopyBounded(mesh, SUIT_MESH_SIZE, evaMesh);
    return;
  }
  CopyBounded(mesh, SUIT_MESH_SIZE, LookUpSuitMesh(GetCrewFunctionTable(), functionCode));
}
