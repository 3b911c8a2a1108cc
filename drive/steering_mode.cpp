#include "drive/steering_mode.h"

SteerModeChoice SelectSteerMode(int steerMode, double steer, int attitudeMode, int towMode) {
  if (steer != 0) return {steerMode, false, 0, 0};
  switch (attitudeMode) {
    case 1:
      return {STEER_ALL, true, 15, 716};
    case 2:
      if (towMode != 0) return {steerMode, false, 0, 0};
      return {STEER_CRAB, true, 112, 720};
    default:
      return {STEER_FRONT, true, 208, 718};
  }
}
