// The Windows layer of the host on Windows: libraries, directory listings
// and files are the system's own. The host adds simulator paths, resolved
// against the root with their letter case as found on disk, and keeps track
// of the libraries it loads so that a shutdown lets go of them all.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/win.h"
#include "sim/world.h"

namespace host {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(const std::string& p) { return (p.size() >= 2 && p[1] == ':') || (!p.empty() && IsSeparator(p[0])); }

// The spelling of `name` inside `dir` as the folder holds it, or `name`
// when there is no such entry.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  if (name == "." || name == ".." || name.find_first_of("*?") != std::string::npos) return name;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "\\" + name).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return name;
  FindClose(find);
  return data.cFileName;
}

// One entry per successful LoadHostLibrary, each freed once at shutdown.
std::vector<HMODULE>& Loaded() {
  static std::vector<HMODULE> libs;
  return libs;
}

char g_outsideFolder[MAX_PATH];
bool g_inRoot = false;

}  // namespace

std::string Resolve(const char* path) {
  std::string p = path ? path : "";
  std::replace(p.begin(), p.end(), '/', '\\');
  if (IsAbsolute(p)) return p;
  std::string out = W().options.root.empty() ? std::string(".") : W().options.root;
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find('\\', i);
    if (j == std::string::npos) j = p.size();
    const std::string part = p.substr(i, j - i);
    if (!part.empty()) {
      const std::string entry = MatchEntry(out, part);
      out += '\\';
      out += entry;
    }
    i = j + 1;
  }
  return out;
}

HMODULE LoadHostLibrary(const char* path) {
  if (path == nullptr || *path == 0) return nullptr;
  std::string resolved = Resolve(path);
  // A library of that file name already in the process (a module a test
  // program links, loaded from another root) is the one used: loaded again
  // from another folder it would be a second copy with module-wide data of
  // its own.
  const size_t slash = resolved.find_last_of("\\/");
  if (HMODULE present = GetModuleHandleA(resolved.c_str() + (slash == std::string::npos ? 0 : slash + 1))) {
    char own[MAX_PATH];
    const DWORD n = GetModuleFileNameA(present, own, sizeof own);
    if (n > 0 && n < sizeof own) resolved = own;
  }
  HMODULE h = LoadLibraryA(resolved.c_str());
  if (h == nullptr) {
    const DWORD attributes = GetFileAttributesA(resolved.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      std::fprintf(stderr, "host: cannot load %s: Windows error %lu\n", resolved.c_str(), GetLastError());
    }
    return nullptr;
  }
  Loaded().push_back(h);
  return h;
}

bool FreeHostLibrary(HMODULE module) {
  auto& libs = Loaded();
  const auto it = std::find(libs.rbegin(), libs.rend(), module);
  if (it == libs.rend()) return false;
  libs.erase(std::next(it).base());
  return FreeLibrary(module) != 0;
}

void UnloadAllLibraries() {
  auto& libs = Loaded();
  while (!libs.empty()) {
    HMODULE h = libs.back();
    libs.pop_back();
    FreeLibrary(h);
  }
}

void EnterRootFolder() {
  const std::string& root = W().options.root;
  if (root.empty() || g_inRoot) return;
  const DWORD n = GetCurrentDirectoryA(sizeof g_outsideFolder, g_outsideFolder);
  g_inRoot = n > 0 && n < sizeof g_outsideFolder && SetCurrentDirectoryA(root.c_str());
}

void LeaveRootFolder() {
  if (g_inRoot) SetCurrentDirectoryA(g_outsideFolder);
  g_inRoot = false;
}

}  // namespace host

