#include "apps/kvqsim/outputs/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/types.h"

namespace kvqsim {

namespace {

constexpr double PLOT_MAX_W = 1000, PLOT_MAX_H = 760;  // px for the map itself
constexpr double MARGIN_L = 80, MARGIN_T = 70, MARGIN_B = 60, LEGEND_W = 260;
constexpr double MAX_SCALE = 40;   // px per metre, for runs that hardly move
constexpr double MIN_SPAN = 20;    // m shown at least
constexpr double GRID_MIN_PX = 50;

const char* const PALETTE[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                               "#8c564b", "#e377c2", "#17becf", "#7f7f7f", "#bcbd22"};

std::string Num(double v) {
  char b[48];
  std::snprintf(b, sizeof b, "%.2f", std::fabs(v) < 0.005 ? 0.0 : v);
  return b;
}

// "x,y" added to a space-separated list of points.
void AppendPoint(std::string& pts, double x, double y) {
  if (!pts.empty()) pts += ' ';
  pts += Num(x);
  pts += ',';
  pts += Num(y);
}

std::string Xml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 32) out += c;
    }
  }
  return out;
}

std::string MetreLabel(double v) {
  char b[48];
  double r = std::round(v);
  if (std::fabs(v - r) < 1e-6)
    std::snprintf(b, sizeof b, "%.0f m", r == 0 ? 0.0 : r);
  else
    std::snprintf(b, sizeof b, "%g m", v);
  return b;
}

struct Frame {
  double minE, maxE, minN, maxN, scale, left, top;
  double X(double e) const { return left + (e - minE) * scale; }
  double Y(double n) const { return top + (maxN - n) * scale; }
  double W() const { return (maxE - minE) * scale; }
  double H() const { return (maxN - minN) * scale; }
};

double OutlineRadius(const Track& t) {
  double r = 0;
  for (double x : {t.outline[0], t.outline[1]})
    for (double z : {t.outline[2], t.outline[3]}) r = std::max(r, std::hypot(x, z));
  return r;
}

Frame MakeFrame(const PlotInput& in) {
  double minE = 1e300, maxE = -1e300, minN = 1e300, maxN = -1e300;
  auto add = [&](double e, double n, double r) {
    minE = std::min(minE, e - r), maxE = std::max(maxE, e + r);
    minN = std::min(minN, n - r), maxN = std::max(maxN, n + r);
  };
  for (const Track& t : in.tracks) {
    double r = OutlineRadius(t);
    for (const TrackPoint& p : t.points) add(p.east, p.north, r);
  }
  for (const auto& p : in.plannedPath) add(p.first, p.second, 0);
  if (minE > maxE) minE = maxE = minN = maxN = 0;
  double cE = (minE + maxE) / 2, cN = (minN + maxN) / 2;
  double spanE = std::max(maxE - minE, MIN_SPAN) * 1.1, spanN = std::max(maxN - minN, MIN_SPAN) * 1.1;
  Frame f{};
  f.scale = std::min({PLOT_MAX_W / spanE, PLOT_MAX_H / spanN, MAX_SCALE});
  f.minE = cE - spanE / 2, f.maxE = cE + spanE / 2;
  f.minN = cN - spanN / 2, f.maxN = cN + spanN / 2;
  f.left = MARGIN_L, f.top = MARGIN_T;
  return f;
}

void Grid(std::string& s, const Frame& f) {
  double g = GridSpacing(f.scale, GRID_MIN_PX);
  s += "<g class=\"grid\" stroke=\"#dddddd\" stroke-width=\"1\">\n";
  for (long k = static_cast<long>(std::ceil(f.minE / g)); k * g <= f.maxE; ++k)
    s += "<line x1=\"" + Num(f.X(k * g)) + "\" y1=\"" + Num(f.top) + "\" x2=\"" + Num(f.X(k * g)) + "\" y2=\"" +
         Num(f.top + f.H()) + "\"/>\n";
  for (long k = static_cast<long>(std::ceil(f.minN / g)); k * g <= f.maxN; ++k)
    s += "<line x1=\"" + Num(f.left) + "\" y1=\"" + Num(f.Y(k * g)) + "\" x2=\"" + Num(f.left + f.W()) + "\" y2=\"" +
         Num(f.Y(k * g)) + "\"/>\n";
  s += "</g>\n<g class=\"grid-labels\" font-size=\"11\" fill=\"#555555\">\n";
  for (long k = static_cast<long>(std::ceil(f.minE / g)); k * g <= f.maxE; ++k)
    s += "<text x=\"" + Num(f.X(k * g)) + "\" y=\"" + Num(f.top + f.H() + 16) + "\" text-anchor=\"middle\">" +
         MetreLabel(k * g) + "</text>\n";
  for (long k = static_cast<long>(std::ceil(f.minN / g)); k * g <= f.maxN; ++k)
    s += "<text x=\"" + Num(f.left - 6) + "\" y=\"" + Num(f.Y(k * g) + 4) + "\" text-anchor=\"end\">" + MetreLabel(k * g) +
         "</text>\n";
  s += "<text x=\"" + Num(f.left + f.W() / 2) + "\" y=\"" + Num(f.top + f.H() + 36) +
       "\" text-anchor=\"middle\">east (m)</text>\n";
  s += "<text x=\"" + Num(f.left - 60) + "\" y=\"" + Num(f.top + f.H() / 2) + "\" transform=\"rotate(-90 " +
       Num(f.left - 60) + " " + Num(f.top + f.H() / 2) + ")\" text-anchor=\"middle\">north (m)</text>\n";
  s += "</g>\n";
  // Scale bar in the lower left corner, one grid spacing long.
  double x0 = f.left + 12, y0 = f.top + f.H() - 14, x1 = x0 + g * f.scale;
  s += "<g class=\"scale\" stroke=\"#000000\" stroke-width=\"2\">\n<line x1=\"" + Num(x0) + "\" y1=\"" + Num(y0) +
       "\" x2=\"" + Num(x1) + "\" y2=\"" + Num(y0) + "\"/>\n<line x1=\"" + Num(x0) + "\" y1=\"" + Num(y0 - 5) +
       "\" x2=\"" + Num(x0) + "\" y2=\"" + Num(y0 + 5) + "\"/>\n<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y0 - 5) +
       "\" x2=\"" + Num(x1) + "\" y2=\"" + Num(y0 + 5) + "\"/>\n</g>\n";
  s += "<text x=\"" + Num((x0 + x1) / 2) + "\" y=\"" + Num(y0 - 8) + "\" font-size=\"12\" text-anchor=\"middle\">" +
       MetreLabel(g) + "</text>\n";
  // North arrow in the upper right corner.
  double ax = f.left + f.W() - 20, ay = f.top + 14;
  s += "<g class=\"north\"><path d=\"M " + Num(ax) + " " + Num(ay) + " L " + Num(ax - 7) + " " + Num(ay + 22) +
       " L " + Num(ax) + " " + Num(ay + 16) + " L " + Num(ax + 7) + " " + Num(ay + 22) +
       " Z\" fill=\"#000000\"/><text x=\"" + Num(ax) + "\" y=\"" + Num(ay + 36) +
       "\" font-size=\"12\" text-anchor=\"middle\">N</text></g>\n";
}

void Outline(std::string& s, const Frame& f, const Track& t, const TrackPoint& p, const char* colour,
             const char* style) {
  const double xs[4] = {t.outline[0], t.outline[1], t.outline[1], t.outline[0]};
  const double zs[4] = {t.outline[3], t.outline[3], t.outline[2], t.outline[2]};
  std::string pts;
  for (int i = 0; i < 4; ++i) {
    double e = 0, n = 0;
    VesselToEastNorth(xs[i], zs[i], p.east, p.north, p.hdg, &e, &n);
    AppendPoint(pts, f.X(e), f.Y(n));
  }
  s += std::string("<polygon points=\"") + pts + "\" stroke=\"" + colour + "\" " + style + "/>\n";
  // A tick from the middle to the front edge shows the heading.
  double zm = (t.outline[2] + t.outline[3]) / 2, e0, n0, e1, n1;
  VesselToEastNorth(0, zm, p.east, p.north, p.hdg, &e0, &n0);
  VesselToEastNorth(0, t.outline[3], p.east, p.north, p.hdg, &e1, &n1);
  s += std::string("<line x1=\"") + Num(f.X(e0)) + "\" y1=\"" + Num(f.Y(n0)) + "\" x2=\"" + Num(f.X(e1)) +
       "\" y2=\"" + Num(f.Y(n1)) + "\" stroke=\"" + colour + "\" stroke-width=\"1.5\"/>\n";
}

void DrawTrack(std::string& s, const Frame& f, const Track& t, const char* colour, double interval) {
  if (t.points.empty()) return;
  s += "<g class=\"track\">\n";
  // The path, thinned to points at least half a pixel apart.
  std::string pts;
  double lastX = 1e300, lastY = 1e300;
  for (size_t i = 0; i < t.points.size(); ++i) {
    double x = f.X(t.points[i].east), y = f.Y(t.points[i].north);
    if (i + 1 < t.points.size() && std::hypot(x - lastX, y - lastY) < 0.5) continue;
    AppendPoint(pts, x, y);
    lastX = x, lastY = y;
  }
  s += std::string("<polyline points=\"") + pts + "\" fill=\"none\" stroke=\"" + colour +
       "\" stroke-width=\"2\" stroke-linejoin=\"round\"/>\n";
  // Outlines: the start dashed, one per interval, the end filled.
  const TrackPoint& first = t.points.front();
  Outline(s, f, t, first, colour, "fill=\"none\" stroke-width=\"1\" stroke-dasharray=\"4 3\"");
  long lastSlot = static_cast<long>(std::floor(first.t / interval + 1e-9));
  for (size_t i = 1; i + 1 < t.points.size(); ++i) {
    long slot = static_cast<long>(std::floor(t.points[i].t / interval + 1e-9));
    if (slot == lastSlot) continue;
    lastSlot = slot;
    Outline(s, f, t, t.points[i], colour, "fill=\"none\" stroke-width=\"0.8\" stroke-opacity=\"0.6\"");
  }
  const TrackPoint& last = t.points.back();
  Outline(s, f, t, last, colour, std::string("fill=\"" + std::string(colour) +
                                             "\" fill-opacity=\"0.25\" stroke-width=\"1.5\"").c_str());
  s += "<circle cx=\"" + Num(f.X(first.east)) + "\" cy=\"" + Num(f.Y(first.north)) + "\" r=\"3\" fill=\"" + colour +
       "\"/>\n";
  s += "<text x=\"" + Num(f.X(last.east) + 8) + "\" y=\"" + Num(f.Y(last.north) - 8) +
       "\" font-size=\"13\" font-weight=\"bold\" fill=\"" + colour + "\">" + Xml(t.name) + "</text>\n";
  s += "</g>\n";
}

}  // namespace

double GridSpacing(double scale, double minPixels) {
  for (double decade = 0.01; decade < 1e9; decade *= 10)
    for (double m : {1.0, 2.0, 5.0})
      if (m * decade * scale >= minPixels) return m * decade;
  return 1e9;
}

double OutlineInterval(double duration) {
  const double steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 1800, 3600, 7200};
  for (double s : steps)
    if (s * 10 >= duration) return s;
  return 14400;
}

std::string RenderPlotSvg(const PlotInput& in) {
  Frame f = MakeFrame(in);
  double t0 = 1e300, t1 = -1e300;
  for (const Track& t : in.tracks)
    for (const TrackPoint& p : t.points) t0 = std::min(t0, p.t), t1 = std::max(t1, p.t);
  if (t0 > t1) t0 = t1 = 0;
  double interval = OutlineInterval(t1 - t0);
  double width = MARGIN_L + f.W() + 20 + LEGEND_W, height = MARGIN_T + f.H() + MARGIN_B;

  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
       "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) + "\" font-family=\"sans-serif\">\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  s += "<text x=\"" + Num(MARGIN_L) + "\" y=\"26\" font-size=\"18\" font-weight=\"bold\">Tracks seen from above: " +
       Xml(in.title) + "</text>\n";
  char sub[256];
  if (in.hasOrigin)
    std::snprintf(sub, sizeof sub,
                  "%.1f s to %.1f s of simulation time; origin: the first vessel's start, longitude %.6f, latitude "
                  "%.6f degrees",
                  t0, t1, in.originLng * DEG, in.originLat * DEG);
  else
    std::snprintf(sub, sizeof sub, "%.1f s to %.1f s of simulation time; no vessels", t0, t1);
  s += "<text x=\"" + Num(MARGIN_L) + "\" y=\"46\" font-size=\"12\" fill=\"#333333\">" + Xml(sub) + "</text>\n";
  s += "<rect x=\"" + Num(f.left) + "\" y=\"" + Num(f.top) + "\" width=\"" + Num(f.W()) + "\" height=\"" +
       Num(f.H()) + "\" fill=\"#fafafa\" stroke=\"#999999\"/>\n";
  Grid(s, f);

  if (!in.plannedPath.empty()) {
    std::string pts;
    for (const auto& p : in.plannedPath) AppendPoint(pts, f.X(p.first), f.Y(p.second));
    s += "<g class=\"planned\"><polyline points=\"" + pts +
         "\" fill=\"none\" stroke=\"#444444\" stroke-width=\"1.5\" stroke-dasharray=\"8 5\"/>\n";
    for (const auto& p : in.plannedPath)
      s += "<circle cx=\"" + Num(f.X(p.first)) + "\" cy=\"" + Num(f.Y(p.second)) +
           "\" r=\"2.5\" fill=\"none\" stroke=\"#444444\"/>\n";
    s += "</g>\n";
  }
  for (size_t i = 0; i < in.tracks.size(); ++i)
    DrawTrack(s, f, in.tracks[i], PALETTE[i % (sizeof PALETTE / sizeof PALETTE[0])], interval);

  // Legend.
  double lx = MARGIN_L + f.W() + 20, ly = f.top + 10;
  s += "<g class=\"legend\" font-size=\"12\">\n";
  for (size_t i = 0; i < in.tracks.size(); ++i) {
    const char* c = PALETTE[i % (sizeof PALETTE / sizeof PALETTE[0])];
    s += "<rect x=\"" + Num(lx) + "\" y=\"" + Num(ly - 9) + "\" width=\"14\" height=\"10\" fill=\"" + c + "\"/>\n";
    s += "<text x=\"" + Num(lx + 20) + "\" y=\"" + Num(ly) + "\">" + Xml(in.tracks[i].name) + " (" +
         Xml(in.tracks[i].className) + ")</text>\n";
    ly += 18;
  }
  if (!in.plannedPath.empty()) {
    s += "<line x1=\"" + Num(lx) + "\" y1=\"" + Num(ly - 4) + "\" x2=\"" + Num(lx + 14) + "\" y2=\"" + Num(ly - 4) +
         "\" stroke=\"#444444\" stroke-dasharray=\"4 2\"/>\n<text x=\"" + Num(lx + 20) + "\" y=\"" + Num(ly) +
         "\">planned path</text>\n";
    ly += 18;
  }
  char note[128];
  std::snprintf(note, sizeof note, "outlines every %g s: start dashed, end filled", interval);
  s += "<text x=\"" + Num(lx) + "\" y=\"" + Num(ly + 8) + "\" fill=\"#555555\">" + note + "</text>\n";
  s += "<text x=\"" + Num(lx) + "\" y=\"" + Num(ly + 26) +
       "\" fill=\"#555555\">dot: start; tick: heading</text>\n</g>\n";
  s += "</svg>\n";
  return s;
}

}  // namespace kvqsim
