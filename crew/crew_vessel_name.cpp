#include "crew/crew_vessel_name.h"

#include <cstdio>
#include <cstring>

#include "crew/crew_text.h"

namespace {

constexpr size_t NAME_CHARS = 25;
constexpr size_t CODE_CHARS = 4;

}  // namespace

void MakeCrewVesselName(char* name, size_t size, bool (*taken)(const char*)) {
  if (name == nullptr || size == 0) return;
  for (char* c = name; *c != '\0'; ++c) {
    if (*c == ' ') *c = '_';
  }
  if (taken == nullptr || !taken(name)) return;
  char base[64];
  CopyBounded(base, sizeof base, name);
  const size_t baseLength = std::strlen(base);
  for (int i = 1; i <= CREW_NAME_SUFFIX_MAX; ++i) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%d", i);
    const size_t room = size - 1 - std::strlen(digits);
    const size_t kept = CopyBounded(name, size, base, baseLength < room ? baseLength : room);
    CopyBounded(name + kept, size - kept, digits);
    if (!taken(name)) return;
  }
}

void SplitCrewLabel(const char* label, char* code, size_t codeSize, char* name, size_t nameSize) {
  CopyBounded(code, codeSize, "");
  const char* dash = label != nullptr ? std::strchr(label, '-') : nullptr;
  if (dash == nullptr) {
    CopyBounded(name, nameSize, label, NAME_CHARS);
    return;
  }
  const size_t codeLength = static_cast<size_t>(dash - label);
  CopyBounded(code, codeSize, label, codeLength < CODE_CHARS ? codeLength : CODE_CHARS);
  CopyBounded(name, nameSize, dash + 1, NAME_CHARS);
}
