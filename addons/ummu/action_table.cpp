#include "addons/ummu/action_table.h"

ActionAreaTable& SharedActionTable() {
  static ActionAreaTable table{};
  return table;
}

DLLCLBK ActionAreaTable* GetActionStructureAdress() { return &SharedActionTable(); }
