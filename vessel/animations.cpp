#include "vessel/animations.h"

#include "drive/steering_constants.h"
#include "vessel/definition.h"
#include "vessel/kvq_r7700.h"

namespace {

const VECTOR3 DASHBOARD_AXIS = {0, 0.766019, -0.642818};
const VECTOR3 COLUMN_AXIS = {0, -0.642818, 0.76604};
const VECTOR3 BUTTON_SHIFT = {0, 0.0091922, -0.0077138};  // 12 mm along the panel normal
const VECTOR3 X_AXIS = {1, 0, 0};
const VECTOR3 MINUS_X_AXIS = {-1, 0, 0};
const VECTOR3 Y_AXIS = {0, 1, 0};

// Wheel hubs: front left, front right, rear left, rear right.
const VECTOR3 HUB[4] = {{-1.065, 0.75, 1.83}, {1.065, 0.75, 1.83}, {-1.065, 0.75, -1.83}, {1.065, 0.75, -1.83}};
UINT WHEEL_GROUP[4] = {0, 2, 1, 3};

float Radians(double degrees) { return static_cast<float>(degrees * PI / 180.0); }

SteeringAnimation steering{};

// Module-wide transforms, filled on the first construction and shared by
// every vessel of the class; the host keeps pointers to them, so they live as
// long as the module.
struct SharedTransforms {
  MGROUP_ROTATE steer[4];
  MGROUP_ROTATE speedometer;
  MGROUP_ROTATE tachometer;
  MGROUP_ROTATE fuelGauge;
  MGROUP_TRANSLATE gearIndicatorLow;
  MGROUP_TRANSLATE gearIndicatorHigh;
  MGROUP_ROTATE throttlePedal;
  MGROUP_ROTATE brakePedal;
  MGROUP_ROTATE steeringWheel;
  MGROUP_ROTATE parkingBrake;
  MGROUP_ROTATE gearLever;
  MGROUP_ROTATE beaconSwitch;
  MGROUP_ROTATE lightSwitch;
  MGROUP_ROTATE realismSwitch;
  MGROUP_ROTATE steerModeSwitch;
  MGROUP_TRANSLATE refuelButton;
  MGROUP_TRANSLATE displayKey[4];
};
SharedTransforms* shared = nullptr;

// Cockpit mesh groups moved by each animation.
UINT grpSpeedometer[] = {4};
UINT grpTachometer[] = {5};
UINT grpFuelGauge[] = {3};
UINT grpGearIndicator[] = {6};
UINT grpThrottlePedal[] = {1};
UINT grpBrakePedal[] = {2};
UINT grpSteeringWheel[] = {10};
UINT grpParkingBrake[] = {20};
UINT grpGearLever[] = {19};
UINT grpBeaconSwitch[] = {12};
UINT grpLightSwitch[] = {11};
UINT grpRealismSwitch[] = {13};
UINT grpSteerModeSwitch[] = {22};
UINT grpRefuelButton[] = {21};
UINT grpDisplayKey[4][1] = {{16}, {15}, {14}, {17}};

MGROUP_ROTATE CockpitRotation(UINT* grp, const VECTOR3& ref, const VECTOR3& axis, double degrees) {
  return MGROUP_ROTATE(MESH_COCKPIT, grp, 1, ref, axis, Radians(degrees));
}

MGROUP_TRANSLATE CockpitShift(UINT* grp, const VECTOR3& shift) { return MGROUP_TRANSLATE(MESH_COCKPIT, grp, 1, shift); }

MGROUP_ROTATE SteerRotation(int wheel, float angle) {
  return MGROUP_ROTATE(MESH_EXTERIOR, nullptr, 0, HUB[wheel], Y_AXIS, angle);
}

void FillShared() {
  // The steering transforms and neutral states are computed in single
  // precision, as the mesh animations use them.
  const float frontInner = static_cast<float>(FRONT_LOCK_INNER);
  const float frontOuter = static_cast<float>(FRONT_LOCK_OUTER);
  const float rearInner = static_cast<float>(REAR_LOCK_INNER);
  const float rearOuter = static_cast<float>(REAR_LOCK_OUTER);
  steering.frontSweep = frontInner + frontOuter;
  steering.rearSweep = rearInner + rearOuter;
  steering.frontNeutral = frontOuter / steering.frontSweep;
  steering.rearNeutral = rearOuter / steering.rearSweep;

  // The steering transforms move no groups of their own: each carries its
  // wheel's roll transform, so a wheel turns with the steering and rolls
  // about its own axle.
  static SharedTransforms transforms = {
      {SteerRotation(0, -steering.frontSweep), SteerRotation(1, steering.frontSweep),
       SteerRotation(2, steering.rearSweep), SteerRotation(3, -steering.rearSweep)},
      CockpitRotation(grpSpeedometer, {-0.48, 1.43437, 4.12454}, DASHBOARD_AXIS, 180),
      CockpitRotation(grpTachometer, {-0.72, 1.43437, 4.12455}, DASHBOARD_AXIS, 150),
      CockpitRotation(grpFuelGauge, {-0.6, 1.39581, 4.07858}, DASHBOARD_AXIS, 120),
      CockpitShift(grpGearIndicator, {0.02, 0, 0}),
      CockpitShift(grpGearIndicator, {0.045, 0, 0}),
      CockpitRotation(grpThrottlePedal, {-0.448, 0.609, 3.941}, X_AXIS, 25),
      CockpitRotation(grpBrakePedal, {-0.748, 0.609, 3.941}, X_AXIS, 25),
      CockpitRotation(grpSteeringWheel, {-0.6, 1.37, 3.787}, COLUMN_AXIS, 450),
      CockpitRotation(grpParkingBrake, {-0.037, 1.048, 3.464}, MINUS_X_AXIS, 25),
      CockpitRotation(grpGearLever, {-0.146, 0.933, 3.7}, MINUS_X_AXIS, 30),
      CockpitRotation(grpBeaconSwitch, {-0.9, 1.4, 4.077}, X_AXIS, 25),
      CockpitRotation(grpLightSwitch, {-0.9, 1.444, 4.137}, X_AXIS, 25),
      CockpitRotation(grpRealismSwitch, {-0.044, 1.335, 3.975}, X_AXIS, 25),
      CockpitRotation(grpSteerModeSwitch, {-0.143891, 1.25191, 3.90956}, X_AXIS, 40),
      CockpitShift(grpRefuelButton, BUTTON_SHIFT),
      {CockpitShift(grpDisplayKey[0], BUTTON_SHIFT), CockpitShift(grpDisplayKey[1], BUTTON_SHIFT),
       CockpitShift(grpDisplayKey[2], BUTTON_SHIFT), CockpitShift(grpDisplayKey[3], BUTTON_SHIFT)},
  };
  shared = &transforms;
}

UINT Animate(const KVQ_R7700& v, double initial, MGROUP_TRANSFORM* t) {
  const UINT anim = v.CreateAnimation(initial);
  v.AddAnimationComponent(anim, 0, 1, t);
  return anim;
}

}  // namespace

const SteeringAnimation& GetSteeringAnimation() {
  if (shared == nullptr) FillShared();
  return steering;
}

void CreateAnimations(KVQ_R7700& v) {
  if (shared == nullptr) FillShared();

  // Steering of the four wheels: front left, front right, rear left, rear right.
  UINT* const steerIds[4] = {&v.animSteerFront[0], &v.animSteerFront[1], &v.animSteerRear[0], &v.animSteerRear[1]};
  const double neutral[4] = {steering.frontNeutral, steering.frontNeutral, steering.rearNeutral, steering.rearNeutral};
  for (int k = 0; k < 4; ++k) *steerIds[k] = v.CreateAnimation(neutral[k]);
  ANIMATIONCOMPONENT_HANDLE steerComponent[4];
  for (int k = 0; k < 4; ++k) steerComponent[k] = v.AddAnimationComponent(*steerIds[k], 0, 1, &shared->steer[k]);

  for (int k = 0; k < 4; ++k) {
    v.wheelRollTransform[k] = new MGROUP_ROTATE(MESH_EXTERIOR, &WHEEL_GROUP[k], 1, HUB[k], X_AXIS, static_cast<float>(PI2));
    v.animWheel[k] = v.CreateAnimation(0);
    v.AddAnimationComponent(v.animWheel[k], 0, 1, v.wheelRollTransform[k], steerComponent[k]);
  }

  v.animSpeedometer = Animate(v, 0, &shared->speedometer);
  v.animTachometer = Animate(v, 0, &shared->tachometer);
  v.animFuelGauge = Animate(v, 0, &shared->fuelGauge);
  v.animGearIndicator = v.CreateAnimation(0.33333);
  v.AddAnimationComponent(v.animGearIndicator, 0, 0.33333, &shared->gearIndicatorLow);
  v.AddAnimationComponent(v.animGearIndicator, 0.33333, 1, &shared->gearIndicatorHigh);
  v.animThrottlePedal = Animate(v, 0, &shared->throttlePedal);
  v.animBrakePedal = Animate(v, 0, &shared->brakePedal);
  v.animSteeringWheel = Animate(v, 0.5, &shared->steeringWheel);
  v.animParkingBrake = Animate(v, 0, &shared->parkingBrake);
  v.animGearLever = Animate(v, 0.5, &shared->gearLever);
  v.animBeaconSwitch = Animate(v, 0.5, &shared->beaconSwitch);
  v.animLightSwitch = Animate(v, 0.5, &shared->lightSwitch);
  v.animRealismSwitch = Animate(v, 0.5, &shared->realismSwitch);
  v.animSteerModeSwitch = Animate(v, 0.5, &shared->steerModeSwitch);
  v.animRefuelButton = Animate(v, 1, &shared->refuelButton);
  for (int k = 0; k < 4; ++k) v.animDisplayKey[k] = Animate(v, 1, &shared->displayKey[k]);

  v.steerFrontState[0] = v.steerFrontState[1] = steering.frontNeutral;
  v.steerRearState[0] = v.steerRearState[1] = steering.rearNeutral;
}

void DestroyAnimations(KVQ_R7700& v) {
  for (MGROUP_ROTATE*& t : v.wheelRollTransform) {
    delete t;
    t = nullptr;
  }
}
