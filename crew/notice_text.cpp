#include "crew/notice_text.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double BLINK_PHASE = 5.0;   // s before the end: the notice blinks
constexpr double CYCLE = 15.0;        // s, period of the two alternating texts
constexpr double FIRST_TEXT = 10.0;   // s of each period showing the first text
constexpr double BLINK_ON = 0.75;     // s of each second the blinking text shows

}  // namespace

bool ComposeVersionNotice(const char* vesselName, int outdated, double now, double& deadline, char* out,
                          size_t size) {
  if (deadline <= 0 || out == nullptr || size == 0) return false;
  const double remaining = deadline - now;
  const double shown = static_cast<float>(remaining);
  const char* name = vesselName != nullptr ? vesselName : "";
  if (remaining > BLINK_PHASE) {
    if (std::fmod(now, CYCLE) < FIRST_TEXT)
      std::snprintf(out, size, "%s require \"Universal MMU\" ver 2.0 or higher. Download at %s (%0.0f)", name,
                    CREW_ADDON_DOWNLOAD, shown);
    else if (outdated)
      std::snprintf(out, size, "Your version of UMMU is outdated (%0.0f)", shown);
    else
      std::snprintf(out, size, "UMMU 2.0 will push this addon one step further. (%0.0f)", shown);
  } else if (std::fmod(now, 1.0) >= BLINK_ON) {
    out[0] = '\0';
  } else if (outdated) {
    std::snprintf(out, size, "Your version of UMMU is outdated (%0.0f)", shown);
  } else {
    std::snprintf(out, size, "Don't Miss Universal MMU 2.0 for Orbiter (UMMU) (%0.0f)", shown);
  }
  if (deadline < now) {
    out[0] = '\0';
    deadline = -1;
  }
  return true;
}
