#include "apps/kvqsim/kvqsim/run.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/kvqsim/lua/lua_api.h"
#include "apps/kvqsim/lua/lua_vessel.h"
#include "apps/kvqsim/lua/script.h"
#include "apps/kvqsim/outputs/display.h"
#include "apps/kvqsim/outputs/plot.h"
#include "apps/kvqsim/outputs/track.h"
#include "apps/kvqsim/serve/live_driver.h"
#include "apps/kvqsim/session/replay.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr double DEFAULT_UNTIL = 60.0;       // s, a run without a script
constexpr double PROGRESS_AFTER = 2.0;       // s of wall time before a progress line shows
constexpr double PROGRESS_EVERY = 0.25;      // s of wall time between updates
constexpr auto CLOSE_WITHIN = std::chrono::milliseconds(1500);  // for the pages to let go

using Clock = std::chrono::steady_clock;

void OnVessel(OBJHANDLE h, bool created, void* user) {
  auto* run = static_cast<Run*>(user);
  if (created) run->VesselCreated(h);
  else run->VesselDeleted(h);
}

void OnStopSignal(int) { LiveDriver::RequestStop(); }

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// `root` beside the bin folder the binary is in.
std::string DefaultRoot(const char* argv0) {
#if defined(_WIN32)
  char exe[MAX_PATH] = {0};
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::filesystem::path path = n > 0 && n < sizeof exe ? std::filesystem::path(exe) : std::filesystem::path(argv0);
#else
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) path = argv0;
#endif
  return (path.parent_path().parent_path() / "root").string();
}

std::string Basename(const std::string& p) { return std::filesystem::path(p).filename().string(); }

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

}  // namespace

Run::Run(RunOptions options, const char* argv0) : opt_(std::move(options)), argv0_(argv0 ? argv0 : "") {}

Run::~Run() {
  if (hostStarted_) {
    sim::Shutdown();
    sim::SetVesselHook(nullptr, nullptr);
    sim::SetLuaState(nullptr);
  }
  if (L_) lua_close(L_);
}

bool Run::Fail(int code, const std::string& message) {
  std::fprintf(stderr, "kvqsim: %s\n", message.c_str());
  code_ = code;
  return false;
}

void Run::VesselCreated(OBJHANDLE h) {
  recorder_.VesselCreated(h);
  if (driver_) driver_->VesselCreated(h);
}

void Run::VesselDeleted(OBJHANDLE h) {
  recorder_.VesselDeleted(h);
  if (driver_) driver_->VesselDeleted(h);
  std::string error;
  if (L_ && !ForgetVessel(L_, h, &error) && luaError_.empty()) {
    char name[256] = "";
    oapiGetObjectName(h, name, sizeof name);
    luaError_ = "while vessel '" + std::string(name) + "' was deleted: " + error;
  }
}

int Run::Execute() {
  if (!Resolve() || !StartHost() || !LoadScene()) return End();
  if (Frames()) WriteOutputs();
  return End();
}

// What to run: the root, the scenario and the script (the shipped example
// when neither is given), the address to serve, the record to replay.
bool Run::Resolve() {
  root_ = opt_.root.empty() ? DefaultRoot(argv0_.c_str()) : opt_.root;
  scenario_ = opt_.scenario;
  script_ = opt_.script;
  serving_ = !opt_.serve.empty();
  replaying_ = !opt_.replay.empty();
  if (scenario_.empty() && script_.empty()) {
    // A person driving, or the replay of one, gets the example's scene
    // without its hands-off script.
    scenario_ = root_ + "/Examples/pushback.scn";
    if (!serving_ && !replaying_) script_ = root_ + "/Examples/pushback.lua";
  }
  std::string error;
  if (serving_ && !ParseServeAddress(opt_.serve, &address_, &error)) return Fail(EXIT_INPUT, error);
  if (replaying_) {
    // --until ends a replay early, so a longer record can still be looked
    // at; without it the frames are bounded.
    const uint64_t frameLimit = opt_.until >= 0 ? UINT64_MAX : MAX_REPLAY_FRAMES;
    if (!ReadRecord(opt_.replay, &record_, &error, frameLimit)) return Fail(EXIT_INPUT, error);
    if (!record_.complete)
      std::fprintf(stderr,
                   "kvqsim: warning: %s has no end line (the session did not end cleanly): replaying it to its "
                   "last input, at frame %llu\n",
                   opt_.replay.c_str(), static_cast<unsigned long long>(record_.endFrame));
    if (!opt_.dtGiven) opt_.dt = record_.header.dt;
    if (!opt_.flightModelGiven) opt_.flightModel = record_.header.flightModel;
  }
  if (!scenario_.empty()) {
    const std::string found = FindScenario(scenario_, root_);
    if (found.empty())
      return Fail(EXIT_INPUT, "cannot read scenario '" + scenario_ + "' (also looked in " + root_ + "/Scenarios)");
    scenario_ = found;
  }
  if (!script_.empty() && !FileExists(script_)) return Fail(EXIT_INPUT, "cannot read script '" + script_ + "'");
  return true;
}

// The host, and what drives the run between frames besides its script: a
// person at the page, or the record of one.
bool Run::StartHost() {
  sim::Options so;
  so.root = root_;
  so.dt = opt_.dt;
  so.flightModel = opt_.flightModel;
  if (!opt_.soundLog.empty()) so.extra.emplace_back("sound-log", FromHere(opt_.soundLog));
  if (!opt_.sound.empty()) so.extra.emplace_back("sound", FromHere(opt_.sound));
  std::string error;
  if (!sim::Start(so, &error)) return Fail(EXIT_INPUT, error);
  hostStarted_ = true;

  // Served sessions and replays: the run they are, for the record.
  RecordHeader header;
  header.scenario = scenario_;
  header.scenarioHash = scenario_.empty() ? "" : FileHash(scenario_);
  header.script = script_;
  header.scriptHash = script_.empty() ? "" : FileHash(script_);
  header.root = sim::GetOptions().root;
  header.dt = sim::GetOptions().dt;
  header.flightModel = opt_.flightModel;
  if (replaying_) {
    if (!SameRun(record_.header, header, &error)) return Fail(EXIT_INPUT, opt_.replay + ": " + error);
    driver_ = std::make_unique<ReplayDriver>(std::move(record_));
  } else if (serving_) {
    LiveOptions lo;
    lo.address = address_;
    lo.root = sim::GetOptions().root;
    lo.pageDir = lo.root + "/Page";
    lo.savePath = !opt_.save.empty() ? opt_.save : lo.root + "/Scenarios/kvqsim-serve.scn";
    lo.recordPath = opt_.record;
    lo.scenarioName = Basename(scenario_.empty() ? script_ : scenario_);
    lo.header = header;
    auto live = std::make_unique<LiveDriver>(lo);
    // Before the address is printed: whoever waits for it may signal at once.
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (!live->Start(&error)) return Fail(EXIT_INPUT, error);
    live_ = live.get();
    driver_ = std::move(live);
  }
  return true;
}

// The Lua state, the scenario, the trace and the script.
bool Run::LoadScene() {
  L_ = CreateLuaState(root_);
  if (!L_) return Fail(EXIT_INPUT, "cannot create the Lua state");
  sim::SetVesselHook(OnVessel, this);
  sim::SetLuaState(L_);
  std::string error;
  if (!scenario_.empty() && !sim::LoadScenario(scenario_, &error)) return Fail(EXIT_INPUT, error);
  if (!opt_.trace.empty() && !recorder_.OpenTrace(opt_.trace, &error)) return Fail(EXIT_INPUT, error);
  return true;
}

// A Lua error in a hook (a vessel deleted inside a frame or by the script)
// ends the run like one in the script.
bool Run::HookFailed() {
  if (luaError_.empty() || failed_) return failed_;
  error_ = luaError_;
  failed_ = true;
  return true;
}

// Frames until the script returns, --until, the driver ends the run (a
// person quits, a replay reaches its end), or a Lua error. False when the
// script could not be loaded (nothing ran).
bool Run::Frames() {
  Script script;
  bool missing = false;
  if (!script_.empty() && !script.Load(L_, script_, &error_, &missing))
    return Fail(missing ? EXIT_INPUT : EXIT_LUA, error_);
  // A person ends a served session; a replay ends at its record's end.
  double until = opt_.until >= 0 ? opt_.until : (script_.empty() && !serving_ ? DEFAULT_UNTIL : -1.0);
  if (replaying_) until = opt_.until;
  if (driver_) driver_->Begin();
  Progress progress(!opt_.quiet);
  simt_ = oapiGetSimTime();
  // The script starts before the first frame; afterwards it is resumed
  // after each frame that ends its wait. A false result ends the run.
  auto resume = [&]() {
    Script::Status st = script.Resume(&error_);
    failed_ = st == Script::FAILED;
    return st == Script::RUNNING;
  };
  bool going = script.Running() ? resume() : true;
  if (HookFailed()) going = false;
  // The tracks feed only the trace and the plot: without either, the frame
  // loop samples nothing.
  const bool recording = !opt_.trace.empty() || !opt_.plot.empty();
  // The first sample shows the scene as the script set it up.
  if (recording) recorder_.Sample(simt_);
  while (going) {
    if (driver_ && !driver_->Boundary()) break;
    if (until >= 0 && Reached(simt_, until)) break;
    if (driver_) driver_->BeforeFrame();
    sim::RunFrame();
    simt_ = oapiGetSimTime();
    if (recording) recorder_.Sample(simt_);
    progress.Update(simt_);
    if (HookFailed()) break;
    if (script.Running() && script.WaitOver(simt_)) going = resume();
    if (HookFailed()) going = false;
    if (driver_) driver_->AfterFrame();
  }
  progress.Clear();
  if (recording) recorder_.Finish(simt_);
  wall_ = progress.Wall();
  if (failed_) {
    std::fprintf(stderr, "kvqsim: %s\n", error_.c_str());
    code_ = EXIT_LUA;
  }
  return true;
}

// The outputs asked for, written after a Lua error too: they show the scene
// where the script failed.
void Run::WriteOutputs() {
  std::string outError;
  auto report = [&](bool ok) {
    if (!ok) {
      std::fprintf(stderr, "kvqsim: %s\n", outError.c_str());
      if (code_ == EXIT_DONE) code_ = EXIT_INPUT;
    }
  };
  report(recorder_.CloseTrace(&outError));
  if (driver_) report(driver_->Finish(&outError));
  if (!opt_.save.empty()) {
    bool ok = sim::SaveScenario(opt_.save, &outError);
    if (!ok && outError.empty()) outError = "cannot write scenario '" + opt_.save + "'";
    report(ok);
  }
  if (!opt_.plot.empty()) {
    PlotInput in;
    in.title = Basename(!scenario_.empty() ? scenario_ : script_);
    in.tracks = recorder_.Tracks();
    std::string pathError;
    if (!PlannedPath(L_, recorder_, &in.plannedPath, &pathError)) {
      std::fprintf(stderr, "kvqsim: %s\n", pathError.c_str());
      code_ = EXIT_LUA;
    }
    in.hasOrigin = recorder_.HasOrigin();
    in.originLng = recorder_.OriginLng();
    in.originLat = recorder_.OriginLat();
    bool ok = WriteText(opt_.plot, RenderPlotSvg(in));
    if (!ok) outError = "cannot write plot '" + opt_.plot + "'";
    report(ok);
  }
  if (!opt_.display.empty()) report(WriteDisplay(opt_.display, &outError));
  if (!opt_.quiet)
    std::fprintf(stderr, "kvqsim: %llu frames, %.3f s simulated in %.3f s wall time (%.0fx real time)\n",
                 static_cast<unsigned long long>(sim::FrameCount()), simt_, wall_, wall_ > 0 ? simt_ / wall_ : 0.0);
}

// Everything is written: a page that will not let go does not keep the
// session from ending.
int Run::End() {
  if (live_ != nullptr && !live_->Close(Clock::now() + CLOSE_WITHIN)) {
    std::fprintf(stderr, "kvqsim: a page did not close its connection; ending without it\n");
    std::fflush(nullptr);
    std::_Exit(code_);
  }
  return code_;
}

}  // namespace kvqsim
