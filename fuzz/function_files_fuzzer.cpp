// Names of the crew add-on's function files ("mesh-description-code.cfg"):
// any names, read by the name parser into a table fenced by guard bytes and
// compared with a plain model of the pattern; and the same names as files
// of a real config\UMMUIdConfig folder, listed by the table builder, which
// must give the table the parser gives for the sorted listing.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crew/function_table.h"
#include "fuzz/fuzz_host.h"

namespace {

constexpr size_t GUARD = 64;

struct Fenced {
  unsigned char before[GUARD];
  CrewFunctionTable table;
  unsigned char after[GUARD];
};

struct Expected {
  bool valid = false;
  std::string mesh, description, code;
};

Expected Model(const std::string& name) {
  Expected e;
  const size_t d1 = name.find('-');
  if (d1 == std::string::npos || d1 < 1 || d1 > 18) return e;
  const size_t d2 = name.find('-', d1 + 1);
  if (d2 == std::string::npos) return e;
  const size_t dot = name.find('.', d2 + 1);
  if (dot == std::string::npos) return e;
  const size_t codeLength = dot - d2 - 1;
  if (codeLength < 2 || codeLength > 4) return e;
  e.valid = true;
  e.mesh = "ummu/" + name.substr(0, d1);
  e.description = name.substr(d1 + 1, std::min<size_t>(d2 - d1 - 1, 24));
  e.code = name.substr(d2 + 1, codeLength);
  return e;
}

bool Terminated(const char* s, size_t n) { return std::memchr(s, '\0', n) != nullptr; }

void CheckTable(const CrewFunctionTable& t, const char* context) {
  if (t.count < 1 || t.count > FUNCTION_TABLE_SIZE) fuzz::Require("table count out of range", context);
  for (int i = 0; i < t.count; ++i) {
    const CrewFunction& e = t.entries[i];
    if (!Terminated(e.code, sizeof e.code) || !Terminated(e.description, sizeof e.description) ||
        !Terminated(e.mesh, sizeof e.mesh))
      fuzz::Require("entry not terminated", context);
    if (i > 0 && (std::strlen(e.code) < 2 || std::strlen(e.code) > 4)) fuzz::Require("code length", context);
    if (e.mesh[0] == '\0') fuzz::Require("entry without a mesh inside the table", context);
  }
}

// The table the parser gives for these names, in this order.
void Parse(const std::vector<std::string>& names, Fenced& f) {
  std::memset(&f, 0x5A, sizeof f);
  ResetFunctionTable(f.table);
  for (const auto& n : names) {
    const int before = f.table.count;
    const bool took = AddFunctionFileName(f.table, n.c_str());
    const Expected e = Model(n);
    if (before >= FUNCTION_FILES_LIMIT) {
      if (took) fuzz::Require("took a file beyond the limit", "a name");
      continue;
    }
    if (took != e.valid) fuzz::Require("parser and pattern disagree on " + n, "a name");
    if (took) {
      const CrewFunction& got = f.table.entries[before];
      if (e.code != got.code || e.description != got.description || e.mesh.substr(0, 24) != got.mesh)
        fuzz::Require("entry differs from the name's parts: " + n, "a name");
    }
  }
  FinishFunctionTable(f.table);
  for (size_t i = 0; i < GUARD; ++i)
    if (f.before[i] != 0x5A || f.after[i] != 0x5A) fuzz::Require("write outside the table", "names");
  CheckTable(f.table, "names");
  // A code that a file defines selects that file's mesh or an earlier one of
  // the same code.
  for (int i = 1; i < f.table.count; ++i) {
    const char* mesh = LookUpSuitMesh(f.table, f.table.entries[i].code);
    if (!Terminated(mesh, 25)) fuzz::Require("looked-up mesh not terminated", "a look-up");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < size && names.size() < 300; ++i) {
    if (data[i] == '\n')
      names.emplace_back();
    else if (data[i] != '\0')
      names.back().push_back(static_cast<char>(data[i]));
  }
  static Fenced parsed;
  Parse(names, parsed);

  // As files of the folder: only names a file system can hold, with the
  // extension the listing looks for.
  if (names.size() > 40) return 0;
  static bool started = false;
  if (!started) {
    fuzz::Restart();
    started = true;
  }
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(fuzz::Root()) / "Config" / "UMMUIdConfig";
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  std::vector<std::string> listed;
  for (auto n : names) {
    std::replace(n.begin(), n.end(), '/', '_');
    n = n.substr(0, 200) + ".cfg";
    if (std::find(listed.begin(), listed.end(), n) != listed.end()) continue;
    std::ofstream(dir / n) << "\n";
    listed.push_back(n);
  }
  std::sort(listed.begin(), listed.end());
  BuildCrewFunctionTable();
  static Fenced model;
  Parse(listed, model);
  const CrewFunctionTable& built = GetCrewFunctionTable();
  CheckTable(built, "the folder");
  if (built.count != model.table.count ||
      std::memcmp(built.entries, model.table.entries, sizeof built.entries) != 0)
    fuzz::Require("the folder's table differs from its names' table", "the folder");
  return 0;
}
