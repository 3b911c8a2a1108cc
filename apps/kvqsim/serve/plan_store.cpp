#include "apps/kvqsim/serve/plan_store.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "apps/kvqsim/outputs/track.h"
#include "apps/kvqsim/session/protocol.h"
#include "host/orbiterapi.h"

namespace kvqsim {

namespace {

using nlohmann::json;

constexpr double SAME_STAND = 10.0;          // m
constexpr double SAME_HEADING = 10.0 * PI / 180.0;  // rad
constexpr size_t PLANS_PER_STAND = 5;
constexpr size_t MAX_PLANS = 1000;

constexpr double DEG = 180.0 / PI;

bool SameStand(const StoredPlan& a, const std::string& scenario, double lng, double lat, double hdg, double radius) {
  if (a.scenario != scenario) return false;
  double e = 0, n = 0;
  EastNorth(lng, lat, a.lng, a.lat, radius, &e, &n);
  return std::hypot(e, n) <= SAME_STAND && std::fabs(std::remainder(hdg - a.hdg, 2 * PI)) <= SAME_HEADING;
}

bool Number(const json& j, const char* name, double* out) {
  auto it = j.find(name);
  if (it == j.end() || !it->is_number()) return false;
  *out = it->get<double>();
  return std::isfinite(*out);
}

}  // namespace

void PlanStore::Load(const std::string& path) {
  path_ = path;
  plans_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::stringstream text;
  text << in.rdbuf();
  json j;
  std::string error;
  if (!ParseJsonText(text.str(), &j, &error) || !j.is_object() || !j.contains("plans") || !j["plans"].is_array()) {
    std::fprintf(stderr, "kvqsim: warning: %s holds no plans that can be read\n", path.c_str());
    return;
  }
  for (const json& p : j["plans"]) {
    if (!p.is_object() || plans_.size() >= MAX_PLANS) continue;
    StoredPlan s;
    double lng = 0, lat = 0, hdg = 0;
    auto scenario = p.find("scenario");
    auto aircraft = p.find("aircraft");
    auto points = p.find("points");
    if (scenario == p.end() || !scenario->is_string() || aircraft == p.end() || !aircraft->is_string() ||
        points == p.end() || !points->is_array() || points->empty() || points->size() > MAX_PLAN_POINTS ||
        !Number(p, "lng", &lng) || !Number(p, "lat", &lat) || !Number(p, "hdg", &hdg) ||
        !Number(p, "heading", &s.heading))
      continue;
    s.scenario = scenario->get<std::string>();
    s.aircraft = aircraft->get<std::string>();
    s.lng = lng / DEG;
    s.lat = lat / DEG;
    s.hdg = hdg / DEG;
    bool ok = true;
    for (const json& pt : *points) {
      double a = 0, b = 0;
      ok = ok && pt.is_object() && Number(pt, "lng", &a) && Number(pt, "lat", &b);
      s.points.emplace_back(a / DEG, b / DEG);
    }
    if (ok) plans_.push_back(std::move(s));
  }
}

std::vector<StoredPlan> PlanStore::At(const std::string& scenario, double lng, double lat, double hdg,
                                      double radius) const {
  std::vector<StoredPlan> out;
  for (const StoredPlan& p : plans_)
    if (SameStand(p, scenario, lng, lat, hdg, radius)) out.push_back(p);
  return out;
}

bool PlanStore::Keep(const StoredPlan& plan, double radius) {
  // The newest first; the same plan at the same stand only once, and only
  // the newest few at a stand.
  std::vector<StoredPlan> kept{plan};
  size_t here = 1;
  for (StoredPlan& p : plans_) {
    const bool stand = SameStand(p, plan.scenario, plan.lng, plan.lat, plan.hdg, radius);
    if (stand && (p.points == plan.points && p.heading == plan.heading)) continue;
    if (stand && ++here > PLANS_PER_STAND) continue;
    if (kept.size() < MAX_PLANS) kept.push_back(std::move(p));
  }
  plans_ = std::move(kept);
  json list = json::array();
  for (const StoredPlan& p : plans_) {
    json pts = json::array();
    for (const auto& [a, b] : p.points) pts.push_back({{"lng", a * DEG}, {"lat", b * DEG}});
    list.push_back({{"scenario", p.scenario}, {"aircraft", p.aircraft}, {"lng", p.lng * DEG}, {"lat", p.lat * DEG},
                    {"hdg", p.hdg * DEG}, {"points", std::move(pts)}, {"heading", p.heading}});
  }
  const std::string text = json{{"plans", std::move(list)}}.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
  FILE* f = std::fopen(path_.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace kvqsim
