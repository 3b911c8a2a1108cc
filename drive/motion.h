// Yaw rate, heading and the new surface position of one step, and the idle
// shutdown. Pure functions of values.
#pragma once

constexpr double IDLE_SHUTDOWN_TIME = 300.0;  // s at exactly zero speed

struct YawStep {
  double omega;         // yaw rate, rad/s, positive turning right
  double courseOffset;  // rad, added to the heading for the course of this step
  bool turnsHeading;    // false in crab steering: the heading is held
};

// steerMode 0 front-wheel, 1 all-wheel, 2 crab; steer -1..1; speed the new speed.
YawStep ComputeYaw(int steerMode, double steer, double speed, double dt);

// Into 0..2 pi, for a heading at most one turn outside.
double WrapHeading(double heading);

struct SurfacePoint {
  double lng, lat;  // rad
};

// Moves |speed| x dt metres over the ground along the course, on a sphere of
// the body radius. Near a pole the longitude is kept.
SurfacePoint MoveOnSurface(SurfacePoint origin, double course, double speed, double dt, double bodyRadius);

struct IdleState {
  double idleTime;
  bool engineRunning;
};

// The timer runs whenever the speed is exactly zero, engine on or off; the
// engine stops once it exceeds the shutdown time.
IdleState StepIdle(IdleState s, double speed, double dt);
