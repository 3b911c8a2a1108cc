#include "sim/animation_pose.h"

#include <cmath>

#include "sim/world.h"

namespace sim {
namespace {

// x -> R x + t
struct Affine {
  double R[9];
  double t[3];
};

constexpr Affine IDENTITY = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
constexpr int MAX_PARENT_DEPTH = 32;  // a parent loop is not followed for ever

// a after b: x -> a(b(x)).
Affine Compose(const Affine& a, const Affine& b) {
  Affine c;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      c.R[3 * i + j] = a.R[3 * i] * b.R[j] + a.R[3 * i + 1] * b.R[3 + j] + a.R[3 * i + 2] * b.R[6 + j];
    c.t[i] = a.R[3 * i] * b.t[0] + a.R[3 * i + 1] * b.t[1] + a.R[3 * i + 2] * b.t[2] + a.t[i];
  }
  return c;
}

double Fraction(const host::AnimationComponent& c, double state) {
  if (c.state1 == c.state0) return state >= c.state0 ? 1.0 : 0.0;
  const double f = (state - c.state0) / (c.state1 - c.state0);
  return f < 0 ? 0.0 : f > 1 ? 1.0 : f;
}

// The component's own effect at its animation's state, counted from the
// animation's initial state.
Affine Local(const host::AnimationComponent& c) {
  if (c.animation == nullptr || c.transform == nullptr) return IDENTITY;
  const double k = Fraction(c, c.animation->state) - Fraction(c, c.animation->initial);
  Affine a = IDENTITY;
  if (k == 0) return a;
  if (c.transform->type == MGROUP_TRANSFORM::ROTATE) {
    const auto* r = static_cast<const MGROUP_ROTATE*>(c.transform);
    const double len = std::sqrt(r->axis.x * r->axis.x + r->axis.y * r->axis.y + r->axis.z * r->axis.z);
    if (len == 0) return a;
    const double x = r->axis.x / len, y = r->axis.y / len, z = r->axis.z / len;
    const double angle = static_cast<double>(r->angle) * k;
    const double s = std::sin(angle), co = std::cos(angle), u = 1 - co;
    // Rotation about the axis by the angle: v cos + (axis x v) sin + axis (axis . v)(1 - cos).
    const double R[9] = {co + x * x * u,     x * y * u - z * s, x * z * u + y * s,
                         y * x * u + z * s, co + y * y * u,     y * z * u - x * s,
                         z * x * u - y * s, z * y * u + x * s, co + z * z * u};
    const double p[3] = {r->ref.x, r->ref.y, r->ref.z};
    for (int i = 0; i < 9; ++i) a.R[i] = R[i];
    for (int i = 0; i < 3; ++i) a.t[i] = p[i] - (R[3 * i] * p[0] + R[3 * i + 1] * p[1] + R[3 * i + 2] * p[2]);
  } else if (c.transform->type == MGROUP_TRANSFORM::TRANSLATE) {
    const auto* t = static_cast<const MGROUP_TRANSLATE*>(c.transform);
    a.t[0] = t->shift.x * k;
    a.t[1] = t->shift.y * k;
    a.t[2] = t->shift.z * k;
  }
  return a;
}

// The component's effect with its parents': its own first, then each parent's.
Affine Chain(const host::AnimationComponent& c) {
  Affine a = Local(c);
  const host::AnimationComponent* p = c.parent;
  for (int depth = 0; p != nullptr && depth < MAX_PARENT_DEPTH; ++depth, p = p->parent) a = Compose(Local(*p), a);
  return a;
}

GroupTransform* Entry(std::vector<GroupTransform>* out, int mesh, int group) {
  size_t i = 0;
  while (i < out->size() && ((*out)[i].mesh < mesh || ((*out)[i].mesh == mesh && (*out)[i].group < group))) ++i;
  if (i == out->size() || (*out)[i].mesh != mesh || (*out)[i].group != group) {
    GroupTransform g{mesh, group, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
    out->insert(out->begin() + static_cast<long>(i), g);
  }
  return &(*out)[i];
}

}  // namespace

void EvaluateAnimations(const std::vector<std::unique_ptr<host::Animation>>& animations,
                        std::vector<GroupTransform>* out) {
  for (GroupTransform& g : *out) {
    for (int i = 0; i < 9; ++i) g.R[i] = IDENTITY.R[i];
    for (int i = 0; i < 3; ++i) g.t[i] = 0;
  }
  for (const auto& anim : animations) {
    for (const host::AnimationComponent* c : anim->components) {
      const MGROUP_TRANSFORM* tr = c->transform;
      if (tr == nullptr || tr->grp == nullptr || tr->ngrp == 0) continue;
      const Affine m = Chain(*c);
      for (UINT k = 0; k < tr->ngrp; ++k) {
        GroupTransform* g = Entry(out, static_cast<int>(tr->mesh), static_cast<int>(tr->grp[k]));
        Affine cur;
        for (int i = 0; i < 9; ++i) cur.R[i] = g->R[i];
        for (int i = 0; i < 3; ++i) cur.t[i] = g->t[i];
        const Affine next = Compose(m, cur);
        for (int i = 0; i < 9; ++i) g->R[i] = next.R[i];
        for (int i = 0; i < 3; ++i) g->t[i] = next.t[i];
      }
    }
  }
}

}  // namespace sim
