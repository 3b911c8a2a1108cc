#include "apps/kvqsim/lua/pushback_task.h"

#include <cmath>
#include <cstring>

#include "apps/kvqsim/lua/lua_vessel.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

const char* const TASK_THREAD = "kvqsim.pushback";             // keeps the coroutine alive
const char* const TASK_PROGRESS = "kvqsim.pushback.progress";  // the table the controller fills
const char* const MODULE = "pushback";
constexpr double MOVED = 0.05;  // m the tractor may creep before the plan is fixed

std::string ErrorText(lua_State* L, int idx) {
  const char* m = lua_tostring(L, idx);
  return m ? m : "(error object is not a string)";
}

// Pushes require("pushback")[name]; false with the error (nothing pushed).
bool PushFunction(lua_State* L, const char* name, std::string* error) {
  lua_getglobal(L, "require");
  lua_pushstring(L, MODULE);
  if (lua_pcall(L, 1, 1, 0) != 0) {
    *error = "Script/pushback.lua: " + ErrorText(L, -1);
    lua_pop(L, 1);
    return false;
  }
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    *error = "Script/pushback.lua is not the pushback library";
    return false;
  }
  lua_getfield(L, -1, name);
  lua_remove(L, -2);
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 1);
    *error = std::string("Script/pushback.lua has no ") + name;
    return false;
  }
  return true;
}

void PushPlan(lua_State* L, const PushbackPlan& plan) {
  lua_createtable(L, 0, 2);
  lua_createtable(L, static_cast<int>(plan.points.size()), 0);
  for (size_t i = 0; i < plan.points.size(); ++i) {
    lua_createtable(L, 0, 2);
    lua_pushnumber(L, plan.points[i].lng);
    lua_setfield(L, -2, "lng");
    lua_pushnumber(L, plan.points[i].lat);
    lua_setfield(L, -2, "lat");
    lua_rawseti(L, -2, static_cast<int>(i + 1));
  }
  lua_setfield(L, -2, "points");
  lua_pushnumber(L, plan.heading);
  lua_setfield(L, -2, "heading");
}

double NumberField(lua_State* L, int idx, const char* name, double otherwise = 0) {
  lua_getfield(L, idx, name);
  const double v = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : otherwise;
  lua_pop(L, 1);
  return std::isfinite(v) ? v : otherwise;
}

// Sets *out from a string field, without touching it when it is the same.
void TextField(lua_State* L, int idx, const char* name, std::string* out) {
  lua_getfield(L, idx, name);
  size_t n = 0;
  const char* s = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : "";
  if (out->size() != n || std::memcmp(out->data(), s, n) != 0) out->assign(s, n);
  lua_pop(L, 1);
}

void ReadSweep(lua_State* L, int idx, std::vector<PlanPose>* out) {
  out->clear();
  lua_getfield(L, idx, "sweep");
  if (lua_istable(L, -1)) {
    for (int i = 1;; ++i) {
      lua_rawgeti(L, -1, i);
      if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        break;
      }
      out->push_back({NumberField(L, -1, "lng"), NumberField(L, -1, "lat"), NumberField(L, -1, "hdg")});
      lua_pop(L, 1);
    }
  }
  lua_pop(L, 1);
}

}  // namespace

bool PushbackTask::Preview(lua_State* L, OBJHANDLE tractor, const PushbackPlan& plan, PushbackPreview* out,
                           std::string* error) {
  if (L == nullptr) {
    *error = "no Lua state for the pushback controller";
    return false;
  }
  const int top = lua_gettop(L);
  if (!PushFunction(L, "preview", error)) return false;
  PushVessel(L, tractor);
  PushPlan(L, plan);
  bool ok = false;
  if (lua_pcall(L, 2, 2, 0) != 0) {
    *error = ErrorText(L, -1);
  } else if (!lua_istable(L, -2)) {
    *error = lua_isstring(L, -1) ? ErrorText(L, -1) : "the controller refused the plan";
  } else {
    TextField(L, -2, "aircraft", &out->aircraft);
    ReadSweep(L, -2, &out->sweep);
    out->errPos = NumberField(L, -2, "errPos");
    out->errHdg = NumberField(L, -2, "errHdg");
    out->maxTowbar = NumberField(L, -2, "maxTowbar");
    out->distance = NumberField(L, -2, "distance");
    ok = true;
  }
  lua_settop(L, top);
  return ok;
}

bool PushbackTask::Start(lua_State* L, OBJHANDLE tractor, const PushbackPlan& plan, std::string* error) {
  PushbackPreview preview;
  if (!Preview(L, tractor, plan, &preview, error)) return false;
  Drop();
  L_ = L;
  const int top = lua_gettop(L);
  if (!PushFunction(L, "run_scene", error)) return false;
  thread_ = lua_newthread(L);
  lua_setfield(L, LUA_REGISTRYINDEX, TASK_THREAD);
  lua_xmove(L, thread_, 1);  // the function
  PushVessel(thread_, tractor);
  PushPlan(thread_, plan);
  lua_newtable(thread_);
  lua_pushvalue(thread_, -1);
  lua_setfield(thread_, LUA_REGISTRYINDEX, TASK_PROGRESS);
  lua_settop(L, top);

  tractor_ = tractor;
  sim::GetSurfacePos(tractor, &startLng_, &startLat_, nullptr);
  char name[256] = "";
  oapiGetObjectName(tractor, name, sizeof name);
  const uint64_t number = progress_.number + 1;
  progress_ = PushbackProgress{};
  progress_.number = number;
  progress_.running = true;
  progress_.tractor = name;
  progress_.aircraft = preview.aircraft;
  progress_.phase = "coupling";
  progress_.plan = plan;
  progress_.sweep = std::move(preview.sweep);
  Resume(3);
  return true;
}

void PushbackTask::Resume(int args) {
  CurrentWait() = ScriptWait{};
  const int rc = lua_resume(thread_, args);
  wait_ = CurrentWait();
  if (rc == LUA_YIELD) {
    ReadProgress();
    return;
  }
  if (rc != 0) {
    // The controller failed: the tractor is left braked.
    const std::string why = ErrorText(thread_, -1);
    Stop("the controller failed: " + why);
    progress_.phase = "failed";
    return;
  }
  ReadProgress();
  progress_.running = false;
  if (progress_.phase != "done" && progress_.phase != "failed") progress_.phase = "failed";
  Drop();
}

void PushbackTask::ReadProgress() {
  lua_State* L = L_;
  lua_getfield(L, LUA_REGISTRYINDEX, TASK_PROGRESS);
  if (lua_istable(L, -1)) {
    TextField(L, -1, "phase", &progress_.phase);
    TextField(L, -1, "reason", &progress_.reason);
    std::string aircraft = progress_.aircraft;
    TextField(L, -1, "aircraft", &aircraft);
    if (!aircraft.empty()) progress_.aircraft = aircraft;
    progress_.togo = NumberField(L, -1, "togo", progress_.togo);
    progress_.off = NumberField(L, -1, "off");
    progress_.heading = NumberField(L, -1, "heading");
    progress_.errPos = NumberField(L, -1, "errPos");
    progress_.errHdg = NumberField(L, -1, "errHdg");
  }
  lua_pop(L, 1);
}

void PushbackTask::AfterFrame(double simt) {
  if (thread_ == nullptr || !WaitIsOver(wait_, simt)) return;
  Resume(0);
}

void PushbackTask::Stop(const std::string& why) {
  if (thread_ == nullptr) return;
  lua_State* L = L_;
  const int top = lua_gettop(L);
  std::string error;
  if (PushFunction(L, "abort", &error)) {
    PushVessel(L, tractor_);
    lua_pcall(L, 1, 0, 0);
  }
  lua_settop(L, top);
  progress_.running = false;
  progress_.phase = "stopped";
  progress_.reason = why;
  Drop();
}

void PushbackTask::Drop() {
  if (thread_ != nullptr) {
    lua_pushnil(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, TASK_THREAD);
    lua_pushnil(L_);
    lua_setfield(L_, LUA_REGISTRYINDEX, TASK_PROGRESS);
  }
  thread_ = nullptr;
  progress_.running = false;
}

void PushbackTask::VesselDeleted(OBJHANDLE h) {
  if (thread_ == nullptr || h != tractor_) return;
  progress_.phase = "failed";
  progress_.reason = "the tractor left the scene";
  Drop();
  tractor_ = nullptr;
}

bool PushbackTask::Moved() const {
  if (thread_ == nullptr) return true;
  double lng = 0, lat = 0;
  if (!sim::GetSurfacePos(tractor_, &lng, &lat, nullptr)) return true;
  const double radius = oapiGetSize(sim::GetPlanet());
  const double de = std::remainder(lng - startLng_, 2 * PI) * std::cos(lat) * radius;
  const double dn = (lat - startLat_) * radius;
  return de * de + dn * dn > MOVED * MOVED;
}

}  // namespace kvqsim
