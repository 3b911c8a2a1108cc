#include "towing/trailer_model.h"

#include <cmath>

// Kinematic model of a tractor with off-axle hitched trailers (no-slip
// wheels): each trailer's axle moves only along the trailer, so its yaw rate
// follows from the velocity of its hitch across the trailer. Angles are in
// the tractor frame, yaw rates in the world frame.

namespace {

// World yaw rate of a trailer of length len hitched at offset off ahead of
// the axle of a leading body that moves at speed s along its axis and turns
// at rate w; rel is the trailer's yaw relative to that body.
double TrailerYawRate(double s, double w, double off, double len, double rel) {
  return (s * std::sin(rel) - off * w * std::cos(rel)) / len;
}

// Hitch to axle, no trailer is shorter than this (the towbar alone is
// 3.25 m). A shorter length, from a hand-written scenario, cannot carry a
// trailer: dividing by it swings the trailer by huge angles in one step,
// and a tiny one overflows to infinity.
constexpr double MIN_TRAILER_LENGTH = 0.5;  // m

bool CarriesTrailer(double length) { return length >= MIN_TRAILER_LENGTH; }

// The towed vessel's yaw is an angle and is kept within (-pi, pi]: however
// far a hand-written geometry swings it, a saved scenario carries it back.
// A yaw already in that range is left exactly as it is.
double WrapYaw(double a) {
  if (a > -PI && a <= PI) return a;
  a = std::remainder(a, PI2);
  return a <= -PI ? a + PI2 : a;
}

}  // namespace

bool ClampJackknife(int towMode, double* towbarYaw) {
  const double t1 = *towbarYaw;
  if (towMode < 0) {
    // At the back the straight position is pi: hold the towbar on the side
    // it swung to.
    if (t1 - PI > PI05) {
      *towbarYaw = PI + PI05;
      return true;
    }
    if (t1 - PI < -PI05) {
      *towbarYaw = PI - PI05;
      return true;
    }
    return false;
  }
  if (t1 > PI05 || t1 < -PI05) {
    *towbarYaw = t1 > 0 ? PI05 : -PI05;
    return true;
  }
  return false;
}

TowStepResult IntegrateTowing(int towMode, const TowGeometry& g, const TowAngles& a, double speed, double omega,
                              double dt) {
  TowStepResult r{a, false};
  if (towMode == 0 || towMode < -2 || towMode > 2) return r;

  const double t1 = a.towbarYaw;
  const double t2 = a.vesselYaw;
  const double l1 = g.towbarHitchOffset;

  // A length that cannot carry a trailer leaves the yaw it drives as it is,
  // the trailer turning with the body ahead of it.
  double omega1 = omega;
  if (CarriesTrailer(g.towbarLength)) {
    omega1 = TrailerYawRate(speed, omega, l1, g.towbarLength, t1);
    r.angles.towbarYaw = t1 + dt * (omega1 - omega);
  }
  r.jackknifed = ClampJackknife(towMode, &r.angles.towbarYaw);

  if ((towMode == 2 || towMode == -2) && CarriesTrailer(g.vesselLength)) {
    // The towbar's axle moves along the towbar at s1.
    const double s1 = speed * std::cos(t1) + l1 * omega * std::sin(t1);
    const double omega2 = TrailerYawRate(s1, omega1, g.vesselHitchOffset, g.vesselLength, t2 - t1);
    r.angles.vesselYaw = WrapYaw(t2 + dt * (omega2 - omega));
  }
  return r;
}

AimedFrame AimAttachment(double pitch, double yaw) {
  const double up = pitch + PI05;
  return AimedFrame{
      {std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)},
      {std::sin(yaw) * std::cos(up), std::sin(up), std::cos(yaw) * std::cos(up)},
  };
}
