// Doubles that may hold anything (numbers read from other vessels'
// attachments, control levels a script set) turned into defined values.
#pragma once

#include <climits>
#include <cmath>

// Truncates toward zero, clamping into the int range; NaN gives 0.
inline int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

// The value itself when finite; NaN and the infinities give 0.
inline double FiniteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }
