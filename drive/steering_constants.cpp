#include "drive/steering_constants.h"

#include <algorithm>
#include <cmath>

const double STEER_GAIN_FRONT = std::asin(WHEELBASE / (TURN_RADIUS_FRONT - HALF_TRACK));
const double STEER_GAIN_ALL = std::asin(WHEELBASE / (TURN_RADIUS_ALL - HALF_TRACK));
const double FRONT_LOCK_INNER = std::asin(WHEELBASE / (TURN_RADIUS_FRONT - 2 * HALF_TRACK));
const double FRONT_LOCK_OUTER = std::asin(WHEELBASE / TURN_RADIUS_FRONT);
const double REAR_LOCK_INNER = std::asin(WHEELBASE / (TURN_RADIUS_ALL - 2 * HALF_TRACK)) - FRONT_LOCK_INNER;
const double REAR_LOCK_OUTER = std::asin(WHEELBASE / TURN_RADIUS_ALL) - FRONT_LOCK_OUTER;
const double CRAB_ANGLE_MAX = std::max(REAR_LOCK_OUTER, FRONT_LOCK_OUTER);
