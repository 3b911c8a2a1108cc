// The tractor's animations: steered and rolling wheels on the exterior mesh,
// needles, pedals, levers, switches and push buttons in the cockpit.
#pragma once

class KVQ_R7700;

// Single-precision steering sweeps and neutral states, from the steering
// constants; filled on the first construction.
struct SteeringAnimation {
  float frontSweep;    // FRONT_LOCK_INNER + FRONT_LOCK_OUTER
  float rearSweep;     // REAR_LOCK_INNER + REAR_LOCK_OUTER
  float frontNeutral;  // FRONT_LOCK_OUTER / front sweep
  float rearNeutral;   // REAR_LOCK_OUTER / rear sweep
};
const SteeringAnimation& GetSteeringAnimation();

// Creates every animation of the vessel in the host's numbering order and
// leaves the steering states at their neutral values.
void CreateAnimations(KVQ_R7700& v);
// Deletes the vessel's own wheel-roll transforms.
void DestroyAnimations(KVQ_R7700& v);
