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
  snapshot_.Begin();
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
        break;
      case InputKind::Pause:
        pacer_.SetPaused(in.paused, Clock::now());
        break;
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
  TellPeople();
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
  PublishIfDue(true);
  server_.Publish(snapshot_.FullState(session_, nullptr));
  server_.Goodbye();
  return record_.Finish(sim::FrameCount(), error);
}

bool LiveDriver::Close(std::chrono::steady_clock::time_point deadline) { return server_.Stop(deadline); }

}  // namespace kvqsim
