#include "drive/drivetrain.h"

#include <algorithm>
#include <cmath>

const double GEAR_RATIOS[GEAR_COUNT] = {4.5, 2.5, 2.0, 1.5, 1.0, 0.678};

namespace {

constexpr double FINAL_DRIVE_1 = 6.0;  // applied as two successive factors
constexpr double FINAL_DRIVE_2 = 3.0;
constexpr double ROAD_SPEED_FACTOR = 0.4244131815783876;  // times 60: rev/min per m/s at the wheel
constexpr double FORCE_FACTOR = 1.3333333333333333;       // N per N m at the wheel
constexpr double FUEL_USE = 2.4666e-06;                   // kg per second per rev/min
constexpr double ROLLING_RESISTANCE = 0.01;               // of the weight
constexpr double WEIGHT_FACTOR = -1.838235294117647e-05;  // -1 / BASE_MASS
constexpr double BRAKE_FORCE = 200000.0;                  // N at full brake level

// Engine speed for a gearbox index at road speed factor roadRpm and selector g.
double EngineSpeed(int index, double roadRpm, int g) {
  return GEAR_RATIOS[index] * roadRpm * FINAL_DRIVE_1 * FINAL_DRIVE_2 * g;
}

int ClampGear(int index) {
  if (index < 0) return 0;
  if (index >= GEAR_COUNT) return GEAR_COUNT - 1;
  return index;
}

double NetForce(int g, double v, bool driveEngaged, bool atCap, double fd, double r) {
  const double fdCut = atCap ? 0.0 : fd;
  const double f0 = atCap ? g * r : fd;
  if (g > 0 && v > 0) return fdCut - r;
  if (g < 0 && v < 0) return fdCut + r;
  const bool free = g == 0 || !driveEngaged;
  if (free && v > 0) return -r;
  if (free && v < 0) return r;
  // Breakaway: from standstill only a tractive force above the resistance
  // moves the tractor, and then by the difference.
  if (g > 0 && v == 0) return f0 > r ? f0 - r : 0.0;
  if (g < 0 && v == 0) return (f0 < 0 ? -f0 : f0) > r ? f0 + r : 0.0;
  return 0.0;
}

// The speed never passes through zero within one step: a sign change, or a
// new speed inside the standstill band from a moving start, stops the tractor.
double NewSpeed(double v, double vNew) {
  if (vNew > -STANDSTILL_BAND && vNew < STANDSTILL_BAND && v != 0) return 0.0;
  if (v == 0) return vNew;
  if ((v < 0) != (vNew < 0)) return 0.0;
  return vNew;
}

}  // namespace

double TowedLoad(int realismMode, int towMode, bool hasVessel, double vesselMass) {
  if (realismMode == 0) return 0.0;
  switch (towMode) {
    case -1:
    case 1:
      return TOWBAR_MASS;
    case -2:
    case 2:
      // A coupled state restored without its vessel counts the towbar alone.
      return hasVessel ? TOWBAR_MASS + vesselMass : TOWBAR_MASS;
    default:
      return 0.0;
  }
}

double EngineTorque(double rpm) { return (3.03599224284932 - 0.00112465880214 * rpm) * rpm - 800.0; }

DriveResult StepDriveTrain(const DriveState& s, const DriveInputs& in) {
  DriveResult out;
  DriveState& n = out.state;
  n = s;
  const double v = s.speed;
  const int g = s.transmission;

  // Neither fuel (a hand-written scenario can restore any amount) nor a
  // towed load counts below nothing: the mass never reaches zero.
  out.mass = in.crewMass + BASE_MASS + std::max(s.fuel, 0.0) + std::max(in.towedLoad, 0.0);
  out.brake = s.parkingBrake ? PARKING_BRAKE_LEVEL : in.brakePedal;

  // Engine speed and the gearbox: at most one shift per step, whether or not
  // the engine runs; in neutral it steps down to index 0.
  const double roadRpm = v * 60 * ROAD_SPEED_FACTOR;
  n.gearIndex = ClampGear(s.gearIndex);
  n.rpm = g != 0 ? EngineSpeed(n.gearIndex, roadRpm, g) : IDLE_RPM;
  if (n.rpm < SHIFT_DOWN_RPM && n.gearIndex >= 1) {
    --n.gearIndex;
    n.rpm = EngineSpeed(n.gearIndex, roadRpm, g);
  } else if (n.rpm > SHIFT_UP_RPM && n.gearIndex < GEAR_COUNT - 1) {
    ++n.gearIndex;
    n.rpm = EngineSpeed(n.gearIndex, roadRpm, g);
  }
  if (n.rpm < IDLE_RPM) {
    n.rpm = IDLE_RPM;
    n.driveEngaged = false;
  } else {
    if (n.rpm > MAX_RPM) n.rpm = MAX_RPM;
    n.driveEngaged = true;
  }
  if (!s.engineRunning) {
    n.rpm = 0;
    n.driveEngaged = false;
  }

  const bool realism = s.realismMode >= 1;
  if (n.fuel > 0 && realism) n.fuel -= in.dt * FUEL_USE * n.rpm;

  double fd = 0;
  if (s.engineRunning && ((n.fuel > 0 && realism) || s.realismMode == 0)) {
    fd = EngineTorque(n.rpm) * in.throttle * GEAR_RATIOS[n.gearIndex] * FINAL_DRIVE_1 * FINAL_DRIVE_2 * g *
         FORCE_FACTOR;
  }
  const double r = in.weightY * WEIGHT_FACTOR * (ROLLING_RESISTANCE * out.mass) + BRAKE_FORCE * out.brake;
  const double f = NetForce(g, v, n.driveEngaged, n.rpm == MAX_RPM, fd, r);

  const double a = f != 0 && out.mass > 0 && std::isfinite(out.mass) ? f / out.mass : 0.0;
  n.speed = NewSpeed(v, v + a * in.dt);

  out.tractiveForce = fd;
  out.resistance = r;
  out.netForce = f;
  return out;
}
