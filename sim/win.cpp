// The Windows layer of the host: simulator paths resolved against the root
// without regard to case, libraries over dlopen, directory listings.
#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/win.h"
#include "sim/world.h"

namespace host {
namespace {

bool Exists(const std::string& p) {
  struct stat st{};
  return stat(p.c_str(), &st) == 0;
}

bool IsDir(const std::string& p) {
  struct stat st{};
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RootDir() {
  const std::string& r = W().options.root;
  return r.empty() ? std::string(".") : r;
}

// The spelling of `name` inside `dir`: exact when it exists, otherwise the
// first entry that matches without regard to case, otherwise `name`.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  if (name == "." || name == ".." || Exists(dir + "/" + name)) return name;
  std::string found = name;
  if (DIR* d = opendir(dir.c_str())) {
    std::vector<std::string> hits;
    while (dirent* e = readdir(d)) {
      if (strcasecmp(e->d_name, name.c_str()) == 0) hits.emplace_back(e->d_name);
    }
    closedir(d);
    if (!hits.empty()) {
      std::sort(hits.begin(), hits.end());  // stable choice when several spellings exist
      found = hits.front();
    }
  }
  return found;
}

bool WildMatch(const char* pat, const char* s) {
  for (; *pat; ++pat, ++s) {
    if (*pat == '*') {
      while (*pat == '*') ++pat;
      if (!*pat) return true;
      for (; *s; ++s) {
        if (WildMatch(pat, s)) return true;
      }
      return false;
    }
    if (!*s) return false;
    if (*pat != '?' && tolower(static_cast<unsigned char>(*pat)) != tolower(static_cast<unsigned char>(*s)))
      return false;
  }
  return *s == 0;
}

struct Library {
  std::string path;  // resolved
  std::string file;  // file name
  void* handle = nullptr;
  int refs = 0;
};

std::vector<Library>& Libraries() {
  static std::vector<Library> libs;
  return libs;
}

// Every library the host has loaded in this process. They stay mapped once
// loaded (RTLD_NODELETE): a module linked straight into an executable
// outlives a host session and may still hold entry points of its add-ons.
std::vector<std::string>& EverLoaded() {
  static std::vector<std::string> paths;
  return paths;
}

bool WasEverLoaded(const std::string& path) {
  char real[4096];
  const std::string p = realpath(path.c_str(), real) ? std::string(real) : path;
  for (const auto& e : EverLoaded()) {
    if (e == p) return true;
  }
  return false;
}

struct FindState {
  std::string dir;
  std::vector<std::string> names;
  size_t next = 0;
};

void FillFind(FindState* f, WIN32_FIND_DATAA* data) {
  const std::string& n = f->names[f->next++];
  const std::string full = f->dir + "/" + n;
  struct stat st{};
  stat(full.c_str(), &st);
  data->dwFileAttributes = S_ISDIR(st.st_mode) ? 0x10u : 0x80u;
  data->nFileSizeLow = static_cast<DWORD>(st.st_size);
  CopyBounded(data->cFileName, sizeof data->cFileName, n.c_str());
}

const char* BaseName(const char* p) {
  const char* b = p;
  for (const char* c = p; *c; ++c) {
    if (*c == '/' || *c == '\\') b = c + 1;
  }
  return b;
}

}  // namespace

std::string Resolve(const char* path) {
  std::string p = path ? path : "";
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  std::string out;
  size_t i = 0;
  if (!p.empty() && p[0] == '/') {
    out = "";
    i = 1;
  } else {
    out = RootDir();
  }
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (!part.empty()) {
      const std::string dir = out.empty() ? std::string("/") : out;
      out += '/';
      out += MatchEntry(dir, part);
    }
    i = j + 1;
  }
  return out.empty() ? std::string("/") : out;
}

HMODULE LoadHostLibrary(const char* path) { return LoadLibraryA(path); }

bool FreeHostLibrary(HMODULE module) { return FreeLibrary(module); }

void UnloadAllLibraries() {
  auto& libs = Libraries();
  while (!libs.empty()) {
    Library lib = libs.back();
    libs.pop_back();
    for (int i = 0; i < lib.refs; ++i) dlclose(lib.handle);
  }
}

}  // namespace host

using host::Libraries;

bool DeleteFileA(const char* path) {
  if (path == nullptr) return false;
  return unlink(host::Resolve(path).c_str()) == 0;
}

HMODULE LoadLibraryA(const char* path) {
  if (path == nullptr || *path == 0) return nullptr;
  std::string resolved = host::Resolve(path);
  // A bare file name is looked for in the root, then in Modules.
  if (!host::Exists(resolved) && std::strpbrk(path, "/\\") == nullptr) {
    const std::string alt = host::Resolve((std::string("Modules\\") + path).c_str());
    if (host::Exists(alt)) resolved = alt;
  }
  if (!host::Exists(resolved) || host::IsDir(resolved)) return nullptr;
  char real[4096];
  if (realpath(resolved.c_str(), real) != nullptr) resolved = real;
  for (auto& lib : Libraries()) {
    if (lib.path == resolved) {
      ++lib.refs;
      dlopen(resolved.c_str(), RTLD_NOW | RTLD_NODELETE);  // keeps dlclose balanced
      return lib.handle;
    }
  }
  void* h = dlopen(resolved.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  if (h == nullptr) {
    std::fprintf(stderr, "host: cannot load %s: %s\n", resolved.c_str(), dlerror());
    return nullptr;
  }
  if (!host::WasEverLoaded(resolved)) host::EverLoaded().push_back(resolved);
  Libraries().push_back({resolved, host::BaseName(resolved.c_str()), h, 1});
  return h;
}

HMODULE GetModuleHandleA(const char* name) {
  if (name == nullptr) return nullptr;
  const char* base = host::BaseName(name);
  for (auto& lib : Libraries()) {
    if (strcasecmp(lib.file.c_str(), base) == 0) return lib.handle;
  }
  // Libraries linked in directly; not those the host loaded in an earlier
  // session and has let go of since.
  const std::string candidates[] = {host::Resolve(name), host::Resolve((std::string("Modules\\") + base).c_str())};
  for (const auto& c : candidates) {
    if (!host::Exists(c) || host::WasEverLoaded(c)) continue;
    if (void* h = dlopen(c.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      dlclose(h);  // NOLOAD took a reference
      return h;
    }
  }
  return nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  void* p = dlsym(module, name);
  FARPROC f = nullptr;
  static_assert(sizeof f == sizeof p);
  std::memcpy(&f, &p, sizeof f);
  return f;
}

bool FreeLibrary(HMODULE module) {
  auto& libs = Libraries();
  for (size_t i = 0; i < libs.size(); ++i) {
    if (libs[i].handle != module) continue;
    dlclose(module);
    if (--libs[i].refs == 0) libs.erase(libs.begin() + static_cast<long>(i));
    return true;
  }
  return false;
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || data == nullptr) return INVALID_HANDLE_VALUE;
  std::string p = pattern;
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  const size_t slash = p.rfind('/');
  const std::string dirPart = slash == std::string::npos ? std::string() : p.substr(0, slash);
  const std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
  auto* f = new host::FindState;
  f->dir = dirPart.empty() ? host::RootDir() : host::Resolve(dirPart.c_str());
  if (DIR* d = opendir(f->dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      if (host::WildMatch(last.c_str(), e->d_name)) f->names.emplace_back(e->d_name);
    }
    closedir(d);
  }
  std::sort(f->names.begin(), f->names.end());
  if (f->names.empty()) {
    delete f;
    return INVALID_HANDLE_VALUE;
  }
  host::FillFind(f, data);
  return f;
}

bool FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  if (find == nullptr || find == INVALID_HANDLE_VALUE || data == nullptr) return false;
  auto* f = static_cast<host::FindState*>(find);
  if (f->next >= f->names.size()) return false;
  host::FillFind(f, data);
  return true;
}

bool FindClose(HANDLE find) {
  if (find == nullptr || find == INVALID_HANDLE_VALUE) return false;
  delete static_cast<host::FindState*>(find);
  return true;
}
