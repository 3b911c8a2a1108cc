// Animation states turned into mesh group transforms, as the simulator's
// renderer moves a vessel's meshes.
#pragma once

#include <memory>
#include <vector>

#include "sim/sim.h"

namespace host {
struct Animation;
}

namespace sim {

// Each component's effect grows linearly from nothing at its state 0 to its
// whole rotation or shift at its state 1 (constant outside), and counts from
// its animation's initial state, where the mesh is as modelled. A component
// with a parent is moved by the parent after its own transform, so a wheel
// rolls about its own axle and turns with its steering. Rotation angles are
// the single-precision values the module handed over.
//
// `out` gets one entry per (mesh, group) that a component moves, sorted;
// entries already there are reused, so evaluating the same animations again
// allocates nothing.
void EvaluateAnimations(const std::vector<std::unique_ptr<host::Animation>>& animations,
                        std::vector<GroupTransform>* out);

}  // namespace sim
