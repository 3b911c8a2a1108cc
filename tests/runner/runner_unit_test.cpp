// The runner's pure parts: arguments, the track geometry and the plot.
#include <gtest/gtest.h>

#include <cmath>

#include "apps/kvqsim/kvqsim/options.h"
#include "apps/kvqsim/outputs/plot.h"
#include "apps/kvqsim/outputs/track.h"
#include "host/types.h"

using namespace kvqsim;

namespace {

bool Parse(std::vector<std::string> args, RunOptions* o, std::string* err) { return ParseOptions(args, o, err); }

}  // namespace

TEST(Options, EveryOptionOfTheCommandLine) {
  RunOptions o;
  std::string err;
  ASSERT_TRUE(Parse({"a.scn", "--script", "s.lua", "--until", "30", "--dt", "0.05", "--flight-model", "1", "--save",
                     "o.scn", "--trace", "t.csv", "--plot", "p.svg", "--sound-log", "l.txt", "--sound", "s.wav",
                     "--display", "d.png", "--root", "/r", "--quiet"},
                    &o, &err))
      << err;
  EXPECT_EQ(o.scenario, "a.scn");
  EXPECT_EQ(o.script, "s.lua");
  EXPECT_DOUBLE_EQ(o.until, 30);
  EXPECT_DOUBLE_EQ(o.dt, 0.05);
  EXPECT_EQ(o.flightModel, 1);
  EXPECT_EQ(o.save, "o.scn");
  EXPECT_EQ(o.trace, "t.csv");
  EXPECT_EQ(o.plot, "p.svg");
  EXPECT_EQ(o.soundLog, "l.txt");
  EXPECT_EQ(o.sound, "s.wav");
  EXPECT_EQ(o.display, "d.png");
  EXPECT_EQ(o.root, "/r");
  EXPECT_TRUE(o.quiet);
}

TEST(Options, DefaultsAndInlineValues) {
  RunOptions o;
  std::string err;
  ASSERT_TRUE(Parse({}, &o, &err));
  EXPECT_TRUE(o.scenario.empty() && o.script.empty());
  EXPECT_LT(o.until, 0);
  EXPECT_DOUBLE_EQ(o.dt, 1.0 / 60.0);
  EXPECT_EQ(o.flightModel, 0);
  ASSERT_TRUE(Parse({"--until=12.5", "--script=x.lua"}, &o, &err));
  EXPECT_DOUBLE_EQ(o.until, 12.5);
  EXPECT_EQ(o.script, "x.lua");
}

TEST(Options, BadArgumentsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--until", "abc"}, {"--until", "-1"},     {"--until", "5s"},        {"--dt", "0"},
      {"--dt", "-0.1"},   {"--flight-model", "2"}, {"--flight-model", "0.5"}, {"--frobnicate"},
      {"--script"},       {"a.scn", "b.scn"},      {"--until", "nan"},       {"--save="}};
  for (const auto& args : bad) {
    RunOptions o;
    std::string err;
    EXPECT_FALSE(Parse(args, &o, &err)) << args[0];
    EXPECT_FALSE(err.empty());
  }
  EXPECT_NE(std::string(UsageText()).find("--sound-log FILE"), std::string::npos);
}

TEST(Track, EastNorthAndVesselFrame) {
  const double R = 6371010;
  double e = 0, n = 0;
  EastNorth(0, 1e-5, 0, 0, R, &e, &n);
  EXPECT_NEAR(n, 63.7101, 1e-3);
  EXPECT_NEAR(e, 0, 1e-9);
  EastNorth(-80.67602 * RAD, 28.5227 * RAD, -80.6758 * RAD, 28.5227 * RAD, R, &e, &n);
  EXPECT_NEAR(e, -21.5, 0.1);  // the example's airliner, west of the tractor
  // Across the date line the short way round.
  EastNorth(PI - 1e-6, 0, -PI + 1e-6, 0, R, &e, &n);
  EXPECT_NEAR(e, -2e-6 * R, 1e-3);
  // Heading 90: forward is east, right is south.
  VesselToEastNorth(0, 10, 100, 200, PI05, &e, &n);
  EXPECT_NEAR(e, 110, 1e-9);
  EXPECT_NEAR(n, 200, 1e-9);
  VesselToEastNorth(3, 0, 0, 0, PI05, &e, &n);
  EXPECT_NEAR(e, 0, 1e-9);
  EXPECT_NEAR(n, -3, 1e-9);
}

TEST(Track, OutlineFromTouchdownPoints) {
  double out[4];
  const double xs[3] = {0, -3, 3}, zs[3] = {11, -1.5, -1.5};
  OutlineFromTouchdown(xs, zs, 18, out);
  EXPECT_DOUBLE_EQ(out[0], -3);
  EXPECT_DOUBLE_EQ(out[1], 3);
  EXPECT_DOUBLE_EQ(out[2], -1.5);
  EXPECT_DOUBLE_EQ(out[3], 11);
  const double zero[3] = {0, 0, 0};
  OutlineFromTouchdown(zero, zero, 4, out);
  EXPECT_DOUBLE_EQ(out[0], -2);
  EXPECT_DOUBLE_EQ(out[3], 2);
}

TEST(Track, TraceRowsAreStable) {
  Track t;
  t.name = "Jet, 2";
  t.className = "Airliner";
  t.points.push_back({0.1, -1e-13, 0.5, 0.0, -1e-7, 12.34567});
  t.parents.push_back("Tug");
  EXPECT_EQ(TraceRow(t, 0), "0.100,\"Jet, 2\",Airliner,0.000000000,28.647889757,0.0000,0.0000,12.3457,Tug");
  t.points[0].hdg = PI2 - 1e-9;
  EXPECT_NE(TraceRow(t, 0).find(",0.0000,0.0000,12.3457,"), std::string::npos) << TraceRow(t, 0);
  EXPECT_STREQ(TraceHeader(), "time,name,class,lng,lat,hdg,east,north,parent");
}

TEST(Plot, GridOutlinesAndDeterminism) {
  EXPECT_DOUBLE_EQ(GridSpacing(10, 50), 5);
  EXPECT_DOUBLE_EQ(GridSpacing(1, 50), 50);
  EXPECT_DOUBLE_EQ(GridSpacing(30, 50), 2);
  EXPECT_DOUBLE_EQ(OutlineInterval(60), 10);
  EXPECT_DOUBLE_EQ(OutlineInterval(5), 1);
  EXPECT_DOUBLE_EQ(OutlineInterval(600), 60);

  PlotInput in;
  in.title = "a<b>.scn";
  Track t;
  t.name = "Tug";
  t.className = "KVQ_R7700";
  t.hasOutline = true;
  t.outline[0] = -1, t.outline[1] = 1, t.outline[2] = -2.5, t.outline[3] = 2.5;
  for (int i = 0; i <= 300; ++i) t.points.push_back({i * 0.1, 0, 0, PI, 0, -i * 0.05, });
  t.parents.assign(t.points.size(), "");
  in.tracks.push_back(t);
  in.plannedPath = {{0, 0}, {0, -15}, {5, -20}};
  in.hasOrigin = true;
  std::string svg = RenderPlotSvg(in);
  EXPECT_EQ(svg, RenderPlotSvg(in));
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_NE(svg.find("a&lt;b&gt;.scn"), std::string::npos);
  EXPECT_NE(svg.find(">Tug (KVQ_R7700)<"), std::string::npos);
  EXPECT_NE(svg.find("planned path"), std::string::npos);
  EXPECT_NE(svg.find(" m</text>"), std::string::npos);  // grid labels and scale in metres
  // 30 s of track: outlines at the start, every 5 s and at the end.
  size_t polygons = 0;
  for (size_t at = svg.find("<polygon"); at != std::string::npos; at = svg.find("<polygon", at + 1)) ++polygons;
  EXPECT_EQ(polygons, 1u + 5u + 1u);
}
