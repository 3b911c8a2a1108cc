// Configures the vessel's crew client at the end of the class set-up.
#pragma once

class KVQ_R7700;

// The member every new tractor starts with, until a scenario lists its crew.
constexpr const char* DEFAULT_CREW_NAME = "Peter Holm";

void SetUpCrew(KVQ_R7700& v);
