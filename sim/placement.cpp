// Where vessels are. The planet sits at the origin and does not rotate. A
// surface point (lng, lat) is R (cos lat cos lng, sin lat, cos lat sin lng);
// a landed vessel's axes are x right, y up (the local vertical), z forward,
// the heading running clockwise from north seen from above. Carried children
// follow their parents' attachment points.
#include <cmath>

#include "sim/world.h"

namespace host {
namespace {

struct LocalFrame {
  VECTOR3 up, east, north;
};

LocalFrame FrameAt(double lng, double lat) {
  const double cl = std::cos(lat), sl = std::sin(lat), cg = std::cos(lng), sg = std::sin(lng);
  return {{cl * cg, sl, cl * sg}, {-sg, 0, cg}, {-sl * cg, cl, -sl * sg}};
}

MATRIX3 FromColumns(const VECTOR3& a, const VECTOR3& b, const VECTOR3& c) {
  return {a.x, b.x, c.x, a.y, b.y, c.y, a.z, b.z, c.z};
}

MATRIX3 Transpose(const MATRIX3& m) { return {m.m11, m.m21, m.m31, m.m12, m.m22, m.m32, m.m13, m.m23, m.m33}; }

// Height of the vessel origin above the ground when it rests on its
// touchdown points.
double RestHeight(const Vessel* v) {
  return -(v->touchdown[0].y + v->touchdown[1].y + v->touchdown[2].y) / 3.0;
}

// An orthonormal frame (dir, rot', dir x rot') from a direction and a
// rotation vector.
MATRIX3 PointFrame(const VECTOR3& dir, const VECTOR3& rot) {
  const VECTOR3 d = unit(dir);
  VECTOR3 r = rot - d * dotp(rot, d);
  if (length(r) < 1e-12) r = std::fabs(d.y) < 0.9 ? VECTOR3{0, 1, 0} : VECTOR3{1, 0, 0};
  r = unit(r - d * dotp(r, d));
  return FromColumns(d, r, crossp(d, r));
}

bool SameVector(const VECTOR3& a, const VECTOR3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Made again only when the point's direction or rotation changed.
const MATRIX3& PlacingFrame(Attachment* a) {
  if (!a->frameKnown || !SameVector(a->frameDir, a->dir) || !SameVector(a->frameRot, a->rot)) {
    a->frame = PointFrame(a->toParent ? a->dir : a->dir * -1.0, a->rot);
    a->frameDir = a->dir;
    a->frameRot = a->rot;
    a->frameKnown = true;
  }
  return a->frame;
}

}  // namespace

double Wrap2Pi(double a) {
  a = std::fmod(a, PI2);
  if (a < 0) a += PI2;
  if (a >= PI2) a -= PI2;
  return a;
}

void PlaceLanded(Vessel* v) {
  const LocalFrame f = FrameAt(v->lng, v->lat);
  const double ch = std::cos(v->hdg), sh = std::sin(v->hdg);
  const VECTOR3 fwd = f.north * ch + f.east * sh;
  const VECTOR3 right = f.east * ch - f.north * sh;
  v->R = FromColumns(right, f.up, fwd);
  v->pos = f.up * (EARTH_RADIUS + RestHeight(v));
  v->vel = {0, 0, 0};
  v->avel = {0, 0, 0};
}

namespace {

// The same point and heading with the longitude in (-pi, pi] and the
// latitude within +-pi/2, so that a saved POS line (a hand-written one, or
// a script's coordinates) reads back to them. A position within those
// ranges is kept exactly.
void NormalizeSurface(double* lng, double* lat, double* hdg) {
  if (!(*lat >= -PI05 && *lat <= PI05)) {
    *lat = std::remainder(*lat, PI2);
    if (*lat > PI05 || *lat < -PI05) {
      // Past a pole: down the other side, facing the other way.
      *lat = (*lat > 0 ? PI : -PI) - *lat;
      *lng += PI;
      *hdg += PI;
    }
  }
  if (!(*lng > -PI && *lng <= PI)) {
    *lng = std::remainder(*lng, PI2);
    if (*lng <= -PI) *lng += PI2;
  }
}

}  // namespace

void SetLanded(Vessel* v, double lng, double lat, double hdg) {
  v->landed = true;
  // Nothing that is not a finite number takes the place of a coordinate.
  if (std::isfinite(lng) && std::isfinite(lat)) {
    NormalizeSurface(&lng, &lat, &hdg);
    v->lng = lng;
    v->lat = lat;
  }
  if (std::isfinite(hdg)) v->hdg = Wrap2Pi(hdg);
  PlaceLanded(v);
  PlaceChildren(v);
}

void SurfaceOf(const Vessel* v, double* lng, double* lat, double* hdg) {
  if (v->parentPoint == nullptr && v->landed) {
    *lng = v->lng;
    *lat = v->lat;
    *hdg = v->hdg;
    return;
  }
  const double r = length(v->pos);
  *lng = std::atan2(v->pos.z, v->pos.x);
  *lat = r > 0 ? std::asin(v->pos.y / r) : 0;
  const LocalFrame f = FrameAt(*lng, *lat);
  const VECTOR3 fwd{v->R.m13, v->R.m23, v->R.m33};
  *hdg = Wrap2Pi(std::atan2(dotp(fwd, f.east), dotp(fwd, f.north)));
}

void SettleAt(Vessel* v, const VECTOR3& pos, const MATRIX3& R) {
  v->pos = pos;
  v->R = R;
  v->landed = false;
  double lng, lat, hdg;
  SurfaceOf(v, &lng, &lat, &hdg);
  SetLanded(v, lng, lat, hdg);
}

// Rotation angles: R = Rx(a.x) Ry(a.y) Rz(a.z) with the usual right-handed
// elementary rotations.
MATRIX3 EulerToMatrix(const VECTOR3& a) {
  const double cx = std::cos(a.x), sx = std::sin(a.x), cy = std::cos(a.y), sy = std::sin(a.y);
  const double cz = std::cos(a.z), sz = std::sin(a.z);
  const MATRIX3 rx{1, 0, 0, 0, cx, -sx, 0, sx, cx};
  const MATRIX3 ry{cy, 0, sy, 0, 1, 0, -sy, 0, cy};
  const MATRIX3 rz{cz, -sz, 0, sz, cz, 0, 0, 0, 1};
  return mul(mul(rx, ry), rz);
}

VECTOR3 MatrixToEuler(const MATRIX3& R) {
  // R.m13 = sin(y); R.m23 = -sin(x) cos(y); R.m33 = cos(x) cos(y);
  // R.m12 = -cos(y) sin(z); R.m11 = cos(y) cos(z).
  const double sy = std::fmax(-1.0, std::fmin(1.0, R.m13));
  return {std::atan2(-R.m23, R.m33), std::asin(sy), std::atan2(-R.m12, R.m11)};
}

void PlaceChildren(Vessel* v) {
  if (!W().deferChildren) PlaceChildrenNow(v);
}

void PlaceChildrenNow(Vessel* v) {
  for (auto& pp : v->toChild) {
    Vessel* c = pp->peer;
    Attachment* cp = pp->peerPoint;
    if (c == nullptr || cp == nullptr) continue;
    // Child's point frame maps onto (-parent dir, parent rot).
    const MATRIX3& E = PlacingFrame(cp);
    const MATRIX3& F = PlacingFrame(pp.get());
    const MATRIX3 Q = mul(F, Transpose(E));  // child frame -> parent frame
    const VECTOR3 local = pp->pos - mul(Q, cp->pos);
    c->R = mul(v->R, Q);
    c->pos = v->pos + mul(v->R, local);
    c->vel = v->vel;
    c->avel = v->avel;
    c->landed = false;
    PlaceChildrenNow(c);
  }
}

bool Attach(Vessel* parent, Attachment* pp, Vessel* child, Attachment* cp) {
  if (parent == nullptr || child == nullptr || pp == nullptr || cp == nullptr) return false;
  if (parent == child || pp->toParent || !cp->toParent) return false;
  if (pp->owner != parent || cp->owner != child) return false;
  if (child->parentPoint != nullptr || pp->peer != nullptr || cp->peer != nullptr) return false;
  // No loops: the parent must not be carried by the child.
  for (Vessel* a = parent; a != nullptr; a = a->parentPoint ? a->parentPoint->peer : nullptr) {
    if (a == child) return false;
  }
  pp->peer = child;
  pp->peerPoint = cp;
  cp->peer = parent;
  cp->peerPoint = pp;
  child->parentPoint = cp;
  PlaceChildren(parent);
  if (W().attachHook != nullptr) W().attachHook(parent, child, true, W().attachHookUser);
  return true;
}

void Detach(Attachment* pp) {
  if (pp == nullptr || pp->toParent || pp->peer == nullptr) return;
  // A child released during the pre-steps leaves from where its parent
  // holds it now.
  if (W().deferChildren && pp->owner != nullptr) PlaceChildrenNow(pp->owner);
  Vessel* c = pp->peer;
  Attachment* cp = pp->peerPoint;
  pp->peer = nullptr;
  pp->peerPoint = nullptr;
  if (cp != nullptr) {
    cp->peer = nullptr;
    cp->peerPoint = nullptr;
  }
  c->parentPoint = nullptr;
  // A released vessel settles on the ground where it is.
  SettleAt(c, c->pos, c->R);
  if (W().attachHook != nullptr) W().attachHook(pp->owner, c, false, W().attachHookUser);
}

}  // namespace host
