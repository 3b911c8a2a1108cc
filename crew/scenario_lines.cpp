// The roster in the scenario: one "UMMUCREW" line per member.
#include <cstring>

#include "crew/airlock_link.h"
#include "crew/crew_client.h"
#include "crew/crew_line.h"

namespace {

constexpr size_t LINE_VALUE_SIZE = 300;

}  // namespace

int CrewClient::SaveCrewLines(FILEHANDLE scn) const {
  if (!IsReady() || crewCount <= 0 || scn == nullptr) return 0;
  char value[LINE_VALUE_SIZE];
  for (int i = 0; i < crewCount; ++i) {
    FormatCrewLine(roster[i], value, sizeof value);
    oapiWriteScenario_string(scn, CREW_LINE_KEY, value);
  }
  return 1;
}

int CrewClient::LoadCrewLine(const char* line) {
  if (!IsReady() || line == nullptr) return 0;
  // The scenario's crew replaces the crew the class set up, whatever the
  // first offered line holds.
  if (linesLoaded == -1) {
    if (vessel != nullptr && autoMass == 1) oapiSetEmptyMass(vessel, oapiGetEmptyMass(vessel) - totalCrewWeight);
    std::memset(roster, 0, sizeof roster);
    totalCrewWeight = 0;
    linesLoaded = 0;
    crewCount = 0;
    PublishSeats();
  }
  if (crewCount >= maxCrew) return 0;
  CrewMember member{};
  if (!ParseCrewLine(line, member)) {
    roster[crewCount] = CrewMember{};
    return 0;
  }
  roster[crewCount] = member;
  linesLoaded += 1;
  airlock.PublishFreeSeats(maxCrew - (crewCount + 1));
  if (vessel != nullptr && autoMass == 1) oapiSetEmptyMass(vessel, oapiGetEmptyMass(vessel) + member.weight);
  crewCount += 1;
  totalCrewWeight += member.weight;
  return 1;
}
