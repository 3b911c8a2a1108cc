#include "apps/kvqsim/serve/event_log.h"

#include <nlohmann/json.hpp>

namespace kvqsim {

namespace {
// Events kept: a session that runs for days drops its oldest.
constexpr size_t MAX_EVENTS = 20000;
}  // namespace

void EventLog::Add(double t, std::string text) {
  events_.push_back({t, std::move(text)});
  if (events_.size() > MAX_EVENTS) {
    events_.pop_front();
    ++first_;
  }
}

std::string EventLog::Since(uint64_t from) const {
  nlohmann::json list = nlohmann::json::array();
  for (uint64_t i = from < first_ ? first_ : from; i < End(); ++i) {
    const SceneEvent& e = events_[static_cast<size_t>(i - first_)];
    list.push_back({{"t", e.t}, {"text", e.text}});
  }
  return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string DebugLineEvent(const std::string& text) {
  return text.empty() ? "debug line cleared" : "debug line: " + text;
}

}  // namespace kvqsim
