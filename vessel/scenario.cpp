#include "vessel/scenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "vessel/kvq_r7700.h"

namespace {

constexpr size_t LINE_BUFFER = 256;
// Larger magnitudes would not fit a saved line of this size (the host reads
// lines of the same size back), so a saved scenario would load back other
// values: they do not convert.
constexpr double VALUE_MAGNITUDE_LIMIT = 1e15;

// First-match test: the item name at the start of the line, any letter case,
// over the name's length only.
bool HasItem(const char* line, const char* item, size_t length) { return strncasecmp(line, item, length) == 0; }

void WriteLine(FILEHANDLE scn, const char* item, const char* format, ...) __attribute__((format(printf, 3, 4)));
void WriteLine(FILEHANDLE scn, const char* item, const char* format, ...) {
  char text[LINE_BUFFER];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  oapiWriteScenario_string(scn, item, text);
}

// Values from a scenario are brought into the ranges every other writer keeps.
void ClampRanges(KVQ_R7700& v) {
  v.towMode = std::clamp(v.towMode, -2, 2);
  v.transmission = std::clamp(v.transmission, -1, 2);
  v.gearIndex = std::clamp(v.gearIndex, 0, 5);
}

}  // namespace

int ScanValues(const char* text, const char* kinds, int* ints[], double* doubles[]) {
  int stored = 0;
  int nextInt = 0, nextDouble = 0;
  const char* p = text;
  for (const char* k = kinds; *k != '\0'; ++k) {
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    char* end = nullptr;
    errno = 0;
    if (*k == 'i') {
      const long value = std::strtol(p, &end, 0);
      if (end == p || errno == ERANGE || value < INT_MIN || value > INT_MAX) break;
      *ints[nextInt++] = static_cast<int>(value);
    } else {
      const double value = std::strtod(p, &end);
      if (end == p || !std::isfinite(value) || std::fabs(value) > VALUE_MAGNITUDE_LIMIT) break;
      *doubles[nextDouble++] = value;
    }
    p = end;
    ++stored;
  }
  return stored;
}

void SaveTractorState(KVQ_R7700& v, FILEHANDLE scn) {
  v.VESSEL2::clbkSaveState(scn);
  v.crew.SaveCrewLines(scn);
  WriteLine(scn, "MODE", "%i %lf %i", v.towMode, v.speed, v.parkingBrake ? 1 : 0);
  WriteLine(scn, "TRANS", "%i %i %lf", v.transmission, v.gearIndex, v.fuel);
  WriteLine(scn, "LENG", "%lf %lf %lf %lf", v.towbarHitchOffset, v.towbarLength, v.vesselHitchOffset, v.vesselLength);
  WriteLine(scn, "ANGL", "%lf %lf %lf", v.towbarYaw, v.vesselYaw, v.towbarPitch);
}

bool ReadTractorLine(KVQ_R7700& v, const char* line) {
  if (HasItem(line, "MODE", 4)) {
    int parking = 0;
    int* ints[] = {&v.towMode, &parking};
    double* doubles[] = {&v.speed};
    ScanValues(line + 4, "idi", ints, doubles);
    v.parkingBrake = parking == 1;
  } else if (HasItem(line, "TRANS", 5)) {
    int* ints[] = {&v.transmission, &v.gearIndex};
    double* doubles[] = {&v.fuel};
    ScanValues(line + 5, "iid", ints, doubles);
  } else if (HasItem(line, "LENG", 4)) {
    double* doubles[] = {&v.towbarHitchOffset, &v.towbarLength, &v.vesselHitchOffset, &v.vesselLength};
    ScanValues(line + 4, "dddd", nullptr, doubles);
  } else if (HasItem(line, "ANGL", 4)) {
    double* doubles[] = {&v.towbarYaw, &v.vesselYaw, &v.towbarPitch};
    ScanValues(line + 4, "ddd", nullptr, doubles);
  } else {
    return false;
  }
  ClampRanges(v);
  return true;
}

void LoadTractorState(KVQ_R7700& v, FILEHANDLE scn, void* status) {
  char* line = nullptr;
  while (oapiReadScenario_nextline(scn, line)) {
    if (line == nullptr) continue;
    if (ReadTractorLine(v, line)) continue;
    if (v.crew.LoadCrewLine(line) == 1) continue;
    v.ParseScenarioLineEx(line, status);
  }
}
