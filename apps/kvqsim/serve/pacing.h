// Real-time pacing of a served session: when the next frame is due on the
// wall clock, at a time acceleration, with pause; and how fast simulation
// time has lately run against wall time.
#pragma once

#include <chrono>

namespace kvqsim {

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  Pacer(double dt, Clock::time_point now);
  void SetAccel(int accel, Clock::time_point now);
  void SetPaused(bool paused, Clock::time_point now);
  int Accel() const { return accel_; }
  bool Paused() const { return paused_; }

  // When the next frame should run.
  Clock::time_point Due() const { return due_; }
  // A frame that started at `start` has run: the next one is due a step of
  // wall time (dt over the acceleration) later. A schedule that fell far
  // behind (a stall) starts again from the frame's start rather than
  // running a burst of frames to catch up.
  void FrameRun(Clock::time_point start);
  // Simulation seconds per wall second over the last measuring window.
  double RealTime() const { return realtime_; }
  // How late frames started against their due time over that window (s).
  double LateMean() const { return lateMean_; }
  double LateMax() const { return lateMax_; }

 private:
  Clock::duration Step() const;
  void Restart(Clock::time_point now);

  double dt_;
  int accel_ = 1;
  bool paused_ = false;
  Clock::time_point due_;
  Clock::time_point windowStart_;
  long windowFrames_ = 0;
  double realtime_ = 0;
  double lateSum_ = 0, lateMaxWindow_ = 0;
  double lateMean_ = 0, lateMax_ = 0;
};

}  // namespace kvqsim
