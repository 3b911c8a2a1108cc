// The crew line of the scenario: "UMMUCREW code-name-age-pulse-weight".
#pragma once

#include <cstddef>

#include "crew/crew_client.h"

constexpr const char* CREW_LINE_KEY = "UMMUCREW";

// The value written after the key; spaces become "_".
void FormatCrewLine(const CrewMember& member, char* out, size_t size);
// Reads a whole line, key included. False for anything but a valid crew
// line; the member is then left cleared.
bool ParseCrewLine(const char* line, CrewMember& member);
