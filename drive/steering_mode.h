// Choice of the steering mode from the host's attitude-thruster mode, and
// the picture of the chosen mode on the cockpit texture.
#pragma once

constexpr int STEER_FRONT = 0;
constexpr int STEER_ALL = 1;
constexpr int STEER_CRAB = 2;

// Where the picture of a mode is copied to, on the same texture.
constexpr int STEER_IMAGE_X = 268;
constexpr int STEER_IMAGE_Y = 469;
constexpr int STEER_IMAGE_W = 70;
constexpr int STEER_IMAGE_H = 84;

struct SteerModeChoice {
  int steerMode;
  bool drawImage;  // false: mode and picture unchanged
  int imageX, imageY;  // source corner of the picture
};

// The mode changes only while the steering input is exactly centred, and
// crab steering cannot be chosen with anything coupled.
SteerModeChoice SelectSteerMode(int steerMode, double steer, int attitudeMode, int towMode);
