// The vessel's client of the crew add-on: roster, airlock, EVA, arrivals,
// scenario lines, suit meshes and action areas. One client is embedded in
// every vessel; the module-wide tables are shared by all of them.
#pragma once

#include "crew/airlock_link.h"
#include "host/orbiterapi.h"

struct CrewMember {
  char name[40];         // at most 25 characters, letters, digits and spaces
  int age;               // 1..140
  int pulse;             // 0..180
  double weight;         // kg, whole number 5..300
  char functionCode[5];  // "Capt", "Eng", ...; may be empty
};

struct ActionAreaTable;

class CrewClient {
 public:
  // Set-up and roster.
  int Init(OBJHANDLE vesselHandle);
  void ShowVersionWarning(const char* vesselDisplayName);
  int SetMaxCrew(int seats);
  int GetCrewCount() const;
  const char* GetCrewName(int slot) const;
  int GetCrewWeight(int slot) const;
  int GetCrewAge(const char* name) const;
  const char* GetCrewFunction(const char* name) const;
  const char* GetLastArrivalName() const;
  int AddMember(const char* name, int age, int pulse, int weight, const char* functionCode);
  int RemoveMember(const char* name);

  // Scenario lines.
  int SaveCrewLines(FILEHANDLE scn) const;
  int LoadCrewLine(const char* line);

  // Airlock, EVA and arrivals.
  int DefineAirlock(int openFlag, float xMin, float xMax, float yMin, float yMax, float zMin, float zMax);
  int SetEvaPlacement(const VECTOR3& position, const VECTOR3& rotation);
  int EvaMember(const char* name);
  int ProcessArrivals();

  // Suit meshes.
  void SelectEvaMesh(const char* functionCode);

  // Action areas.
  int DeclareActionArea(int id, const VECTOR3& position, double radius, int option, const char* soundFile,
                        const char* label);
  int SetActionAreaText(int id, const char* label);
  int PollActionArea();

  bool IsReady() const { return readyFlags == 3; }
  // Slot of the first member of that name (letter case ignored), or -1.
  int FindMember(const char* name) const;
  // Ready, and a seat left that AddMember would fill.
  bool HasFreeSeat() const;
  // Publishes maxCrew - crewCount and the second value 0 on the airlock.
  void PublishSeats();

  // Fields, in this order.
  CrewMember roster[100];
  int readyFlags = 0;        // bit 1 Init, bit 2 DefineAirlock; ready at 3
  int crewCount = 0;
  int maxCrew = 8;
  double totalCrewWeight = 0;
  int linesLoaded = -1;
  int autoMass = 1;
  int airlockOpen = 1;
  int evaParameter = 100;
  char evaMesh[200] = "UMmu\\UMMu";
  VECTOR3 evaPosition{0, 0, 3};
  VECTOR3 evaRotation{0, 0, 0};
  char emptyName[2] = "";
  char lastArrivalName[50] = "";
  OBJHANDLE vessel = nullptr;
  int instanceIndex = 0;  // creation number of the vessel, saturating at 99
  ActionAreaTable* actionTable = nullptr;
  int actionAreaCount = 0;
  double noticeDeadline = 0;
  int outdatedFlag = 0;
  // The vessel's own airlock link: it lives and dies with the vessel, so it
  // never outlives the vessel interface it holds, however many vessels of
  // the class were created.
  AirlockLink airlock;
};
