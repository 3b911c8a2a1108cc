// Heap allocations seen by the benchmark executable's replaced allocator
// (malloc, calloc, realloc and operator new, in the module and the host too).
#pragma once

#include <atomic>

extern std::atomic<long> allocations;  // made since the start
extern bool allocationFailure;         // a benchmark that must not allocate did
