#include "crew/crew_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "crew/crew_text.h"

namespace {

constexpr size_t TOKEN_SIZE = 300;
constexpr size_t CODE_CHARS = 4;
constexpr size_t NAME_CHARS = 25;
constexpr size_t NUMBER_CHARS = 5;
constexpr int AGE_MIN = 1, AGE_MAX = 140;
constexpr int PULSE_MIN = 1, PULSE_MAX = 180;
constexpr int WEIGHT_MIN = 5, WEIGHT_MAX = 300;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the number after the separator at *pos and moves *pos to the next
// separator (or the end). False when there is no separator.
bool ReadField(const char*& pos, int& value) {
  if (*pos != '-') return false;
  ++pos;
  const char* end = std::strchr(pos, '-');
  const size_t length = end != nullptr ? static_cast<size_t>(end - pos) : std::strlen(pos);
  char digits[NUMBER_CHARS + 1];
  CopyBounded(digits, sizeof digits, pos, length);
  value = std::atoi(digits);
  pos += length;
  return true;
}

}  // namespace

void FormatCrewLine(const CrewMember& member, char* out, size_t size) {
  std::snprintf(out, size, "%s-%s-%i-%i-%i", member.functionCode, member.name, member.age, member.pulse,
                static_cast<int>(member.weight));
  for (char* c = out; *c != '\0'; ++c) {
    if (*c == ' ') *c = '_';
  }
}

bool ParseCrewLine(const char* line, CrewMember& member) {
  member = CrewMember{};
  if (line == nullptr || !StartsWithIgnoreCase(line, CREW_LINE_KEY)) return false;
  const char* p = line + std::strlen(CREW_LINE_KEY);
  while (IsBlank(*p)) ++p;
  char token[TOKEN_SIZE];
  size_t n = 0;
  while (p[n] != '\0' && !IsBlank(p[n]) && n + 1 < sizeof token) {
    token[n] = p[n];
    ++n;
  }
  token[n] = '\0';

  CrewMember m{};
  if (token[0] != '-') {
    const char* dash = std::strchr(token, '-');
    const size_t codeLength = dash != nullptr ? static_cast<size_t>(dash - token) : std::strlen(token);
    CopyBounded(m.functionCode, sizeof m.functionCode, token, codeLength < CODE_CHARS ? codeLength : CODE_CHARS);
  }
  const char* pos = std::strchr(token, '-');
  if (pos == nullptr) return false;
  ++pos;
  const char* nameEnd = std::strchr(pos, '-');
  const size_t nameLength = nameEnd != nullptr ? static_cast<size_t>(nameEnd - pos) : std::strlen(pos);
  CopyBounded(m.name, sizeof m.name, pos, nameLength < NAME_CHARS ? nameLength : NAME_CHARS);
  for (char* c = m.name; *c != '\0'; ++c) {
    if (*c == '_') *c = ' ';
  }
  SanitizeCrewName(m.name);
  if (m.name[0] == '\0') return false;
  pos += nameLength;

  int age = 0, pulse = 0, weight = 0;
  if (!ReadField(pos, age) || age < AGE_MIN || age > AGE_MAX) return false;
  if (!ReadField(pos, pulse) || pulse < PULSE_MIN || pulse > PULSE_MAX) return false;
  if (!ReadField(pos, weight) || weight < WEIGHT_MIN || weight > WEIGHT_MAX) return false;
  m.age = age;
  m.pulse = pulse;
  m.weight = weight;
  member = m;
  return true;
}
