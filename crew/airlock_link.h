// The per-vessel airlock link: what the vessel publishes to the crew add-on
// on its "UMmu" attachment, the crew vessels it creates and the scan of the
// scene for crew coming aboard. Each vessel's crew client holds its own.
#pragma once

#include "host/orbiterapi.h"

constexpr const char* AIRLOCK_ATTACHMENT_ID = "UMmu";
constexpr const char* CREW_ATTACHMENT_ID = "U-Mm";
constexpr const char* CREW_VESSEL_CLASS = "UMmu";
constexpr const char* CREW_ADDON_LIBRARY = "modules\\UMmu.dll";
constexpr double ARRIVAL_SCAN_PERIOD = 0.25;  // s of summed steps between scans

struct AirlockLink {
  int dockPort = 0;
  OBJHANDLE arrivedVessel = nullptr;
  int autoAbsorb = 1;
  VESSEL* vesselInterface = nullptr;
  double scanTimer = 0;
  OBJHANDLE vessel = nullptr;
  ATTACHMENTHANDLE airlockAttachment = nullptr;
  int shapeDefined = 0;
  int openFlag = 0;
  float xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
  char arrivedName[40] = "";
  int arrivedAge = 0, arrivedPulse = 0, arrivedWeight = 60;
  int secondValue = 1000;
  int freeSeats = 1000;

  // 1; -999 add-on library missing; -1 null handle or no vessel interface.
  int Reset(OBJHANDLE handle);
  // Store the value and rewrite the attachment; nothing before the airlock exists.
  void PublishFreeSeats(int seats);
  void PublishSecondValue(int value);
  // Free seats of the vessel docked at port, or -1.
  int ProbeDockedAirlock(int port) const;
  // 1 on foot, 2 transfer, 3 transfer without interface; -1 no crew airlock on
  // the docked vessel, -2 it is closed, -3 no vessel interface.
  int SpawnCrewVessel(const char* label, int age, int evaParameter, int pulse, int weight, const char* mesh,
                      const VECTOR3* position, const VECTOR3* rotation, const VECTOR3* extraVelocity);
  static void OrientVessel(const VECTOR3& angles, OBJHANDLE handle);
  // 0 nothing, 1 crew vessel in the airlock, 2 transfer arrived, -3 no interface.
  int ScanArrivals();

  // The three vectors of the airlock attachment, numbers rather than geometry.
  void AttachmentVectors(VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const;
  // Strictly inside the box (a point on a bound is outside).
  bool InsideBox(const VECTOR3& d) const;
  void Publish();
  // A crew vessel found arriving: taken in by the scan itself while
  // autoAbsorb is set, else kept in arrivedVessel. Returns the kind.
  int Arrive(OBJHANDLE crewVessel, int kind);
};

// The vessel docked at a port of v, or null.
OBJHANDLE DockedVessel(const VESSEL* v, int port);
// R * Rx(a.x) * Ry(a.y) * Rz(a.z), the orientation of a crew vessel leaving.
MATRIX3 RotateByAngles(const MATRIX3& r, const VECTOR3& a);
