// The top-down picture of a run: tracks, vessel outlines at intervals,
// names, a metre grid with a scale bar, and an optional planned path.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "apps/kvqsim/outputs/track.h"

namespace kvqsim {

struct PlotInput {
  std::string title;                                // e.g. the scenario's file name
  std::vector<Track> tracks;
  std::vector<std::pair<double, double>> plannedPath;  // (east, north) m
  bool hasOrigin = false;
  double originLng = 0, originLat = 0;               // rad
};

// The SVG document; the same input gives the same bytes.
std::string RenderPlotSvg(const PlotInput& in);

// Grid spacing in metres: the smallest 1, 2 or 5 times a power of ten that
// puts grid lines at least minPixels apart at that scale (pixels per metre).
double GridSpacing(double scale, double minPixels);
// Time between drawn outlines for a run of that length: about ten outlines.
double OutlineInterval(double duration);

}  // namespace kvqsim
