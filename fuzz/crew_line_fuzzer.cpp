// Crew lines of a scenario ("UMMUCREW code-name-age-pulse-weight") in any
// shape, offered to the crew client of a tractor. After every line: the
// roster within its seats and its figures in range, the empty mass carrying
// exactly the crew's weight, and an accepted member saved and read back to
// the same record.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "crew/crew_line.h"
#include "fuzz/fuzz_host.h"
#include "tests/support/invariants.h"

namespace {

std::string Describe(const CrewMember& m) {
  char text[160];
  std::snprintf(text, sizeof text, "[%s|%s|%d|%d|%g]", m.functionCode, m.name, m.age, m.pulse, m.weight);
  return text;
}

void CheckMember(const CrewMember& m) {
  if (std::memchr(m.functionCode, '\0', sizeof m.functionCode) == nullptr) fuzz::Require("code not terminated", "line");
  if (std::strchr(m.functionCode, '-') != nullptr) fuzz::Require("code holds the separator", "line");
  for (const char* c = m.name; *c != '\0'; ++c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (!(u == ' ' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')))
      fuzz::Require("name holds " + std::to_string(u) + " " + Describe(m), "line");
  }
  if (m.name[0] == '\0') fuzz::Require("empty name accepted", "line");
  if (m.age < 1 || m.age > 140 || m.pulse < 1 || m.pulse > 180 || m.weight < 5 || m.weight > 300)
    fuzz::Require("figures out of range " + Describe(m), "line");
  // Saving and reading again gives the same member.
  char value[300];
  FormatCrewLine(m, value, sizeof value);
  const std::string line = std::string("UMMUCREW ") + value;
  CrewMember back{};
  if (!ParseCrewLine(line.c_str(), back)) fuzz::Require("saved line refused: " + line, "round trip");
  if (std::strcmp(back.name, m.name) != 0 || std::strcmp(back.functionCode, m.functionCode) != 0 ||
      back.age != m.age || back.pulse != m.pulse || back.weight != m.weight)
    fuzz::Require("round trip " + Describe(m) + " -> " + Describe(back), "round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size && lines.size() < 12; ++i) {
    if (data[i] == '\n')
      lines.emplace_back();
    else if (data[i] != '\0')
      lines.back().push_back(static_cast<char>(data[i]));
  }

  // The line reader on its own.
  for (const auto& l : lines) {
    CrewMember m{};
    if (ParseCrewLine(l.c_str(), m)) CheckMember(m);
  }

  // The client of a tractor that has its default crew aboard. One host and
  // tractor serve every input: the client and the mass the tractor had when
  // it was made are put back before each.
  static KVQ_R7700* tug = nullptr;
  static CrewClient fresh;
  static double freshMass = 0;
  if (tug == nullptr) {
    fuzz::Restart();
    tug = fuzz::NewTractor();
    fresh = tug->crew;
    freshMass = tug->GetEmptyMass();
  }
  CrewClient& crew = tug->crew;
  crew = fresh;
  crew.PublishSeats();
  tug->SetEmptyMass(freshMass);
  const double bareMass = tug->GetEmptyMass() - crew.totalCrewWeight;
  for (const auto& l : lines) {
    // The first line offered replaces the class's default crew.
    const int before = crew.linesLoaded == -1 ? 0 : crew.crewCount;
    const int r = crew.LoadCrewLine(l.c_str());
    fuzz::Require(CheckTractorInvariants(*tug), "a crew line");
    if (crew.crewCount != before + (r == 1 ? 1 : 0)) fuzz::Require("result and roster disagree", "a crew line");
    if (r == 1) CheckMember(crew.roster[crew.crewCount - 1]);
    if (std::fabs(tug->GetEmptyMass() - bareMass - crew.totalCrewWeight) > 1e-6)
      fuzz::Require("empty mass does not carry the crew", "a crew line");
  }
  if (crew.linesLoaded != crew.crewCount) fuzz::Require("lines counted and crew differ", "crew lines");
  return 0;
}
