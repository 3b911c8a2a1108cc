#include <cmath>

#include "host/types.h"

VECTOR3 crossp(const VECTOR3& a, const VECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(const VECTOR3& a) { return std::sqrt(dotp(a, a)); }

double dist(const VECTOR3& a, const VECTOR3& b) { return length(a - b); }

VECTOR3 unit(const VECTOR3& a) {
  const double l = length(a);
  return l > 0 ? a * (1.0 / l) : a;
}

VECTOR3 mul(const MATRIX3& m, const VECTOR3& v) {
  return {m.m11 * v.x + m.m12 * v.y + m.m13 * v.z, m.m21 * v.x + m.m22 * v.y + m.m23 * v.z,
          m.m31 * v.x + m.m32 * v.y + m.m33 * v.z};
}

VECTOR3 tmul(const MATRIX3& m, const VECTOR3& v) {
  return {m.m11 * v.x + m.m21 * v.y + m.m31 * v.z, m.m12 * v.x + m.m22 * v.y + m.m32 * v.z,
          m.m13 * v.x + m.m23 * v.y + m.m33 * v.z};
}

MATRIX3 mul(const MATRIX3& a, const MATRIX3& b) {
  return {a.m11 * b.m11 + a.m12 * b.m21 + a.m13 * b.m31, a.m11 * b.m12 + a.m12 * b.m22 + a.m13 * b.m32,
          a.m11 * b.m13 + a.m12 * b.m23 + a.m13 * b.m33, a.m21 * b.m11 + a.m22 * b.m21 + a.m23 * b.m31,
          a.m21 * b.m12 + a.m22 * b.m22 + a.m23 * b.m32, a.m21 * b.m13 + a.m22 * b.m23 + a.m23 * b.m33,
          a.m31 * b.m11 + a.m32 * b.m21 + a.m33 * b.m31, a.m31 * b.m12 + a.m32 * b.m22 + a.m33 * b.m32,
          a.m31 * b.m13 + a.m32 * b.m23 + a.m33 * b.m33};
}
