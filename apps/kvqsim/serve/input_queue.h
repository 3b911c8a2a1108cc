// Inputs in arrival order, from the server's threads to the simulation
// thread, each with the person (the page's connection) it came from.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "apps/kvqsim/session/protocol.h"

namespace kvqsim {

struct QueuedInput {
  int person = 0;
  Input input;
};

class InputQueue {
 public:
  // False when the queue is full (a page flooding kvqsim): the input is
  // dropped and the page told so. A person's arrival and departure always
  // get in: what a departing person holds must be let go.
  bool Push(QueuedInput in);
  // Everything queued, in order, into `out` (cleared first).
  void Drain(std::vector<QueuedInput>* out);
  // Waits until an input arrives, the queue is poked, or the deadline passes.
  void WaitUntil(std::chrono::steady_clock::time_point deadline);
  // Wakes the simulation thread without an input (something is wanted of it).
  void Poke();

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<QueuedInput> queue_;
  bool poked_ = false;
};

}  // namespace kvqsim
