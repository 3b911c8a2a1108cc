#include "apps/kvqsim/serve/input_queue.h"

namespace kvqsim {

namespace {

constexpr size_t MAX_QUEUED = 1024;  // inputs waiting for the next frame boundary

bool Always(InputKind k) { return k == InputKind::Join || k == InputKind::Leave; }

}  // namespace

bool InputQueue::Push(QueuedInput in) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (queue_.size() >= MAX_QUEUED && !Always(in.input.kind)) return false;
    queue_.push_back(std::move(in));
  }
  cv_.notify_one();
  return true;
}

void InputQueue::Drain(std::vector<QueuedInput>* out) {
  out->clear();
  std::lock_guard<std::mutex> lock(mu_);
  for (QueuedInput& q : queue_) out->push_back(std::move(q));
  queue_.clear();
  poked_ = false;
}

void InputQueue::Poke() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    poked_ = true;
  }
  cv_.notify_one();
}

void InputQueue::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait_until(lock, deadline, [&] { return !queue_.empty() || poked_; });
}

}  // namespace kvqsim
