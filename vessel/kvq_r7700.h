// The tow tractor's vessel class and its state record. The callbacks gather
// what they need and hand over to the subsystems' free functions; every
// subsystem reads and writes the fields below directly.
#pragma once

#include <string>
#include <vector>

#include "crew/crew_client.h"
#include "host/orbiterapi.h"

// State, typed name, age text and function code of the add-crew dialogue:
// one 256-byte block.
struct CrewPromptBlock {
  char crewPromptState;
  char crewPromptSpare;
  char crewPromptName[40];
  char crewPromptAge[40];
  char crewPromptFunction[174];
};
static_assert(sizeof(CrewPromptBlock) == 256, "the prompt block is 256 bytes");

class KVQ_R7700 : public VESSEL3 {
 public:
  KVQ_R7700(OBJHANDLE hVessel, int flightmodel);
  ~KVQ_R7700() override;

  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkSaveState(FILEHANDLE scn) override;
  void clbkLoadStateEx(FILEHANDLE scn, void* status) override;
  void clbkPostCreation() override;
  void clbkPreStep(double simt, double simdt, double mjd) override;
  void clbkVisualCreated(VISHANDLE vis, int refcount) override;
  void clbkVisualDestroyed(VISHANDLE vis, int refcount) override;
  int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
  bool clbkLoadGenericCockpit() override;
  bool clbkLoadVC(int id) override;
  bool clbkVCMouseEvent(int id, int event, VECTOR3& p) override;
  bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) override;
  int clbkGeneric(int msgid, int prm, void* context) override;

  // ---- State record, in declaration order ----

  // Sound and crew.
  int soundId = -1;
  CrewClient crew;
  int selectedCrewSlot = 0;
  char messageText[260] = {};
  double messageTime = 0;
  // The add-crew prompt block; its address is the input boxes' user data.
  CrewPromptBlock crewPrompt = {};

  // Driving state.
  double speed = 0;
  int transmission = 0;
  int towMode = 0;
  bool engineRunning = false;
  bool parkingBrake = false;
  double fuel = 176.8;

  // Coupling points.
  ATTACHMENTHANDLE vesselHitchFront = nullptr;
  ATTACHMENTHANDLE vesselHitchBack = nullptr;
  ATTACHMENTHANDLE towbarMountFront = nullptr;
  ATTACHMENTHANDLE towbarMountBack = nullptr;

  // Lamps.
  bool lightsOn = false;
  bool beaconOn = true;
  bool parkBrakeReleased = false;
  bool brakeReleased = false;

  // Animations.
  UINT animWheel[4] = {};
  UINT animSteerFront[2] = {};
  UINT animSteerRear[2] = {};
  double wheelRoll[4] = {};
  double steerFrontState[2] = {};
  double steerRearState[2] = {};
  MGROUP_ROTATE* wheelRollTransform[4] = {};
  UINT animSpeedometer = 0, animTachometer = 0, animFuelGauge = 0, animGearIndicator = 0, animBrakePedal = 0,
       animThrottlePedal = 0, animSteeringWheel = 0, animParkingBrake = 0, animGearLever = 0, animLightSwitch = 0,
       animBeaconSwitch = 0, animRealismSwitch = 0, animSteerModeSwitch = 0;
  UINT animDisplayKey[4] = {};
  UINT animRefuelButton = 0;

  // Lights.
  BEACONLIGHTSPEC beacons[16] = {};
  LightEmitter* headLight = nullptr;

  // Towing geometry.
  double towbarHitchOffset = 0;
  double towbarLength = 0;
  double vesselHitchOffset = 0;
  double vesselLength = 0;
  double towbarYaw = PI;
  double vesselYaw = 0;
  double towbarPitch = 0;

  // Host resources and motion bookkeeping.
  THRUSTER_HANDLE mainThruster = nullptr;
  PROPELLANT_HANDLE fuelTank = nullptr;
  double idleTime = 0;
  int realismMode = 0;
  bool actionAreaTriggered = false;
  bool haveSavedPosition = false;
  double savedLatitude = 0, savedLongitude = 0, savedHeading = 0;
  VESSELSTATUS2 status = {};
  OBJHANDLE gravityRef = nullptr;
  int gearIndex = 0;
  int steerMode = 0;
  bool driveEngaged = false;
  double rpm = 0;
  std::vector<std::string> towClassList;
  MESHHANDLE vcMeshTemplate = nullptr;
  DEVMESHHANDLE vcMesh = nullptr;
};
