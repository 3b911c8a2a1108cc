// The crew add-on's version: read once from its version file, and the
// 20-second notice on the debug line when it is older than 2.0.
#include <cstdio>
#include <cstdlib>

#include "crew/crew_client.h"
#include "crew/crew_module.h"
#include "crew/notice_text.h"
#include "host/win.h"

namespace {

float cachedVersion = 0;
constexpr int DEBUG_LINE_SIZE = 256;
constexpr int VERSION_TEXT_CHARS = 13;

}  // namespace

float ReadCrewAddonVersion() {
  if (cachedVersion != 0) return cachedVersion;
  FILE* f = OpenHostFile(CREW_VERSION_FILE, "r");
  if (f == nullptr) return -1;
  char text[VERSION_TEXT_CHARS + 1] = {};
  if (std::fgets(text, sizeof text, f) == nullptr) text[0] = '\0';
  std::fclose(f);
  cachedVersion = static_cast<float>(std::strtod(text, nullptr));
  return cachedVersion;
}

void ResetCrewAddonVersionCache() { cachedVersion = 0; }

void CrewClient::ShowVersionWarning(const char* vesselDisplayName) {
  const char* name = vesselDisplayName != nullptr ? vesselDisplayName : "";
  if (!IsReady()) {
    std::snprintf(oapiDebugString(), DEBUG_LINE_SIZE, "%s ERROR UMMU 2.0 not properly initialised in your code.",
                  name);
    return;
  }
  char line[DEBUG_LINE_SIZE];
  if (ComposeVersionNotice(name, outdatedFlag, oapiGetSysTime(), noticeDeadline, line, sizeof line))
    std::snprintf(oapiDebugString(), DEBUG_LINE_SIZE, "%s", line);
}
