// The airlock box and what the attachment carries, as plain numbers.
#include <cmath>

#include "crew/airlock_link.h"

void AirlockLink::AttachmentVectors(VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const {
  pos = _V(xMin, xMax, yMin);
  dir = _V(yMax, zMin, zMax);
  rot = _V(openFlag, secondValue, freeSeats);
}

bool AirlockLink::InsideBox(const VECTOR3& d) const {
  return xMin < d.x && d.x < xMax && yMin < d.y && d.y < yMax && zMin < d.z && d.z < zMax;
}

MATRIX3 RotateByAngles(const MATRIX3& r, const VECTOR3& a) {
  const double cx = std::cos(a.x), sx = std::sin(a.x);
  const double cy = std::cos(a.y), sy = std::sin(a.y);
  const double cz = std::cos(a.z), sz = std::sin(a.z);
  const MATRIX3 rx{1, 0, 0, 0, cx, sx, 0, -sx, cx};
  const MATRIX3 ry{cy, 0, sy, 0, 1, 0, -sy, 0, cy};
  const MATRIX3 rz{cz, sz, 0, -sz, cz, 0, 0, 0, 1};
  return mul(mul(mul(r, rx), ry), rz);
}
