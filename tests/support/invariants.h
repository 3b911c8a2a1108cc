// Invariants of the tractor's state that no input may ever break. Returns an
// empty string when all hold, else a description of the first broken one.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "vessel/kvq_r7700.h"

inline std::string CheckTractorInvariants(const KVQ_R7700& v) {
  char why[160];
  auto fail = [&](const char* what, double value) {
    std::snprintf(why, sizeof why, "%s (%g)", what, value);
    return std::string(why);
  };
  if (v.towMode < -2 || v.towMode > 2) return fail("towMode out of range", v.towMode);
  if (v.transmission < -1 || v.transmission > 2) return fail("transmission out of range", v.transmission);
  if (v.gearIndex < 0 || v.gearIndex > 5) return fail("gearIndex out of range", v.gearIndex);
  if (v.steerMode < 0 || v.steerMode > 2) return fail("steerMode out of range", v.steerMode);
  const struct {
    const char* name;
    double value;
  } doubles[] = {
      {"speed", v.speed}, {"fuel", v.fuel}, {"rpm", v.rpm}, {"idleTime", v.idleTime},
      {"towbarHitchOffset", v.towbarHitchOffset}, {"towbarLength", v.towbarLength},
      {"vesselHitchOffset", v.vesselHitchOffset}, {"vesselLength", v.vesselLength},
      {"towbarYaw", v.towbarYaw}, {"vesselYaw", v.vesselYaw}, {"towbarPitch", v.towbarPitch},
      {"savedLatitude", v.savedLatitude}, {"savedLongitude", v.savedLongitude},
      {"savedHeading", v.savedHeading}, {"messageTime", v.messageTime},
      {"wheelRoll0", v.wheelRoll[0]}, {"wheelRoll3", v.wheelRoll[3]},
      {"steerFront0", v.steerFrontState[0]}, {"steerRear1", v.steerRearState[1]},
  };
  for (const auto& d : doubles)
    if (!std::isfinite(d.value)) return fail(d.name, d.value);
  if (std::memchr(v.messageText, '\0', sizeof v.messageText) == nullptr) return "messageText not terminated";
  const CrewPromptBlock& p = v.crewPrompt;
  if (p.crewPromptState < 0 || p.crewPromptState > 7) return fail("crewPromptState out of range", p.crewPromptState);
  if (std::memchr(p.crewPromptName, '\0', sizeof p.crewPromptName) == nullptr) return "prompt name not terminated";
  if (std::memchr(p.crewPromptAge, '\0', sizeof p.crewPromptAge) == nullptr) return "prompt age not terminated";
  const CrewClient& c = v.crew;
  if (c.crewCount < 0 || c.crewCount > 100) return fail("crewCount out of range", c.crewCount);
  if (c.IsReady() && c.crewCount > c.maxCrew) return fail("more crew than seats", c.crewCount);
  double sum = 0;
  for (int i = 0; i < c.crewCount; ++i) {
    const CrewMember& m = c.roster[i];
    if (std::memchr(m.name, '\0', sizeof m.name) == nullptr) return "crew name not terminated";
    if (std::strlen(m.name) > 25) return "crew name longer than 25";
    if (m.weight < 5 || m.weight > 300) return fail("crew weight out of range", m.weight);
    if (m.age < 1 || m.age > 140) return fail("crew age out of range", m.age);
    if (m.pulse < 0 || m.pulse > 180) return fail("crew pulse out of range", m.pulse);
    if (std::memchr(m.functionCode, '\0', sizeof m.functionCode) == nullptr) return "function code not terminated";
    sum += m.weight;
  }
  if (std::fabs(sum - c.totalCrewWeight) > 1e-9) return fail("total crew weight differs from the sum", c.totalCrewWeight);
  return "";
}
