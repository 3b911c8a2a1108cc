#include "apps/kvqsim/serve/tracks.h"

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

namespace kvqsim {

namespace {
constexpr double STEP = 0.25;        // m between kept points
constexpr double JUMP = 3.0;         // m a vessel may move between samples besides its speed
constexpr double FASTEST = 30.0;     // m/s: faster than this is a jump
constexpr size_t MAX_POINTS = 200000;  // per vessel (50 km of track)
}  // namespace

void TrackLog::Sample(OBJHANDLE h, double t, double east, double north, OBJHANDLE parent) {
  Track& tr = tracks_[h];
  const bool attachedNow = tr.sampled && parent != tr.parent;
  const double dt = std::fabs(t - tr.lastT);
  const double moved = std::hypot(east - tr.lastE, north - tr.lastN);
  const bool jump = tr.sampled && (attachedNow || moved > JUMP + FASTEST * dt);
  tr.parent = parent;
  tr.lastT = t;
  const bool moving = tr.points.empty() || jump ||
                   std::hypot(east - tr.points.back().e, north - tr.points.back().n) >= STEP;
  tr.lastE = east;
  tr.lastN = north;
  tr.sampled = true;
  if (!moving || tr.points.size() >= MAX_POINTS) return;
  tr.points.push_back({static_cast<float>(east), static_cast<float>(north), jump});
}

void TrackLog::Forget(OBJHANDLE h) { tracks_.erase(h); }

std::string TrackLog::Since(Sent* sent, const std::unordered_map<OBJHANDLE, std::string>& names) const {
  std::string out = "{";
  bool any = false;
  for (const auto& [h, tr] : tracks_) {
    size_t& from = (*sent)[h];
    if (from >= tr.points.size()) continue;
    auto name = names.find(h);
    if (name == names.end()) continue;
    if (any) out += ',';
    any = true;
    out += nlohmann::json(name->second).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out += ":[";
    char buf[64];
    for (size_t i = from; i < tr.points.size(); ++i) {
      const Point& p = tr.points[i];
      const int n = std::snprintf(buf, sizeof buf, "%s[%.2f,%.2f%s]", i > from ? "," : "", p.e, p.n,
                                  p.jump ? ",1" : "");
      if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
    }
    out += ']';
    from = tr.points.size();
  }
  out += '}';
  return out;
}

}  // namespace kvqsim
