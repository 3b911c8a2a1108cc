// Simulator paths for the module and the add-ons: resolved against the root
// by the platform's Windows layer (win.cpp or win32.cpp).
#include <cstring>

#include "host/win.h"
#include "sim/world.h"

bool ResolveHostPath(const char* path, char* out, size_t n) {
  if (path == nullptr || out == nullptr || n == 0) return false;
  const std::string r = host::Resolve(path);
  if (r.size() + 1 > n) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, r.c_str(), r.size() + 1);
  return true;
}

FILE* OpenHostFile(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  return std::fopen(host::Resolve(path).c_str(), mode);
}
