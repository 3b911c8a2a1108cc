#include "apps/kvqsim/serve/pacing.h"

#include <algorithm>

namespace kvqsim {

namespace {

constexpr double MAX_LAG = 0.25;    // s of wall time behind schedule before it starts again
constexpr double WINDOW = 1.0;      // s of wall time per real-time measurement

}  // namespace

Pacer::Pacer(double dt, Clock::time_point now) : dt_(dt), due_(now), windowStart_(now) {}

Pacer::Clock::duration Pacer::Step() const {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(dt_ / accel_));
}

void Pacer::Restart(Clock::time_point now) {
  due_ = now;
  windowStart_ = now;
  windowFrames_ = 0;
  lateSum_ = lateMaxWindow_ = 0;
}

void Pacer::SetAccel(int accel, Clock::time_point now) {
  if (accel < 1 || accel == accel_) return;
  accel_ = accel;
  Restart(now);
}

void Pacer::SetPaused(bool paused, Clock::time_point now) {
  if (paused == paused_) return;
  paused_ = paused;
  Restart(now);
  if (paused_) realtime_ = 0;
}

void Pacer::FrameRun(Clock::time_point now) {
  const double late = std::max(0.0, std::chrono::duration<double>(now - due_).count());
  lateSum_ += late;
  lateMaxWindow_ = std::max(lateMaxWindow_, late);
  due_ += Step();
  if (now - due_ > std::chrono::duration<double>(MAX_LAG)) due_ = now;
  ++windowFrames_;
  const double window = std::chrono::duration<double>(now - windowStart_).count();
  if (window >= WINDOW) {
    realtime_ = windowFrames_ * dt_ / window;
    lateMean_ = lateSum_ / windowFrames_;
    lateMax_ = lateMaxWindow_;
    windowStart_ = now;
    windowFrames_ = 0;
    lateSum_ = lateMaxWindow_ = 0;
  }
}

}  // namespace kvqsim
