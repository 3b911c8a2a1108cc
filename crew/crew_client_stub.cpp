// Placeholder until the crew client lands.
#include "crew/crew_client.h"

int CrewClient::Init(OBJHANDLE) { return -999; }
void CrewClient::ShowVersionWarning(const char*) {}
int CrewClient::SetMaxCrew(int) { return 0; }
int CrewClient::GetCrewCount() const { return 0; }
const char* CrewClient::GetCrewName(int) const { return emptyName; }
int CrewClient::GetCrewWeight(int) const { return -1; }
int CrewClient::GetCrewAge(const char*) const { return -1; }
const char* CrewClient::GetCrewFunction(const char*) const { return nullptr; }
const char* CrewClient::GetLastArrivalName() const { return lastArrivalName; }
int CrewClient::AddMember(const char*, int, int, int, const char*) { return 0; }
int CrewClient::RemoveMember(const char*) { return 0; }
int CrewClient::SaveCrewLines(FILEHANDLE) const { return 0; }
int CrewClient::LoadCrewLine(const char*) { return 0; }
int CrewClient::DefineAirlock(int, float, float, float, float, float, float) { return 0; }
int CrewClient::SetEvaPlacement(const VECTOR3&, const VECTOR3&) { return 0; }
int CrewClient::EvaMember(const char*) { return -6; }
int CrewClient::ProcessArrivals() { return -1; }
void CrewClient::SelectEvaMesh(const char*) {}
int CrewClient::DeclareActionArea(int, const VECTOR3&, double, int, const char*, const char*) { return 0; }
int CrewClient::SetActionAreaText(int, const char*) { return 0; }
int CrewClient::PollActionArea() { return -1; }
