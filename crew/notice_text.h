// The debug-line texts of the crew add-on's version notice, computed from
// the system time alone.
#pragma once

#include <cstddef>

constexpr double NOTICE_DURATION = 20.0;  // s
constexpr const char* CREW_ADDON_DOWNLOAD = "https://kvq-r7700.example/ummu";

// Fills out with the notice line for time now and returns true when the
// debug line is to be written (an empty out means: empty it). Moves deadline
// to -1 once the notice has run out. Nothing to write while deadline <= 0.
bool ComposeVersionNotice(const char* vesselName, int outdated, double now, double& deadline, char* out,
                          size_t size);
