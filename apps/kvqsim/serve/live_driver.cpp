#include "apps/kvqsim/serve/live_driver.h"

#include <csignal>
#include <cstdio>
#include <memory>

#include <nlohmann/json.hpp>

#include "sim/sim.h"

namespace kvqsim {

namespace {

using Clock = Pacer::Clock;

constexpr auto PUBLISH_EVERY = std::chrono::milliseconds(16);  // about 60 states a second
constexpr auto PAUSED_POLL = std::chrono::milliseconds(50);    // states while paused: 20 a second
constexpr auto FLUSH_EVERY = std::chrono::seconds(1);          // the record reaches the disk

volatile std::sig_atomic_t g_stopRequested = 0;

std::string Saved(const std::string& path) {
  nlohmann::json j;
  j["type"] = "saved";
  j["path"] = path;
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string NameOf(OBJHANDLE h) {
  char name[256] = "";
  if (h) oapiGetObjectName(h, name, sizeof name);
  return name;
}

std::string Fixed(double v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", digits, v);
  return buf;
}

constexpr const char* PLANS_FILE = "/Config/kvqsim-plans.json";

std::vector<ServedFolder> Folders(const LiveOptions& o) {
  return {{"/", o.pageDir, {}}, {"/Sound/", o.root + "/Sound", {".wav"}}};
}

}  // namespace

void LiveDriver::RequestStop() { g_stopRequested = 1; }

LiveDriver::LiveDriver(LiveOptions options)
    : options_(std::move(options)),
      server_(&queue_, Folders(options_), &assets_),
      snapshot_(&assets_),
      pacer_(sim::GetOptions().dt, Clock::now()) {}

bool LiveDriver::Start(std::string* error) {
  if (!options_.recordPath.empty() && !record_.Open(options_.recordPath, options_.header, error)) return false;
  if (!server_.Start(options_.address, error)) return false;
  if (options_.address.explicitHost && !IsLoopback(options_.address.host))
    std::fprintf(stderr,
                 "kvqsim: warning: listening on %s: anyone who can reach this machine on port %d can drive the "
                 "scene\n",
                 options_.address.host.c_str(), server_.Port());
  const std::string shown = options_.address.host == "0.0.0.0" ? "127.0.0.1" : options_.address.host;
  std::printf("kvqsim: serving http://%s:%d/\n", shown.c_str(), server_.Port());
  std::fflush(stdout);
  return true;
}

void LiveDriver::Begin() {
  std::vector<OBJHANDLE> loaded;
  sim::TakeFocusChanges(&loaded);  // the scenario's own focus
  double lng0 = 0, lat0 = 0;
  if (SceneOrigin(&lng0, &lat0)) session_.SetOrigin(lng0, lat0);
  snapshot_.Begin();
  sim::SetAttachHook(OnAttach, this);
  plans_.Load(options_.root + PLANS_FILE);
  OfferPlans();
  WatchScene();
  pacer_ = Pacer(sim::GetOptions().dt, Clock::now());
  lastFlush_ = Clock::now();
  PublishIfDue(true);
  server_.Publish(snapshot_.FullState(session_, nullptr));
}

void LiveDriver::ApplyQueued() {
  queue_.Drain(&inputs_);
  for (QueuedInput& q : inputs_) {
    Input& in = q.input;
    const uint64_t frame = sim::FrameCount();
    std::string error;
    bool ok = true;
    switch (in.kind) {
      case InputKind::Time:
        pacer_.SetAccel(in.accel, Clock::now());
        snapshot_.Events().Add(oapiGetSimTime(), "time acceleration x" + std::to_string(in.accel));
        break;
      case InputKind::Pause:
        if (in.paused != pacer_.Paused())
          snapshot_.Events().Add(oapiGetSimTime(), in.paused ? "paused" : "resumed");
        pacer_.SetPaused(in.paused, Clock::now());
        break;
      case InputKind::InputBox: {
        const std::string title = sim::InputBoxOpen() ? sim::InputBoxTitle() : "";
        ok = session_.Apply(q.person, &in, &error);
        if (ok)
          snapshot_.Events().Add(oapiGetSimTime(), in.escape ? "input box '" + title + "' closed with Escape"
                                                            : "input box '" + title + "' answered: " + in.text);
        break;
      }
      case InputKind::Quit:
        quit_ = true;
        break;
      case InputKind::Save:
        ok = sim::SaveScenario(options_.savePath, &error);
        if (ok) server_.Post(q.person, Saved(options_.savePath));
        else if (error.empty()) error = "cannot write scenario '" + options_.savePath + "'";
        break;
      case InputKind::View:
        snapshot_.SetView(q.person, in.east, in.north, in.radius);
        continue;  // where a page looks changes nothing in the scene
      case InputKind::Pushback:
        if (in.check) {
          // Trying a plan changes nothing either: it is answered, not recorded.
          PushbackPreview preview;
          if (session_.PreviewPushback(q.person, in, &preview, &error))
            server_.Post(q.person, snapshot_.PlanMessage(preview, in.seq));
          else
            server_.Post(q.person, ErrorMessage(error, in.seq));
          continue;
        }
        ok = session_.Apply(q.person, &in, &error);
        if (ok && !in.stop) KeepPlan();
        break;
      default:
        ok = session_.Apply(q.person, &in, &error);
        break;
    }
    if (!ok) {
      server_.Post(q.person, ErrorMessage(error, in.seq));
      continue;
    }
    if (in.kind == InputKind::Leave) snapshot_.Forget(q.person);
    else if (in.seq >= 0) snapshot_.Applied(q.person, in.seq);
    if (in.kind != InputKind::Save && in.kind != InputKind::Quit) record_.Add(frame, q.person, in);
    changed_ = true;
  }
  if (!inputs_.empty()) WatchScene();
  TellPeople();
}

void LiveDriver::OnAttach(OBJHANDLE parent, OBJHANDLE child, bool attached, void* user) {
  auto* self = static_cast<LiveDriver*>(user);
  self->snapshot_.Events().Add(oapiGetSimTime(), NameOf(child) + (attached ? " attached to " : " released from ") +
                                                     NameOf(parent));
}

void LiveDriver::VesselCreated(OBJHANDLE h) {
  const char* cls = sim::GetClassNameOf(h);
  snapshot_.Events().Add(oapiGetSimTime(), NameOf(h) + " created (" + (cls ? cls : "?") + ")");
}

void LiveDriver::VesselDeleted(OBJHANDLE h) {
  snapshot_.Events().Add(oapiGetSimTime(), NameOf(h) + " deleted");
  session_.VesselDeleted(h);
  snapshot_.VesselDeleted(h);
}

void LiveDriver::WatchScene() {
  const double t = oapiGetSimTime();
  const char* debug = sim::DebugString();
  if (debug_ != debug) {
    debug_ = debug;
    snapshot_.Events().Add(t, debug_.empty() ? "debug line cleared" : "debug line: " + debug_);
  }
  const char* box = sim::InputBoxOpen() ? sim::InputBoxTitle() : "";
  if (inputbox_ != box) {
    inputbox_ = box;
    if (!inputbox_.empty()) snapshot_.Events().Add(t, "input box opened: " + inputbox_);
  }
  const PushbackProgress& push = session_.Pushback().Progress();
  if (push.number != 0 && (push.number != pushNumber_ || push.phase != pushPhase_)) {
    pushNumber_ = push.number;
    pushPhase_ = push.phase;
    std::string text = "pushback of " + push.aircraft + " by " + push.tractor + ": " + push.phase;
    if (push.phase == "done")
      text += " (" + Fixed(push.errPos, 2) + " m, " + Fixed(push.errHdg, 1) + " degrees off)";
    else if (!push.reason.empty() && (push.phase == "failed" || push.phase == "stopped"))
      text += " (" + push.reason + ")";
    snapshot_.Events().Add(t, text);
  }
}

// A plan that started is kept for the aircraft's stand.
void LiveDriver::KeepPlan() {
  const PushbackProgress& push = session_.Pushback().Progress();
  OBJHANDLE aircraft = oapiGetVesselByName(push.aircraft.c_str());
  StoredPlan plan;
  if (aircraft == nullptr || !sim::GetSurfacePos(aircraft, &plan.lng, &plan.lat, &plan.hdg)) return;
  plan.scenario = options_.scenarioName;
  plan.aircraft = push.aircraft;
  for (const PushbackPlan::Point& p : push.plan.points) plan.points.emplace_back(p.lng, p.lat);
  plan.heading = push.plan.heading;
  if (!plans_.Keep(plan, oapiGetSize(sim::GetPlanet())))
    std::fprintf(stderr, "kvqsim: warning: cannot write %s%s\n", options_.root.c_str(), PLANS_FILE);
  OfferPlans();
}

// The plans kept for the stands where aircraft of the scene stand now.
void LiveDriver::OfferPlans() {
  std::vector<StoredPlan> offered;
  const double radius = oapiGetSize(sim::GetPlanet());
  for (DWORD i = 0, n = oapiGetVesselCount(); i < n; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    double lng = 0, lat = 0, hdg = 0;
    if (h == nullptr || !sim::GetSurfacePos(h, &lng, &lat, &hdg)) continue;
    for (StoredPlan& p : plans_.At(options_.scenarioName, lng, lat, hdg, radius))
      if (p.aircraft == NameOf(h)) offered.push_back(std::move(p));
  }
  snapshot_.SetOfferedPlans(offered);
}

void LiveDriver::TellPeople() {
  for (const auto& [person, text] : session_.Notices()) server_.Post(person, NoticeMessage(text));
  session_.Notices().clear();
}

bool LiveDriver::Boundary() {
  for (;;) {
    ApplyQueued();
    if (quit_ || g_stopRequested) return false;
    const Clock::time_point now = Clock::now();
    if (!pacer_.Paused() && now >= pacer_.Due()) return true;
    PublishIfDue(changed_);
    // Inputs that arrive while waiting are applied at once: this too is a
    // boundary between frames.
    queue_.WaitUntil(pacer_.Paused() ? now + PAUSED_POLL : std::min(pacer_.Due(), now + PUBLISH_EVERY));
  }
}

void LiveDriver::BeforeFrame() {
  frameStart_ = Clock::now();
  session_.BeforeFrame();
}

void LiveDriver::AfterFrame() {
  pacer_.FrameRun(frameStart_);
  session_.AfterFrame();
  WatchScene();
  TellPeople();
  // The frame that took an input is shown at once.
  PublishIfDue(changed_);
  const Clock::time_point now = Clock::now();
  if (now - lastFlush_ >= FLUSH_EVERY) {
    record_.Flush();
    lastFlush_ = now;
  }
}

void LiveDriver::PublishIfDue(bool force) {
  const Clock::time_point now = Clock::now();
  const bool wanted = server_.StateWanted();
  if (!force && !wanted && now - lastPublish_ < PUBLISH_EVERY) return;
  lastPublish_ = now;
  changed_ = false;
  PaceState pace;
  pace.accel = pacer_.Accel();
  pace.paused = pacer_.Paused();
  pace.realtime = pacer_.RealTime();
  pace.lateMean = pacer_.LateMean();
  pace.lateMax = pacer_.LateMax();
  snapshot_.Scene(pace, session_, now);
  // A page that has not taken its last state gets none now; its next one
  // carries everything since.
  for (const Person& p : session_.People())
    if (server_.Idle(p.id))
      server_.Publish(p.id, std::make_shared<const std::string>(snapshot_.StateFor(session_, p, now)));
  if (wanted) server_.Publish(snapshot_.FullState(session_, nullptr));
}

bool LiveDriver::Finish(std::string* error) {
  sim::SetAttachHook(nullptr, nullptr);
  PublishIfDue(true);
  server_.Publish(snapshot_.FullState(session_, nullptr));
  server_.Goodbye();
  return record_.Finish(sim::FrameCount(), error);
}

bool LiveDriver::Close(std::chrono::steady_clock::time_point deadline) { return server_.Stop(deadline); }

}  // namespace kvqsim
