// The few operating-system services the module uses: libraries by name,
// exported entry points, directory listings and files. Paths are the
// simulator's relative paths ("Modules\Ummu.dll"): backslashes separate
// folders, letter case does not matter, and they are resolved against the
// simulator's working folder. On Windows these are the system's own
// functions (<windows.h>, through host/types.h) and the host works in that
// folder while it calls a module; elsewhere the host imitates them.
#pragma once

#include <cstdio>

#include "host/types.h"

#if !defined(_WIN32)
using HANDLE = void*;
using FARPROC = void (*)();
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  DWORD nFileSizeLow;
  char cFileName[MAX_PATH];
};

// Loads a library (once; a second call gives the same handle), null on failure.
OAPIFUNC HMODULE LoadLibraryA(const char* path);
// The handle of a library already loaded under that file name, or null.
OAPIFUNC HMODULE GetModuleHandleA(const char* name);
OAPIFUNC FARPROC GetProcAddress(HMODULE module, const char* name);
OAPIFUNC bool FreeLibrary(HMODULE module);

// Lists the files matching a pattern whose last part may hold '*' and '?'.
OAPIFUNC HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
OAPIFUNC bool FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
OAPIFUNC bool FindClose(HANDLE find);
OAPIFUNC bool DeleteFileA(const char* path);
#endif

// fopen of a simulator path; files to be created get their folder's
// existing spelling.
OAPIFUNC FILE* OpenHostFile(const char* path, const char* mode);
// The real path a simulator path names (existing parts matched without
// regard to case), bounded to n characters. False when it does not fit.
OAPIFUNC bool ResolveHostPath(const char* path, char* out, size_t n);

// An exported entry point as the function type it has. The cast passes
// through void (*)(), the one function type that converts to and from every
// other without a warning, whatever type FARPROC has on the platform.
template <typename F>
F EntryPointAs(FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}
