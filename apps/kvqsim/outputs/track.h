// Vessel tracks sampled during a run: what the trace file and the plot show.
#pragma once

#include <string>
#include <vector>

namespace kvqsim {

struct TrackPoint {
  double t;          // simulation time (s)
  double lng, lat;   // rad
  double hdg;        // rad, 0..2pi, clockwise from north
  double east, north;  // m from the origin
};

struct Track {
  std::string name, className;
  double outline[4] = {0, 0, 0, 0};  // vessel frame: min x, max x, min z, max z (m)
  bool hasOutline = false;
  std::vector<TrackPoint> points;
  std::vector<std::string> parents;  // parent name at each point ("" none)
};

// Local east and north metres of a surface point from an origin, on a
// sphere of that radius (equirectangular; exact enough for an airport).
void EastNorth(double lng, double lat, double lng0, double lat0, double radius, double* east, double* north);

// Outline rectangle in the vessel frame from its three touchdown points
// (x right, z forward); a vessel whose points all coincide gets a square of
// its size.
void OutlineFromTouchdown(const double xs[3], const double zs[3], double size, double outline[4]);

// A point of the vessel frame (x right, z forward) placed at (east, north)
// with heading hdg.
void VesselToEastNorth(double x, double z, double east, double north, double hdg, double* e, double* n);

// One CSV row: time,name,class,lng,lat,hdg,east,north,parent (degrees).
std::string TraceRow(const Track& track, size_t point);
const char* TraceHeader();

}  // namespace kvqsim
