#include "apps/kvqsim/outputs/track.h"

#include <cmath>
#include <cstdio>

#include "host/types.h"

namespace kvqsim {

namespace {

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// Printing -0.000 and 0.000 differently would make equal runs look unequal.
double NoNegativeZero(double v, double quantum) { return std::fabs(v) < quantum ? 0.0 : v; }

}  // namespace

void EastNorth(double lng, double lat, double lng0, double lat0, double radius, double* east, double* north) {
  double dlng = std::remainder(lng - lng0, PI2);
  *east = dlng * std::cos(lat0) * radius;
  *north = (lat - lat0) * radius;
}

void OutlineFromTouchdown(const double xs[3], const double zs[3], double size, double outline[4]) {
  double x0 = xs[0], x1 = xs[0], z0 = zs[0], z1 = zs[0];
  for (int i = 1; i < 3; ++i) {
    x0 = std::fmin(x0, xs[i]);
    x1 = std::fmax(x1, xs[i]);
    z0 = std::fmin(z0, zs[i]);
    z1 = std::fmax(z1, zs[i]);
  }
  if (x1 - x0 < 1e-6 && z1 - z0 < 1e-6) {
    double h = size > 0 ? size * 0.5 : 0.5;
    x0 = -h, x1 = h, z0 = -h, z1 = h;
  } else if (x1 - x0 < 1e-6) {
    x0 -= 0.25, x1 += 0.25;
  } else if (z1 - z0 < 1e-6) {
    z0 -= 0.25, z1 += 0.25;
  }
  outline[0] = x0, outline[1] = x1, outline[2] = z0, outline[3] = z1;
}

void VesselToEastNorth(double x, double z, double east, double north, double hdg, double* e, double* n) {
  double s = std::sin(hdg), c = std::cos(hdg);
  *e = east + x * c + z * s;
  *n = north - x * s + z * c;
}

const char* TraceHeader() { return "time,name,class,lng,lat,hdg,east,north,parent"; }

std::string TraceRow(const Track& track, size_t i) {
  const TrackPoint& p = track.points[i];
  // A heading a hair below 360 degrees prints as 0, not as 360.0000.
  double hdg = p.hdg * DEG;
  if (hdg >= 360.0 - 5e-5) hdg = 0.0;
  char numbers[192];
  std::snprintf(numbers, sizeof numbers, "%.9f,%.9f,%.4f,%.4f,%.4f", NoNegativeZero(p.lng * DEG, 5e-10),
                NoNegativeZero(p.lat * DEG, 5e-10), NoNegativeZero(hdg, 5e-5), NoNegativeZero(p.east, 5e-5),
                NoNegativeZero(p.north, 5e-5));
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", p.t);
  std::string parent = i < track.parents.size() ? track.parents[i] : "";
  return std::string(time) + "," + CsvField(track.name) + "," + CsvField(track.className) + "," + numbers + "," +
         CsvField(parent);
}

}  // namespace kvqsim
