// What happened in the scene, for the person at the page: attachments made
// and released, vessels created and deleted, the debug line's texts, input
// boxes opened and answered, waves the sound add-on started, time
// acceleration and pause, the hands-off pushback. Kept for the whole
// session; each page is sent what it has not had yet.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace kvqsim {

struct SceneEvent {
  double t = 0;  // simulation time (s)
  std::string text;
};

class EventLog {
 public:
  void Add(double t, std::string text);
  // Events are numbered from 0 in the order they came; those from `from`
  // on, as the JSON array the page takes (all still kept when `from` is
  // older than the oldest).
  std::string Since(uint64_t from) const;
  uint64_t End() const { return first_ + events_.size(); }

 private:
  std::deque<SceneEvent> events_;
  uint64_t first_ = 0;  // the number of events_.front()
};

// The text of an event for a debug line ("" when it was cleared).
std::string DebugLineEvent(const std::string& text);

}  // namespace kvqsim
