// The arithmetic of the towing step without the host: drive train, steering
// mode, yaw, heading and surface position, the two-trailer chain and its
// aimed attachment points, and the per-step output rules, on values taken
// from a coupled tractor. Set beside the step benchmarks, it shows what the
// host interface costs on top of the model.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "drive/drive_step.h"
#include "drive/output_rules.h"
#include "towing/trailer_model.h"
#include "vessel/kvq_r7700.h"

namespace {

using bench::AllocationCount;
using bench::ReportAllocations;
using bench::Scene;
using bench::SceneSpec;

constexpr double EARTH_RADIUS = 6371010.0;  // m
constexpr double CREW_MASS = 74.0 + 86.0;   // kg, the two members of the scene
constexpr double AIRLINER_MASS = 40000.0;   // kg

struct Model {
  DriveState drive;
  int steerMode;
  double heading;
  SurfacePoint position;
  TowGeometry geometry;
  TowAngles angles;
  double towbarPitch;
  double wheelRoll[4];
  double idleTime;
};

Model ModelOf(const KVQ_R7700& v, double lng, double lat) {
  Model m{};
  m.drive.speed = v.speed;
  m.drive.transmission = v.transmission;
  m.drive.gearIndex = v.gearIndex;
  m.drive.rpm = v.rpm;
  m.drive.driveEngaged = v.driveEngaged;
  m.drive.engineRunning = v.engineRunning;
  m.drive.parkingBrake = v.parkingBrake;
  m.drive.fuel = v.fuel;
  m.drive.realismMode = v.realismMode;
  m.steerMode = v.steerMode;
  m.heading = v.savedHeading;
  m.position = {lng, lat};
  m.geometry = {v.towbarHitchOffset, v.towbarLength, v.vesselHitchOffset, v.vesselLength};
  m.angles = {v.towbarYaw, v.vesselYaw};
  m.towbarPitch = v.towbarPitch;
  for (int k = 0; k < 4; ++k) m.wheelRoll[k] = v.wheelRoll[k];
  m.idleTime = v.idleTime;
  return m;
}

void BM_PreStepTowingArithmeticOnly(benchmark::State& state) {
  KVQ_R7700& v = Scene(SceneSpec{});
  Model m = ModelOf(v, v.savedLongitude, v.savedLatitude);
  const double dt = bench::STEP;
  const double throttle = v.GetThrusterGroupLevel(THGROUP_MAIN);
  const double steer = v.GetControlSurfaceLevel(AIRCTRL_RUDDER);
  VECTOR3 weight{0, 0, 0};
  v.GetWeightVector(weight);
  const double weightY = weight.y;
  double simt = 100.0;
  const AllocationCount count;
  for (auto _ : state) {
    DriveStepInputs in;
    in.drive.throttle = throttle;
    in.drive.brakePedal = 0;
    in.drive.crewMass = CREW_MASS;
    in.drive.towedLoad = TowedLoad(m.drive.realismMode, 2, true, AIRLINER_MASS);
    in.drive.weightY = weightY;
    in.drive.dt = dt;
    in.steer = steer;
    in.attitudeMode = 0;
    in.towMode = 2;
    in.origin = m.position;
    in.heading = m.heading;
    in.bodyRadius = EARTH_RADIUS;
    const DriveStepResult r = StepDrive(m.drive, m.steerMode, in);
    m.drive = r.drive.state;
    m.steerMode = r.steering.steerMode;
    m.heading = r.heading;
    m.position = r.position;

    const TowStepResult t = IntegrateTowing(2, m.geometry, m.angles, m.drive.speed, r.omega, dt);
    m.angles = t.angles;
    const AimedFrame towbar = AimAttachment(m.towbarPitch, m.angles.towbarYaw);
    const AimedFrame vessel = AimAttachment(0, m.angles.vesselYaw);
    benchmark::DoNotOptimize(towbar);
    benchmark::DoNotOptimize(vessel);

    benchmark::DoNotOptimize(EngineSoundFrequency(m.drive.rpm));
    benchmark::DoNotOptimize(RollingSoundVolume(m.drive.speed));
    const double roll = WheelRollStep(m.drive.speed, dt);
    for (double& w : m.wheelRoll) w = AdvanceWheelRoll(w, roll);
    benchmark::DoNotOptimize(ComputeSteerAnimation(m.steerMode, steer));
    const bool lit = IndicatorLit(simt);
    benchmark::DoNotOptimize(IndicatorMaterial(lit));
    benchmark::DoNotOptimize(IndicatorMaterial(false));
    benchmark::DoNotOptimize(CrewFiguresFor(2));
    const IdleState idle = StepIdle({m.idleTime, m.drive.engineRunning}, m.drive.speed, dt);
    m.idleTime = idle.idleTime;
    m.drive.engineRunning = idle.engineRunning;
    simt += dt;
    benchmark::DoNotOptimize(m);
  }
  ReportAllocations(state, count.Made(), true);
  state.counters["speed"] = m.drive.speed;
}
BENCHMARK(BM_PreStepTowingArithmeticOnly);

}  // namespace
