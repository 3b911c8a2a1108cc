// kvqsim's command line end to end: exit codes and messages, the default
// example, trace contents, --until and --dt, and identical outputs from
// identical runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef KVQ_HAVE_CAIRO
#include "tests/runner/picture_read.h"
#endif
#include "apps/kvqsim/session/record.h"
#include "tests/support/platform.h"

namespace {

const std::string KVQSIM = std::string(KVQ_BIN) + "/" + testsupport::ProgramFile("kvqsim");
const std::string ROOT = KVQ_ROOT;
const std::string EXAMPLE = ROOT + "/Examples/pushback.scn";

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

std::string Q(const std::string& path) { return testsupport::ShellQuoted(path); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream s(text);
  for (std::string line; std::getline(s, line);) out.push_back(line);
  return out;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testsupport::MakeScratchFolder("kvqsim_cli_").string();
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // Runs kvqsim in the test folder; out and err hold what it printed.
  int Run(const std::string& args) {
    int status = testsupport::RunProgram(KVQSIM, args, dir, "out.txt", "err.txt");
    out = ReadFile(dir + "/out.txt");
    err = ReadFile(dir + "/err.txt");
    return status;
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }

  std::string dir, out, err;
};

TEST_F(Cli, NoArgumentsRunsTheShippedExample) {
  EXPECT_EQ(Run(""), 0) << err;
  EXPECT_NE(err.find("frames"), std::string::npos) << "closing summary: " << err;
  EXPECT_EQ(Run("--quiet"), 0);
  EXPECT_EQ(err, "");
}

TEST_F(Cli, BadArgumentsPrintTheUsage) {
  for (const char* args : {"--until abc", "--frobnicate", "--flight-model 2", "--dt 0", "a.scn b.scn", "--trace"}) {
    EXPECT_EQ(Run(args), 2) << args;
    EXPECT_NE(err.find("usage: kvqsim"), std::string::npos) << args;
  }
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(out.find("--plot FILE"), std::string::npos);
}

TEST_F(Cli, BadInputNamesTheFile) {
  EXPECT_EQ(Run("missing.scn"), 2);
  EXPECT_NE(err.find("missing.scn"), std::string::npos) << err;

  WriteFile(Path("unknown.scn"),
            "BEGIN_SHIPS\nTug:KVQ_R7700\n  STATUS Landed Earth\n  POS 0 0\nEND\nThing:NoSuchClass\n"
            "  STATUS Landed Earth\n  POS 0 0\nEND\nEND_SHIPS\n");
  EXPECT_EQ(Run("unknown.scn --quiet"), 2);
  EXPECT_NE(err.find("unknown.scn"), std::string::npos) << err;
  EXPECT_NE(err.find("NoSuchClass"), std::string::npos) << err;
  EXPECT_NE(err.find("6"), std::string::npos) << "the line: " << err;

  WriteFile(Path("header.scn"), "BEGIN_SHIPS\nno colon here\nEND\nEND_SHIPS\n");
  EXPECT_EQ(Run("header.scn --quiet"), 2);
  EXPECT_NE(err.find("header.scn"), std::string::npos) << err;

  EXPECT_EQ(Run("--script nothing.lua --quiet"), 2);
  EXPECT_NE(err.find("nothing.lua"), std::string::npos) << err;
  EXPECT_EQ(Run("--root /no/such/root --quiet"), 2);
}

TEST_F(Cli, LuaErrorsExitWithOneAndFileLine) {
  WriteFile(Path("fail.lua"), "local x = 1\nerror('boom')\n");
  EXPECT_EQ(Run("--script fail.lua --quiet"), 1);
  EXPECT_NE(err.find("fail.lua:2: boom"), std::string::npos) << err;

  WriteFile(Path("assert.lua"), "proc.wait_simdt(0.5)\nassert(oapi.get_simtime() < 0, 'time is ' .. 'positive')\n");
  EXPECT_EQ(Run("--script assert.lua --quiet"), 1);
  EXPECT_NE(err.find("assert.lua:2: time is positive"), std::string::npos) << err;

  WriteFile(Path("syntax.lua"), "x = 1\nif then\n");
  EXPECT_EQ(Run("--script syntax.lua --quiet"), 1);
  EXPECT_NE(err.find("syntax.lua:2:"), std::string::npos) << err;
}

TEST_F(Cli, LuaErrorsOutsideTheScriptEndTheRunWithItsOutputsWritten) {
  // A script that replaced `debug` and then fails: its own message and a
  // traceback (the runner's traceback once ran unprotected, and a panic
  // was all that was printed).
  WriteFile(Path("nodebug.lua"),
            "debug = setmetatable({}, {__index = function() error('no debug here') end})\n"
            "proc.skip()\nerror('the script failed')\n");
  EXPECT_EQ(Run(Q(EXAMPLE) + " --script nodebug.lua --quiet --save s.scn"), 1);
  EXPECT_NE(err.find("nodebug.lua:3: the script failed"), std::string::npos) << err;
  EXPECT_NE(err.find("stack traceback"), std::string::npos) << err;
  EXPECT_NE(ReadFile(Path("s.scn")).find("Tug:KVQ_R7700"), std::string::npos) << "the scene where it failed";

  // A registry entry of the runner's broken by the script, met in a frame
  // in which a crew member is taken in (the runner forgets the deleted crew
  // vessel's userdata): exit 1 with the reason, and the outputs asked for.
  WriteFile(Path("hook.lua"),
            "local tug = oapi.create_vessel('Tug', 'KVQ_R7700', {lng = -80.6758, lat = 28.5227, hdg = 0})\n"
            "proc.skip()\ntug:send_bufferedkey(OAPI_KEY.E)\n"
            "assert(vessel.get_interface('UMmu_Eng-Peter_Holm'):walk_to(tug, 0, 0, 3.5))\n"
            "debug.getregistry()['kvqsim.vessels'] = 42\n"
            "proc.wait_simdt(2)\n");
  EXPECT_EQ(Run("--script hook.lua --quiet --save h.scn --plot h.svg"), 1);
  EXPECT_NE(err.find("while vessel 'UMmu_Eng-Peter_Holm' was deleted: the registry's \"kvqsim.vessels\" is a number"),
            std::string::npos)
      << err;
  EXPECT_NE(ReadFile(Path("h.scn")).find("UMMUCREW Eng-Peter_Holm"), std::string::npos) << "aboard again";
  EXPECT_FALSE(ReadFile(Path("h.svg")).empty());

  // Deleted by the script itself: the run ends when the script yields, and
  // until then the deleted vessel is not reached through its userdata.
  WriteFile(Path("deleted.lua"),
            "local jet = oapi.create_vessel('Jet', 'Airliner', {lng = 0, lat = 0, hdg = 0})\n"
            "local reg = debug.getregistry()\n"
            "local cache = reg['kvqsim.vessels']\n"
            "reg['kvqsim.vessels'] = 42\n"
            "oapi.delete_vessel('Jet')\n"
            "reg['kvqsim.vessels'] = cache\n"
            "assert(jet:get_name() == nil, 'the deleted vessel was reached')\n"
            "proc.skip()\n");
  EXPECT_EQ(Run("--script deleted.lua --quiet"), 1);
  EXPECT_NE(err.find("while vessel 'Jet' was deleted"), std::string::npos) << err;
  EXPECT_EQ(err.find("was reached"), std::string::npos) << err;

  // The planned path of a plot is read protected too.
  WriteFile(Path("path.lua"), "plot_path = {setmetatable({}, {__index = function() error('bad point') end})}\n");
  EXPECT_EQ(Run(Q(EXAMPLE) + " --script path.lua --quiet --until 0.1 --plot p.svg"), 1);
  EXPECT_NE(err.find("plot_path: "), std::string::npos) << err;
  EXPECT_NE(err.find("bad point"), std::string::npos) << err;
  EXPECT_FALSE(ReadFile(Path("p.svg")).empty());
}

TEST_F(Cli, SavedScenesLoadBackToTheSameLines) {
  // Values a hand-written scene restores that once ran away: fuel of minus
  // the tractor's mass (a total mass of zero, then an infinite speed), hitch
  // offsets of 1e15 (a vessel yaw of 4e27 rad), a longitude of 1e308
  // degrees (a POS line too long to read back).
  WriteFile(Path("odd.scn"),
            "BEGIN_SHIPS\n"
            "Heavy:KVQ_R7700\n  STATUS Landed Earth\n  POS -80.6758 28.5227\n  HEADING 0\n"
            "  TRANS 1 0 -54400\nEND\n"
            "Swing:KVQ_R7700\n  STATUS Landed Earth\n  POS -80.6750 28.5227\n  HEADING 0\n"
            "  MODE 2 5 0\n  LENG 5 3.25 1e15 1\n  ANGL 0.3 0.5 0\nEND\n"
            "Far:Airliner\n  STATUS Landed Earth\n  POS 1e308 -1e300\n  HEADING 1e308\nEND\n"
            "END_SHIPS\n");
  WriteFile(Path("drive.lua"),
            "local heavy = vessel.get_interface('Heavy')\n"
            "heavy:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)\n"
            "heavy:set_thrustergrouplevel(THGROUP.MAIN, 1)\n"
            "proc.wait_simdt(1)\n");
  ASSERT_EQ(Run("odd.scn --script drive.lua --quiet --save once.scn"), 0) << err;
  const std::string once = ReadFile(Path("once.scn"));
  for (const char* bad : {"nan", "inf"}) EXPECT_EQ(once.find(bad), std::string::npos) << once;
  ASSERT_EQ(Run("once.scn --until 0 --quiet --save twice.scn"), 0) << err;
  EXPECT_EQ(ReadFile(Path("twice.scn")), once);
}

TEST_F(Cli, ReplaysOfAKilledSessionAndOfAnEndlessRecord) {
  // A record as a served session of the example writes it: the engine
  // started with Ctrl+E at frame 30.
  kvqsim::RecordHeader h;
  h.scenario = EXAMPLE;
  h.scenarioHash = kvqsim::FileHash(EXAMPLE);
  h.root = std::filesystem::canonical(ROOT).string();
  h.dt = 1.0 / 60.0;
  kvqsim::Input ctrlE;
  ctrlE.kind = kvqsim::InputKind::Key;
  ctrlE.code = 0x12;
  ctrlE.down = true;
  ctrlE.held = {0x12, 0x1D};
  ctrlE.hasHeld = true;
  auto record = [&](const std::string& name, uint64_t end) {
    kvqsim::RecordWriter w;
    std::string error;
    ASSERT_TRUE(w.Open(Path(name), h, &error)) << error;
    w.Add(30, 1, ctrlE);
    if (end > 0) {
      ASSERT_TRUE(w.Finish(end, &error)) << error;
    }
  };

  // Killed: no end line. The replay runs to the last input and says so.
  record("killed.jsonl", 0);
  ASSERT_EQ(Run("--replay killed.jsonl --save k.scn"), 0) << err;
  EXPECT_NE(err.find("warning: killed.jsonl has no end line"), std::string::npos) << err;
  EXPECT_NE(err.find("kvqsim: 30 frames"), std::string::npos) << err;

  // Edited to end at frame 10^12: refused, unless --until ends it sooner.
  record("endless.jsonl", 1000000000000);
  EXPECT_EQ(Run("--replay endless.jsonl --quiet"), 2);
  EXPECT_NE(err.find("past the 10000000 frames a replay runs"), std::string::npos) << err;
  ASSERT_EQ(Run("--replay endless.jsonl --until 1"), 0) << err;
  EXPECT_NE(err.find("kvqsim: 60 frames"), std::string::npos) << err;
}

TEST_F(Cli, TraceRowsEveryTenthOfASecond) {
  ASSERT_EQ(Run(Q(EXAMPLE) + " --until 1 --trace t.csv --quiet"), 0) << err;
  std::vector<std::string> rows = Lines(ReadFile(Path("t.csv")));
  ASSERT_EQ(rows.size(), 1u + 11u * 2u);  // header, 0.0 .. 1.0 s for two vessels
  EXPECT_EQ(rows[0], "time,name,class,lng,lat,hdg,east,north,parent");
  EXPECT_EQ(rows[1].rfind("0.000,Tug,KVQ_R7700,-80.675800000,28.522700000,270.0000,0.0000,0.0000,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind("0.000,Jet,Airliner,-80.676035420,28.522700000,90.0000,-23.0", 0), 0u) << rows[2];
  EXPECT_EQ(rows[3].rfind("0.100,Tug,", 0), 0u) << rows[3];
  EXPECT_EQ(rows[21].rfind("1.000,Tug,", 0), 0u) << rows[21];
}

TEST_F(Cli, TraceNamesTheParentOfACarriedVessel) {
  ASSERT_EQ(Run(Q(std::string(KVQ_SOURCE) + "/tests/e2e/runner_coupled.scn") + " --until 0.2 --trace t.csv --quiet"), 0)
      << err;
  std::vector<std::string> rows = Lines(ReadFile(Path("t.csv")));
  ASSERT_EQ(rows.size(), 1u + 3u * 2u);
  for (size_t i = 1; i < rows.size(); i += 2) {
    EXPECT_EQ(rows[i].substr(rows[i].size() - 1), ",") << "the tractor has no parent: " << rows[i];
    EXPECT_EQ(rows[i + 1].substr(rows[i + 1].size() - 4), ",Tug") << rows[i + 1];
  }
}

TEST_F(Cli, UntilEndsAWaitingScriptAndDtSetsTheStep) {
  WriteFile(Path("wait.lua"), "assert(oapi.get_simstep() == 0.05)\nproc.wait_simtime(1000)\n");
  ASSERT_EQ(Run(Q(EXAMPLE) + " --script wait.lua --until 2 --dt 0.05 --trace t.csv"), 0) << err;
  EXPECT_NE(err.find("40 frames"), std::string::npos) << err;
  std::vector<std::string> rows = Lines(ReadFile(Path("t.csv")));
  ASSERT_EQ(rows.size(), 1u + 21u * 2u);
  EXPECT_EQ(rows.back().rfind("2.000,Jet,", 0), 0u) << rows.back();

  // A script that returns ends the run at once.
  WriteFile(Path("quick.lua"), "proc.wait_simdt(0.5)\n");
  ASSERT_EQ(Run("--script quick.lua"), 0) << err;
  EXPECT_NE(err.find(" 30 frames"), std::string::npos) << err;
}

namespace {

// The centres of the SVG circles of radius r, in document order.
std::vector<std::string> Circles(const std::string& svg, const std::string& r) {
  std::vector<std::string> out;
  const std::string tail = "\" r=\"" + r + "\"";
  for (size_t at = svg.find("<circle cx="); at != std::string::npos; at = svg.find("<circle cx=", at + 1)) {
    size_t end = svg.find(tail, at);
    if (end != std::string::npos && svg.find('>', at) > end) out.push_back(svg.substr(at + 11, end - at - 11));
  }
  return out;
}

}  // namespace

TEST_F(Cli, PlannedPathByLongitudeAndLatitude) {
  // Points given as get_surfacepos gives them land where those vessels
  // started: the planned path's points sit on the tracks' start dots.
  WriteFile(Path("plan.lua"),
            "local jl, jb = vessel.get_interface('Jet'):get_surfacepos()\n"
            "local tl, tb = vessel.get_interface('Tug'):get_surfacepos()\n"
            "plot_path = {{lng = jl, lat = jb}, {lng = tl, lat = tb}, {e = 5, n = 5}, {lng = 'x'}}\n"
            "proc.wait_simdt(0.5)\n");
  ASSERT_EQ(Run(Q(EXAMPLE) + " --script plan.lua --quiet --plot p.svg"), 0) << err;
  std::string svg = ReadFile(Path("p.svg"));
  std::vector<std::string> starts = Circles(svg, "3"), planned = Circles(svg, "2.5");
  ASSERT_EQ(starts.size(), 2u) << svg;
  ASSERT_EQ(planned.size(), 3u) << "points without numbers are left out";
  EXPECT_EQ(planned[0], starts[1]) << "the airliner's start";
  EXPECT_EQ(planned[1], starts[0]) << "the tractor's start";
}

TEST_F(Cli, TwoRunsWriteIdenticalFiles) {
  WriteFile(Path("drive.lua"),
            "local jet = vessel.get_interface('Jet')\n"
            "plot_path = {{e = 0, n = 0}, {e = -10, n = 5}}\n"
            "oapi.create_vessel('Van', 'Airliner', {ref = 'Tug', x = 20, z = 0, hdg = 45})\n"
            "proc.wait_simdt(3)\n"
            "oapi.delete_vessel('Van')\n"
            "proc.wait_simdt(1)\n");
  std::string args = Q(EXAMPLE) + " --script drive.lua --quiet";
  ASSERT_EQ(Run(args + " --trace t1.csv --plot p1.svg --save s1.scn"), 0) << err;
  ASSERT_EQ(Run(args + " --trace t2.csv --plot p2.svg --save s2.scn"), 0) << err;
  std::string t1 = ReadFile(Path("t1.csv")), p1 = ReadFile(Path("p1.svg")), s1 = ReadFile(Path("s1.scn"));
  EXPECT_FALSE(t1.empty() || p1.empty() || s1.empty());
  EXPECT_EQ(t1, ReadFile(Path("t2.csv")));
  EXPECT_EQ(p1, ReadFile(Path("p2.svg")));
  EXPECT_EQ(s1, ReadFile(Path("s2.scn")));
  // The plot shows every vessel, the planned path and a metre scale.
  for (const char* s : {">Tug (KVQ_R7700)<", ">Jet (Airliner)<", ">Van (Airliner)<", "planned path", " m</text>"})
    EXPECT_NE(p1.find(s), std::string::npos) << s;
  // The deleted vessel is traced while it lives, and saved scenarios no longer hold it.
  EXPECT_NE(t1.find("\n0.000,Van,Airliner,"), std::string::npos) << "created before the first frame";
  EXPECT_NE(t1.find("\n3.000,Van,"), std::string::npos);
  EXPECT_EQ(t1.find("\n3.100,Van,"), std::string::npos);
  EXPECT_EQ(s1.find("Van:"), std::string::npos);
  EXPECT_NE(s1.find("Jet:Airliner"), std::string::npos);
}

TEST_F(Cli, ScriptLibrariesLoadFromTheRootsScriptFolder) {
  std::string root = Path("root");
  for (const char* sub : {"/Script", "/Config", "/Modules"}) std::filesystem::create_directories(root + sub);
  WriteFile(root + "/Script/helper.lua", "return { answer = function() return 42 end }\n");
  WriteFile(Path("use.lua"), "local h = require('helper')\nassert(h.answer() == 42)\n");
  EXPECT_EQ(Run("--root " + Q(root) + " --script use.lua --quiet"), 0) << err;
}

TEST_F(Cli, DisplayPictureShowsTheLastRedraw) {
#ifndef KVQ_HAVE_CAIRO
  GTEST_SKIP() << "not applicable to this build: it has no Cairo to draw pictures (the Windows build)";
#else
  // The probe vessel draws "PROBE" in green at (130, 250), 80 pixels high,
  // under a white frame from (80, 240) to (420, 240) and down to the bottom.
  WriteFile(Path("probe.lua"),
            "oapi.create_vessel('P', 'LuaProbe', {lng = 0, lat = 0, hdg = 0})\n"
            "assert(oapi.set_focus('P'))\n"
            "proc.skip()\n");
  std::string root = std::string(KVQ_BIN) + "/../tests/runner/probe_root";
  ASSERT_EQ(Run("--root " + Q(root) + " --script probe.lua --display d.png --quiet"), 0) << err;
  kvqsim::Picture pic;
  ASSERT_TRUE(kvqsim::ReadPicture(Path("d.png"), &pic));
  ASSERT_EQ(pic.width, 485);
  ASSERT_EQ(pic.height, 337);
  EXPECT_EQ(pic.At(250, 240), 0xFFFFFFu);  // the frame's top
  EXPECT_EQ(pic.At(80, 300), 0xFFFFFFu);   // its left side
  EXPECT_EQ(pic.At(250, 100), pic.At(5, 5));  // background above
  // The 4-pixel pen: the frame's top is four rows thick.
  int rows = 0;
  for (int y = 230; y < 250; ++y) rows += pic.At(250, y) == 0xFFFFFFu;
  EXPECT_EQ(rows, 4);
  int green = 0, minX = pic.width, maxX = 0, minY = pic.height, maxY = 0;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint32_t p = pic.At(x, y);
      if (((p >> 8) & 0xFF) >= 128 && (p >> 16) < 64) {
        ++green;
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  ASSERT_GT(green, 500);
  EXPECT_GE(minX, 130);
  EXPECT_LT(maxX, 420);
  EXPECT_GT(minY, 250);
  EXPECT_NEAR(maxY - minY, 51, 4);  // capitals of a font with an 80-pixel cell

  // The same run twice gives the same picture.
  ASSERT_EQ(Run("--root " + Q(root) + " --script probe.lua --display d2.png --quiet"), 0) << err;
  EXPECT_EQ(ReadFile(Path("d2.png")), ReadFile(Path("d.png")));
#endif
}

// The tractor's status display in a proportional bold sans, a font's height
// being its cell's (1.117 em for Liberation Sans): "START" stands in the
// middle of its frame, and the labels take the widths of the font's design
// (advance widths of Liberation Sans Bold: "START" 3.333 em, "Attach Towbar
// to" 8.167 em, "Front  |  Back" 6.668 em, less the side bearings of the end
// letters). The picture is compressed.
TEST_F(Cli, TractorDisplayIsDrawnInARealFont) {
#ifndef KVQ_HAVE_CAIRO
  GTEST_SKIP() << "not applicable to this build: it has no Cairo to draw pictures (the Windows build)";
#else
  const char* setup =
      "local tug = oapi.create_vessel('Tug', 'KVQ_R7700', {lng = -80.6758, lat = 28.5227, hdg = 270})\n"
      "oapi.set_focus('Tug')\n"
      "oapi.set_visual('Tug', true)\n"
      "assert(oapi.vc_enter(0))\n"
      "proc.skip()\n";
  WriteFile(Path("off.lua"), setup);
  WriteFile(Path("on.lua"), std::string(setup) + "assert(oapi.vc_click(13, PANEL_MOUSE.LBDOWN, 0.5, 0.5))\nproc.skip()\n");
  ASSERT_EQ(Run("--script off.lua --display off.png --quiet"), 0) << err;
  ASSERT_EQ(Run("--script on.lua --display on.png --quiet"), 0) << err;
  EXPECT_LT(ReadFile(Path("off.png")).size(), 100u * 1024u);

  kvqsim::Picture off, on;
  ASSERT_TRUE(kvqsim::ReadPicture(Path("off.png"), &off));
  ASSERT_TRUE(kvqsim::ReadPicture(Path("on.png"), &on));
  int first = 0, last = 0;
  // "START" at x 130, inside the frame's sides at 80 and 420, its middle on the frame's.
  ASSERT_TRUE(off.InkColumns(84, 250, 417, 334, &first, &last));
  EXPECT_NEAR(last - first + 1, 235, 8);
  EXPECT_NEAR((first + last) / 2.0, 250, 4);
  // "Attach Towbar to" at (140, 260) and "Front  |  Back" at (175, 300), 32 pixels.
  ASSERT_TRUE(on.InkColumns(0, 260, on.width, 298, &first, &last));
  EXPECT_NEAR(last - first + 1, 231, 8);
  EXPECT_NEAR(first, 140, 3);
  ASSERT_TRUE(on.InkColumns(0, 300, on.width, on.height, &first, &last));
  EXPECT_NEAR(last - first + 1, 181, 8);
  EXPECT_NEAR(first, 176, 3);
  // Nothing but the labels: no frame once the engine runs.
  EXPECT_FALSE(on.InkColumns(0, 0, on.width, 255, &first, &last));

  // With an airliner on the towbar every line is whole: the two at the top
  // keep a gap between them, the longest label ends inside the display.
  WriteFile(Path("coupled.lua"),
            std::string(setup) +
                "oapi.create_vessel('Jet', 'Airliner', {ref = 'Tug', x = 0, z = 21.5, hdg = 180})\n"
                "for _, k in ipairs({13, 12, 12}) do\n"
                "  assert(oapi.vc_click(k, PANEL_MOUSE.LBDOWN, 0.5, 0.5))\n"
                "  oapi.vc_click(k, PANEL_MOUSE.LBUP, 0.5, 0.5)\n"
                "end\n"
                "proc.skip()\n"
                "assert(tug:mode() == 2)\n");
  ASSERT_EQ(Run("--script coupled.lua --display coupled.png --quiet"), 0) << err;
  kvqsim::Picture coupled;
  ASSERT_TRUE(kvqsim::ReadPicture(Path("coupled.png"), &coupled));
  int inkRows = 0, gapRows = 0;
  for (int y = 5; y < 62; ++y) {
    const bool ink = coupled.InkColumns(0, y, coupled.width, y + 1, &first, &last);
    inkRows += ink;
    gapRows += inkRows > 0 && !ink;
  }
  EXPECT_GE(gapRows, 2);
  ASSERT_TRUE(coupled.InkColumns(0, 260, coupled.width, 298, &first, &last));
  EXPECT_LT(last, coupled.width - 2);
#endif
}

TEST_F(Cli, DisplayWithoutACockpitIsBadInput) {
  WriteFile(Path("empty.lua"), "proc.skip()\n");
  EXPECT_EQ(Run("--script empty.lua --display d.png --quiet"), 2);
  EXPECT_NE(err.find("--display"), std::string::npos) << err;
}

}  // namespace

TEST_F(Cli, ServedSessionEndsOnSigtermAndItsRecordReplays) {
  // Real time: SIGTERM ends the session with its outputs written and exit
  // 0. (Windows sends no signal to another process: there the session ends
  // at --until.)
#if defined(_WIN32)
  ASSERT_EQ(Run("--serve 127.0.0.1:0 --until 1 --record rec.jsonl --save live.scn --quiet"), 0) << err;
  const std::string printed = out + err;
#else
  // SIGTERM once kvqsim says it serves (it takes signals from then on),
  // after 10 s of waiting for that at most.
  ASSERT_EQ(Run("--serve 127.0.0.1:0 --record rec.jsonl --save live.scn --quiet >serve.txt 2>&1 & pid=$!; "
                "n=0; until grep -q serving " + Q(Path("serve.txt")) + "; do n=$((n+1)); "
                "if [ $n -gt 200 ]; then echo 'kvqsim did not say it serves' >>" + Q(Path("serve.txt")) +
                    "; kill -KILL $pid; exit 3; fi; "
                "sleep 0.05; done; kill -TERM $pid; wait $pid"),
            0)
      << ReadFile(Path("serve.txt"));
  const std::string printed = ReadFile(Path("serve.txt"));
#endif
  EXPECT_NE(printed.find("serving http://127.0.0.1:"), std::string::npos) << printed;
  const std::vector<std::string> rec = Lines(ReadFile(Path("rec.jsonl")));
  ASSERT_GE(rec.size(), 2u);
  EXPECT_NE(rec.back().find("\"end\":true"), std::string::npos) << rec.back();
  ASSERT_EQ(Run("--replay rec.jsonl --save replay.scn --quiet"), 0) << err;
  EXPECT_EQ(ReadFile(Path("live.scn")), ReadFile(Path("replay.scn")));

  // The same record against another scenario, or without --serve.
  WriteFile(Path("other.scn"), ReadFile(EXAMPLE) + "\n");
  EXPECT_EQ(Run("other.scn --replay rec.jsonl"), 2);
  EXPECT_NE(err.find("another scenario"), std::string::npos) << err;
  EXPECT_EQ(Run("--record x.jsonl"), 2);
  EXPECT_NE(err.find("--record needs --serve"), std::string::npos) << err;
}
