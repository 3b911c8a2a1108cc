// What the page knows of the KVQ_R7700 class, as a simulator knows it from
// the class's meshes: which animation id moves what, which beacon is which
// lamp, where the wheels are. Animation ids are the host's, in the order
// the vessel creates its animations.

export const CLASS_NAME = 'KVQ_R7700';

export const ANIM = {
  steerFront: [0, 1],   // left, right
  steerRear: [2, 3],
  wheel: [4, 5, 6, 7],
  speedometer: 8,
  tachometer: 9,
  fuel: 10,
  gearIndicator: 11,
  throttle: 12,
  brakePedal: 13,
  steeringWheel: 14,
  parkingBrake: 15,
  gearLever: 16,
  beaconSwitch: 17,
  lightSwitch: 18,
  realismSwitch: 19,
  steerModeSwitch: 20,
  refuelButton: 21,
  displayKeys: [22, 23, 24, 25],
};

// Beacon indices.
export const LAMP = {
  strobes: [0, 1],
  parkingBrake: [2, 3],
  indicatorRight: [4, 6],   // rear right, front right
  indicatorLeft: [5, 7],
  reverse: [8, 9],
  head: [10, 11],
  brake: [12, 13],
  tail: [14, 15],
};

// Steering: the sweep of each axle (rad) and the animation state at which
// the wheels stand straight.
const FRONT_SWEEP = 0.6831835508346558;
const REAR_SWEEP = 0.6861603260040283;
const FRONT_NEUTRAL = 0.44979530572891235;
const REAR_NEUTRAL = 0.34145089983940125;

export const WHEEL_HUBS = [  // x right, z forward (m): front left, front right, rear left, rear right
  [-1.065, 1.83], [1.065, 1.83], [-1.065, -1.83], [1.065, -1.83],
];
export const WHEEL_SIZE = { width: 0.36, length: 1.1 };  // m

// Each wheel's turn about the vertical (rad, clockwise seen from above),
// from its steering animation's state.
export function wheelAngles(anims) {
  const s = (id, neutral) => (anims[id] ?? neutral) - neutral;
  return [
    -FRONT_SWEEP * s(ANIM.steerFront[0], FRONT_NEUTRAL),
    FRONT_SWEEP * s(ANIM.steerFront[1], FRONT_NEUTRAL),
    REAR_SWEEP * s(ANIM.steerRear[0], REAR_NEUTRAL),
    -REAR_SWEEP * s(ANIM.steerRear[1], REAR_NEUTRAL),
  ];
}

// A beacon is lit while active and, for a blinking one, within its flash.
export function beaconLit(beacon, simt) {
  const [, , , active, period, duration, tofs] = beacon;
  if (!active) return false;
  if (!(period > 0)) return true;
  const phase = ((simt + tofs) % period + period) % period;
  return phase < duration;
}

export function anyLit(vessel, indices, simt) {
  return indices.some((i) => vessel.beacons[i] && beaconLit(vessel.beacons[i], simt));
}
