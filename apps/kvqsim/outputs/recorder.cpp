#include "apps/kvqsim/outputs/recorder.h"

#include <cmath>

#include "sim/sim.h"

namespace kvqsim {

Recorder::~Recorder() {
  if (trace_) std::fclose(trace_);
}

bool Recorder::OpenTrace(const std::string& path, std::string* error) {
  trace_ = std::fopen(path.c_str(), "wb");
  if (!trace_) {
    *error = "cannot write trace file '" + path + "'";
    return false;
  }
  std::fprintf(trace_, "%s\n", TraceHeader());
  return true;
}

bool Recorder::CloseTrace(std::string* error) {
  if (!trace_) return true;
  bool ok = !traceFailed_ && std::ferror(trace_) == 0;
  ok = std::fclose(trace_) == 0 && ok;
  trace_ = nullptr;
  if (!ok) *error = "writing the trace file failed";
  return ok;
}

void Recorder::VesselCreated(OBJHANDLE h) { TrackOf(h); }

void Recorder::VesselDeleted(OBJHANDLE h) { live_.erase(h); }

int Recorder::TrackOf(OBJHANDLE h) {
  auto it = live_.find(h);
  if (it != live_.end()) return it->second;
  Track t;
  tracks_.push_back(t);
  int index = static_cast<int>(tracks_.size()) - 1;
  live_[h] = index;
  return index;
}

void Recorder::Sample(double simt) {
  double due = static_cast<double>(nextSample_) * TRACE_INTERVAL;
  if (simt < due - 1e-9 * (1.0 + due)) return;
  Record(simt, true);
  // A step longer than the interval samples once per frame.
  nextSample_ = static_cast<long>(std::floor(simt / TRACE_INTERVAL + 1e-6)) + 1;
}

void Recorder::Finish(double simt) {
  if (simt > lastRecorded_ + 1e-9) Record(simt, false);
}

void Recorder::Record(double simt, bool traced) {
  lastRecorded_ = simt;
  double radius = oapiGetSize(sim::GetPlanet());
  DWORD count = oapiGetVesselCount();
  for (DWORD i = 0; i < count; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    VESSEL* v = h ? oapiGetVesselInterface(h) : nullptr;
    double lng = 0, lat = 0, hdg = 0;
    if (!v || !sim::GetSurfacePos(h, &lng, &lat, &hdg)) continue;
    if (!hasOrigin_) {
      hasOrigin_ = true;
      lng0_ = lng;
      lat0_ = lat;
    }
    Track& track = tracks_[static_cast<size_t>(TrackOf(h))];
    if (track.name.empty()) {
      track.name = v->GetName();
      track.className = v->GetClassName();
    }
    if (!track.hasOutline) {
      VECTOR3 p[3];
      v->GetTouchdownPoints(p[0], p[1], p[2]);
      double xs[3] = {p[0].x, p[1].x, p[2].x}, zs[3] = {p[0].z, p[1].z, p[2].z};
      OutlineFromTouchdown(xs, zs, v->GetSize(), track.outline);
      track.hasOutline = true;
    }
    hdg = std::fmod(hdg, PI2);
    if (hdg < 0) hdg += PI2;
    TrackPoint pt{simt, lng, lat, hdg, 0, 0};
    EastNorth(lng, lat, lng0_, lat0_, radius, &pt.east, &pt.north);
    track.points.push_back(pt);
    char parent[256] = {0};
    if (OBJHANDLE ph = sim::GetParent(h)) oapiGetObjectName(ph, parent, sizeof parent);
    track.parents.emplace_back(parent);
    if (traced && trace_) {
      std::string row = TraceRow(track, track.points.size() - 1);
      if (std::fprintf(trace_, "%s\n", row.c_str()) < 0) traceFailed_ = true;
    }
  }
}

}  // namespace kvqsim
