// kvqsim: runs a scenario in the headless host, optionally driven by a Lua
// script, and writes the saved scenario, a trace, a plot of the tracks and
// a picture of the status display.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/kvqsim/outputs/display.h"
#include "apps/kvqsim/serve/live_driver.h"
#include "apps/kvqsim/serve/requests.h"
#include "apps/kvqsim/lua/lua_api.h"
#include "apps/kvqsim/lua/lua_vessel.h"
#include "apps/kvqsim/kvqsim/options.h"
#include "apps/kvqsim/outputs/plot.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/outputs/recorder.h"
#include "apps/kvqsim/session/replay.h"
#include "apps/kvqsim/lua/script.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr int EXIT_DONE = 0, EXIT_LUA = 1, EXIT_INPUT = 2;
constexpr double DEFAULT_UNTIL = 60.0;       // s, a run without a script
constexpr double PROGRESS_AFTER = 2.0;       // s of wall time before a progress line shows
constexpr double PROGRESS_EVERY = 0.25;      // s of wall time between updates
constexpr auto CLOSE_WITHIN = std::chrono::milliseconds(1500);  // for the pages to let go

using Clock = std::chrono::steady_clock;

struct RunContext {
  lua_State* L = nullptr;
  Recorder* recorder = nullptr;
  FrameDriver* driver = nullptr;
  // The first Lua error met outside the script (in the host's hooks, which
  // may run inside a frame); it ends the run.
  std::string luaError;
};

void OnVessel(OBJHANDLE h, bool created, void* user) {
  auto* ctx = static_cast<RunContext*>(user);
  if (created) {
    ctx->recorder->VesselCreated(h);
  } else {
    ctx->recorder->VesselDeleted(h);
    if (ctx->driver) ctx->driver->VesselDeleted(h);
    std::string error;
    if (ctx->L && !ForgetVessel(ctx->L, h, &error) && ctx->luaError.empty()) {
      char name[256] = "";
      oapiGetObjectName(h, name, sizeof name);
      ctx->luaError = "while vessel '" + std::string(name) + "' was deleted: " + error;
    }
  }
}

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

#if defined(_WIN32)
constexpr const char* SEPARATORS = "/\\";
#else
constexpr const char* SEPARATORS = "/";
#endif

std::string Dirname(const std::string& p) {
  size_t slash = p.find_last_of(SEPARATORS);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string Basename(const std::string& p) {
  size_t slash = p.find_last_of(SEPARATORS);
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// `root` beside the bin folder the binary is in.
std::string DefaultRoot(const char* argv0) {
  char exe[4096] = {0};
#if defined(_WIN32)
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string path = n > 0 && n < sizeof exe ? std::string(exe, n) : std::string(argv0);
#else
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string path = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string(argv0);
#endif
  return Dirname(Dirname(path)) + "/root";
}

// Plug-ins may open their files while the host calls them, when on Windows
// the process works in the root: they get the path as the user meant it.
std::string FromHere(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.string();
}

// A scenario as given, else in ROOT/Scenarios, with or without ".scn".
std::string FindScenario(const std::string& name, const std::string& root) {
  const std::string candidates[] = {name, root + "/Scenarios/" + name, root + "/Scenarios/" + name + ".scn"};
  for (const std::string& c : candidates)
    if (FileExists(c)) return c;
  return "";
}

bool Reached(double simt, double t) { return simt >= t - 1e-9 * (1.0 + std::fabs(t)); }

struct PlannedPathCall {
  const Recorder* rec;
  std::vector<std::pair<double, double>>* path;
};

// The global table plot_path: points {e=, n=} in metres east and north of the
// plot's origin, or {lng=, lat=} in radians (as get_surfacepos gives them),
// which need the origin. Runs protected: the script's tables may carry
// metamethods that raise.
int ReadPlannedPath(lua_State* L) {
  const auto* call = static_cast<const PlannedPathCall*>(lua_touserdata(L, 1));
  const Recorder& rec = *call->rec;
  std::vector<std::pair<double, double>>& path = *call->path;
  lua_settop(L, 0);
  const double radius = oapiGetSize(sim::GetPlanet());
  lua_getglobal(L, "plot_path");
  if (lua_istable(L, -1)) {
    for (int i = 1;; ++i) {
      lua_rawgeti(L, -1, i);
      if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        break;
      }
      lua_getfield(L, -1, "e");
      lua_getfield(L, -2, "n");
      lua_getfield(L, -3, "lng");
      lua_getfield(L, -4, "lat");
      if (lua_isnumber(L, -4) && lua_isnumber(L, -3)) {
        path.emplace_back(lua_tonumber(L, -4), lua_tonumber(L, -3));
      } else if (lua_isnumber(L, -2) && lua_isnumber(L, -1) && rec.HasOrigin()) {
        double e = 0, n = 0;
        EastNorth(lua_tonumber(L, -2), lua_tonumber(L, -1), rec.OriginLng(), rec.OriginLat(), radius, &e, &n);
        path.emplace_back(e, n);
      }
      lua_pop(L, 5);
    }
  }
  lua_pop(L, 1);
  return 0;
}

// The planned path, or false with the Lua error met reading it.
bool PlannedPath(lua_State* L, const Recorder& rec, std::vector<std::pair<double, double>>* path,
                 std::string* error) {
  PlannedPathCall call{&rec, path};
  if (lua_cpcall(L, ReadPlannedPath, &call) == 0) return true;
  const char* message = lua_tostring(L, -1);
  *error = std::string("plot_path: ") + (message ? message : "(error object is not a string)");
  lua_pop(L, 1);
  path->clear();
  return false;
}

bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

// The status display as it was last drawn. Without a cockpit loaded, the
// focus vessel gets a visual and cockpit position 0 and one more frame runs
// (after the other outputs are written) so that there is a redraw to show.
bool WriteDisplay(const std::string& path, std::string* error) {
  if (sim::VCTextItems(STATUS_DISPLAY_AREA).empty() && sim::VCLines(STATUS_DISPLAY_AREA).empty()) {
    OBJHANDLE focus = oapiGetFocusObject();
    if (focus && !sim::HasVisual(focus)) sim::SetVisual(focus, true);
    if (sim::VCPosition() < 0) sim::VCEnter(0);
    sim::RunFrame();
  }
  std::string why;
  if (!WriteAreaPicture(STATUS_DISPLAY_AREA, path, &why)) {
    *error = "--display: " + why;
    return false;
  }
  return true;
}

class Progress {
 public:
  explicit Progress(bool enabled) : enabled_(enabled && isatty(STDERR_FILENO)), start_(Clock::now()) {}
  double Wall() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  void Update(double simt) {
    if (!enabled_) return;
    double wall = Wall();
    if (wall < PROGRESS_AFTER || wall - last_ < PROGRESS_EVERY) return;
    last_ = wall;
    std::fprintf(stderr, "\rkvqsim: %.1f s simulated, %.0fx real time   ", simt, simt / wall);
    std::fflush(stderr);
    shown_ = true;
  }
  void Clear() {
    if (shown_) std::fprintf(stderr, "\r%60s\r", "");
    shown_ = false;
  }

 private:
  bool enabled_;
  Clock::time_point start_;
  double last_ = 0;
  bool shown_ = false;
};

void OnStopSignal(int) { LiveDriver::RequestStop(); }

int Run(RunOptions opt, const char* argv0) {
  std::string root = opt.root.empty() ? DefaultRoot(argv0) : opt.root;
  std::string scenario = opt.scenario, scriptPath = opt.script;
  const bool serving = !opt.serve.empty(), replaying = !opt.replay.empty();
  if (scenario.empty() && scriptPath.empty()) {
    // A person driving, or the replay of one, gets the example's scene
    // without its hands-off script.
    scenario = root + "/Examples/pushback.scn";
    if (!serving && !replaying) scriptPath = root + "/Examples/pushback.lua";
  }
  std::string error;
  ServeAddress address;
  if (serving && !ParseServeAddress(opt.serve, &address, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    return EXIT_INPUT;
  }
  Record record;
  if (replaying) {
    // --until ends a replay early, so a longer record can still be looked
    // at; without it the frames are bounded.
    const uint64_t frameLimit = opt.until >= 0 ? UINT64_MAX : MAX_REPLAY_FRAMES;
    if (!ReadRecord(opt.replay, &record, &error, frameLimit)) {
      std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
      return EXIT_INPUT;
    }
    if (!record.complete)
      std::fprintf(stderr,
                   "kvqsim: warning: %s has no end line (the session did not end cleanly): replaying it to its "
                   "last input, at frame %llu\n",
                   opt.replay.c_str(), static_cast<unsigned long long>(record.endFrame));
    if (!opt.dtGiven) opt.dt = record.header.dt;
    if (!opt.flightModelGiven) opt.flightModel = record.header.flightModel;
  }
  if (!scenario.empty()) {
    std::string found = FindScenario(scenario, root);
    if (found.empty()) {
      std::fprintf(stderr, "kvqsim: cannot read scenario '%s' (also looked in %s/Scenarios)\n", scenario.c_str(),
                   root.c_str());
      return EXIT_INPUT;
    }
    scenario = found;
  }
  if (!scriptPath.empty() && !FileExists(scriptPath)) {
    std::fprintf(stderr, "kvqsim: cannot read script '%s'\n", scriptPath.c_str());
    return EXIT_INPUT;
  }

  sim::Options so;
  so.root = root;
  so.dt = opt.dt;
  so.flightModel = opt.flightModel;
  if (!opt.soundLog.empty()) so.extra.emplace_back("sound-log", FromHere(opt.soundLog));
  if (!opt.sound.empty()) so.extra.emplace_back("sound", FromHere(opt.sound));
  if (!sim::Start(so, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    return EXIT_INPUT;
  }

  // Served sessions and replays: the run they are, for the record.
  RecordHeader header;
  header.scenario = scenario;
  header.scenarioHash = scenario.empty() ? "" : FileHash(scenario);
  header.script = scriptPath;
  header.scriptHash = scriptPath.empty() ? "" : FileHash(scriptPath);
  header.root = sim::GetOptions().root;
  header.dt = sim::GetOptions().dt;
  header.flightModel = opt.flightModel;
  std::unique_ptr<FrameDriver> driver;
  LiveDriver* liveDriver = nullptr;
  if (replaying) {
    if (!SameRun(record.header, header, &error)) {
      std::fprintf(stderr, "kvqsim: %s: %s\n", opt.replay.c_str(), error.c_str());
      sim::Shutdown();
      return EXIT_INPUT;
    }
    driver = std::make_unique<ReplayDriver>(std::move(record));
  } else if (serving) {
    LiveOptions lo;
    lo.address = address;
    lo.root = sim::GetOptions().root;
    lo.pageDir = lo.root + "/Page";
    lo.savePath = !opt.save.empty() ? opt.save : lo.root + "/Scenarios/kvqsim-serve.scn";
    lo.recordPath = opt.record;
    lo.header = header;
    auto live = std::make_unique<LiveDriver>(lo);
    // Before the address is printed: whoever waits for it may signal at once.
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (!live->Start(&error)) {
      std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
      sim::Shutdown();
      return EXIT_INPUT;
    }
    liveDriver = live.get();
    driver = std::move(live);
  }

  Recorder recorder;
  RunContext ctx;
  ctx.recorder = &recorder;
  ctx.driver = driver.get();
  ctx.L = CreateLuaState(root);
  if (!ctx.L) {
    std::fprintf(stderr, "kvqsim: cannot create the Lua state\n");
    sim::Shutdown();
    return EXIT_INPUT;
  }
  sim::SetVesselHook(OnVessel, &ctx);
  sim::SetLuaState(ctx.L);
  auto finish = [&](int code) {
    sim::Shutdown();
    sim::SetVesselHook(nullptr, nullptr);
    sim::SetLuaState(nullptr);
    lua_close(ctx.L);
    return code;
  };

  if (!scenario.empty() && !sim::LoadScenario(scenario, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    return finish(EXIT_INPUT);
  }
  if (!opt.trace.empty() && !recorder.OpenTrace(opt.trace, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    return finish(EXIT_INPUT);
  }
  Script script;
  bool missing = false;
  if (!scriptPath.empty() && !script.Load(ctx.L, scriptPath, &error, &missing)) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    return finish(missing ? EXIT_INPUT : EXIT_LUA);
  }

  // A person ends a served session; a replay ends at its record's end.
  double until = opt.until >= 0 ? opt.until : (scriptPath.empty() && !serving ? DEFAULT_UNTIL : -1.0);
  if (replaying) until = opt.until;
  if (driver) driver->Begin();
  Progress progress(!opt.quiet);
  double simt = oapiGetSimTime();
  bool failed = false;
  // The script starts before the first frame; afterwards it is resumed
  // after each frame that ends its wait. A false result ends the run.
  auto resume = [&]() {
    Script::Status st = script.Resume(&error);
    failed = st == Script::FAILED;
    return st == Script::RUNNING;
  };
  // A Lua error in a hook (a vessel deleted inside a frame or by the
  // script) ends the run like one in the script.
  auto hookFailed = [&]() {
    if (ctx.luaError.empty() || failed) return failed;
    error = ctx.luaError;
    failed = true;
    return true;
  };
  bool going = script.Running() ? resume() : true;
  if (hookFailed()) going = false;
  // The tracks feed only the trace and the plot: without either, the frame
  // loop samples nothing.
  const bool recording = !opt.trace.empty() || !opt.plot.empty();
  // The first sample shows the scene as the script set it up.
  if (recording) recorder.Sample(simt);
  while (going) {
    if (driver && !driver->Boundary()) break;
    if (until >= 0 && Reached(simt, until)) break;
    if (driver) driver->BeforeFrame();
    sim::RunFrame();
    simt = oapiGetSimTime();
    if (recording) recorder.Sample(simt);
    progress.Update(simt);
    if (hookFailed()) break;
    if (script.Running() && WaitIsOver(CurrentWait(), simt)) going = resume();
    if (hookFailed()) going = false;
    if (driver) driver->AfterFrame();
  }
  progress.Clear();
  if (recording) recorder.Finish(simt);
  double wall = progress.Wall();
  uint64_t frames = sim::FrameCount();

  int code = EXIT_DONE;
  if (failed) {
    std::fprintf(stderr, "kvqsim: %s\n", error.c_str());
    code = EXIT_LUA;
  }
  std::string outError;
  auto report = [&](bool ok) {
    if (!ok) {
      std::fprintf(stderr, "kvqsim: %s\n", outError.c_str());
      if (code == EXIT_DONE) code = EXIT_INPUT;
    }
  };
  report(recorder.CloseTrace(&outError));
  if (driver) report(driver->Finish(&outError));
  // The outputs asked for are written after a Lua error too: they show the
  // scene where the script failed.
  if (!opt.save.empty()) {
    bool ok = sim::SaveScenario(opt.save, &outError);
    if (!ok && outError.empty()) outError = "cannot write scenario '" + opt.save + "'";
    report(ok);
  }
  if (!opt.plot.empty()) {
    PlotInput in;
    in.title = Basename(!scenario.empty() ? scenario : scriptPath);
    in.tracks = recorder.Tracks();
    std::string pathError;
    if (!PlannedPath(ctx.L, recorder, &in.plannedPath, &pathError)) {
      std::fprintf(stderr, "kvqsim: %s\n", pathError.c_str());
      code = EXIT_LUA;
    }
    in.hasOrigin = recorder.HasOrigin();
    in.originLng = recorder.OriginLng();
    in.originLat = recorder.OriginLat();
    bool ok = WriteText(opt.plot, RenderPlotSvg(in));
    if (!ok) outError = "cannot write plot '" + opt.plot + "'";
    report(ok);
  }
  if (!opt.display.empty()) report(WriteDisplay(opt.display, &outError));

  if (!opt.quiet)
    std::fprintf(stderr, "kvqsim: %llu frames, %.3f s simulated in %.3f s wall time (%.0fx real time)\n",
                 static_cast<unsigned long long>(frames), simt, wall, wall > 0 ? simt / wall : 0.0);
  // Everything is written: a page that will not let go does not keep the
  // session from ending.
  if (liveDriver != nullptr && !liveDriver->Close(Clock::now() + CLOSE_WITHIN)) {
    std::fprintf(stderr, "kvqsim: a page did not close its connection; ending without it\n");
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return finish(code);
}

}  // namespace

}  // namespace kvqsim

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kvqsim::RunOptions opt;
  std::string error;
  if (!kvqsim::ParseOptions(args, &opt, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n%s", error.c_str(), kvqsim::UsageText());
    return 2;
  }
  if (opt.help) {
    std::fputs(kvqsim::UsageText(), stdout);
    return 0;
  }
  if (!opt.display.empty() && !kvqsim::CanDrawPictures()) {
    std::fprintf(stderr, "kvqsim: --display: this build of kvqsim cannot draw pictures (it has no Cairo)\n");
    return 2;
  }
  return kvqsim::Run(opt, argv[0]);
}
