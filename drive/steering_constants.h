// Steering constants of the tractor, computed once when the module is loaded
// from the wheelbase, the half track and the two turning radii.
#pragma once

constexpr double WHEELBASE = 3.66;    // m
constexpr double HALF_TRACK = 1.065;  // m
constexpr double TURN_RADIUS_FRONT = 12.1;  // m, front-wheel steering at full lock
constexpr double TURN_RADIUS_ALL = 7.1;     // m, all-wheel steering at full lock

extern const double STEER_GAIN_FRONT;
extern const double STEER_GAIN_ALL;
extern const double FRONT_LOCK_INNER;
extern const double FRONT_LOCK_OUTER;
extern const double REAR_LOCK_INNER;
extern const double REAR_LOCK_OUTER;
extern const double CRAB_ANGLE_MAX;
