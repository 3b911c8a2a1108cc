// Engine speed, automatic gearbox, tractive and resisting forces and the new
// ground speed of one step, as a pure function of values.
#pragma once

constexpr int GEAR_COUNT = 6;
extern const double GEAR_RATIOS[GEAR_COUNT];

constexpr double IDLE_RPM = 925.0;        // rev/min, floor while running
constexpr double MAX_RPM = 2075.0;        // rev/min, ceiling; the drive is cut here
constexpr double SHIFT_DOWN_RPM = 1150.0;
constexpr double SHIFT_UP_RPM = 1800.0;
constexpr double BASE_MASS = 54400.0;     // kg, tractor in the motion model
constexpr double TOWBAR_MASS = 100.0;     // kg
constexpr double PARKING_BRAKE_LEVEL = 0.5;
constexpr double STANDSTILL_BAND = 0.001;  // m/s

// The fields of the vessel the drive train reads and writes.
struct DriveState {
  double speed = 0;  // m/s, positive forward
  int transmission = 0;  // -1 reverse, 0 neutral, 1 and 2 forward
  int gearIndex = 0;
  double rpm = 0;
  bool driveEngaged = false;
  bool engineRunning = false;
  bool parkingBrake = false;
  double fuel = 0;  // kg
  int realismMode = 0;
};

struct DriveInputs {
  double throttle = 0;    // main thruster group level, 0..1
  double brakePedal = 0;  // host wheel-brake level, 0..1
  double weightY = 0;     // y of the host weight vector, N (negative on level ground)
  double crewMass = 0;    // kg
  double towedLoad = 0;   // kg, see TowedLoad
  double dt = 0;          // s
};

struct DriveResult {
  DriveState state;
  double mass = 0;           // total mass of the step, kg
  double brake = 0;          // brake level used: the pedal, or 0.5 with the parking brake
  double tractiveForce = 0;  // N
  double resistance = 0;     // N
  double netForce = 0;       // N
};

// The towed load counted into the mass: nothing without realism; the towbar
// alone 100 kg; a towed vessel adds its empty and fuel mass (vesselMass) when
// one hangs on the hitch (hasVessel).
double TowedLoad(int realismMode, int towMode, bool hasVessel, double vesselMass);

// Engine torque at an engine speed, N m.
double EngineTorque(double rpm);

DriveResult StepDriveTrain(const DriveState& s, const DriveInputs& in);
