// The standard start-up of a module library: when the host loads it, the
// library hands its own instance to the host's InitLib, as a Windows library
// does from its entry point. Linked into every module (not through the
// static host library, which would leave it out: nothing refers to it).
#include "host/oapi.h"

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitLib(instance);
  return TRUE;
}

#else

#include <dlfcn.h>

namespace {

__attribute__((constructor)) void ModuleStartup() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleStartup), &info) == 0 || info.dli_fname == nullptr) return;
  // RTLD_NOLOAD: the library is being loaded right now; this only gives its handle.
  void* self = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  if (self == nullptr) return;
  InitLib(self);
  dlclose(self);
}

}  // namespace

#endif
