// Samples every vessel's surface position every 0.1 s of simulation time,
// writes the trace rows as it goes and keeps the tracks for the plot.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "apps/kvqsim/outputs/track.h"
#include "host/orbiterapi.h"

namespace kvqsim {

constexpr double TRACE_INTERVAL = 0.1;  // s of simulation time

class Recorder {
 public:
  ~Recorder();
  // Opens the trace file (optional) and writes its header.
  bool OpenTrace(const std::string& path, std::string* error);
  // Host vessel hook.
  void VesselCreated(OBJHANDLE h);
  void VesselDeleted(OBJHANDLE h);
  // Samples when a sample is due at this simulation time.
  void Sample(double simt);
  // The end of the run: the tracks get their final points (not traced).
  void Finish(double simt);
  bool CloseTrace(std::string* error);

  const std::vector<Track>& Tracks() const { return tracks_; }
  bool HasOrigin() const { return hasOrigin_; }
  double OriginLng() const { return lng0_; }
  double OriginLat() const { return lat0_; }

 private:
  int TrackOf(OBJHANDLE h);
  void Record(double simt, bool traced);

  std::vector<Track> tracks_;
  std::map<OBJHANDLE, int> live_;
  FILE* trace_ = nullptr;
  bool traceFailed_ = false;
  long nextSample_ = 0;  // index of the next due sample
  double lastRecorded_ = -1.0;
  bool hasOrigin_ = false;
  double lng0_ = 0, lat0_ = 0;
};

}  // namespace kvqsim
