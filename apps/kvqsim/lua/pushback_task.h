// A hands-off pushback asked for from the page: the root's Script/pushback.lua
// tries the plan (what the aircraft would sweep, or why it cannot be done)
// and runs it as a coroutine of its own, resumed after frames as the
// script is, so that a replay of the same inputs pushes the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <lua.hpp>

#include "apps/kvqsim/lua/lua_api.h"
#include "host/orbiterapi.h"

namespace kvqsim {

// A plan in the scene's terms: the aircraft's points by longitude and
// latitude (rad) and its final heading (degrees).
struct PushbackPlan {
  struct Point {
    double lng = 0, lat = 0;
  };
  std::vector<Point> points;
  double heading = 0;
};

struct PlanPose {
  double lng = 0, lat = 0, hdg = 0;  // rad
};

// What the controller foresees for a plan.
struct PushbackPreview {
  std::string aircraft;
  std::vector<PlanPose> sweep;  // the aircraft's poses along the push
  double errPos = 0, errHdg = 0;  // m, degrees at the end
  double maxTowbar = 0;           // degrees
  double distance = 0;            // m the tractor drives
};

// How the push stands: the controller's own phase ("coupling", "pushing",
// "stopping", "done", "failed", or "stopped" when someone stopped it).
struct PushbackProgress {
  uint64_t number = 0;  // grows with each push started
  bool running = false;
  std::string tractor, aircraft, phase, reason;
  double togo = 0, off = 0, heading = 0;  // m, m, degrees
  double errPos = 0, errHdg = 0;          // at the end
  PushbackPlan plan;
  std::vector<PlanPose> sweep;
};

class PushbackTask {
 public:
  // Tries the plan for the tractor: false with the controller's reason when
  // it would refuse it. Moves nothing.
  bool Preview(lua_State* L, OBJHANDLE tractor, const PushbackPlan& plan, PushbackPreview* out,
               std::string* error);
  // Checks the plan as Preview does and starts the push; the coroutine runs
  // at once up to its first wait.
  bool Start(lua_State* L, OBJHANDLE tractor, const PushbackPlan& plan, std::string* error);
  // Ends the push at once and leaves the tractor braked.
  void Stop(const std::string& why);
  // After each frame: resumes the push when what it waits for has come.
  void AfterFrame(double simt);
  // A vessel is about to go.
  void VesselDeleted(OBJHANDLE h);

  bool Running() const { return thread_ != nullptr; }
  // Whether the tractor has moved since the push began (until then the plan
  // may still be changed).
  bool Moved() const;
  OBJHANDLE Tractor() const { return tractor_; }
  const PushbackProgress& Progress() const { return progress_; }

 private:
  void Resume(int args);
  void ReadProgress();
  void Drop();

  lua_State* L_ = nullptr;
  lua_State* thread_ = nullptr;
  OBJHANDLE tractor_ = nullptr;
  double startLng_ = 0, startLat_ = 0;
  ScriptWait wait_;
  PushbackProgress progress_;
};

}  // namespace kvqsim
