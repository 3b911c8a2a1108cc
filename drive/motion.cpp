#include "drive/motion.h"

#include <cmath>

#include "drive/steering_constants.h"
#include "host/types.h"

namespace {
constexpr double POLE_COS = 1e-9;  // below this cos(latitude) the longitude is kept
}

YawStep ComputeYaw(int steerMode, double steer, double speed, double dt) {
  if (steerMode == 2) return {0.0, steer * CRAB_ANGLE_MAX, false};
  const double gain = steerMode == 1 ? STEER_GAIN_ALL : STEER_GAIN_FRONT;
  // The turning radius is WHEELBASE / sin(steer x gain); centred steering
  // has none and no yaw.
  const double omega = steer != 0 ? speed / (WHEELBASE / std::sin(steer * gain)) : 0.0;
  return {omega, omega * dt, true};
}

double WrapHeading(double heading) {
  if (heading < 0) heading += PI2;
  if (heading >= PI2) heading -= PI2;
  return heading;
}

SurfacePoint MoveOnSurface(SurfacePoint origin, double course, double speed, double dt, double bodyRadius) {
  if (!(bodyRadius > 0)) return origin;
  const double step = speed * dt / bodyRadius;  // rad of arc over the ground
  SurfacePoint p = origin;
  p.lat = origin.lat + step * std::cos(course);
  const double cosLat = std::cos(origin.lat);
  if (std::fabs(cosLat) >= POLE_COS) p.lng = origin.lng + step * std::sin(course) / cosLat;
  return p;
}

IdleState StepIdle(IdleState s, double speed, double dt) {
  if (speed != 0) return {0.0, s.engineRunning};
  s.idleTime += dt;
  if (s.idleTime > IDLE_SHUTDOWN_TIME) s.engineRunning = false;
  return s;
}
