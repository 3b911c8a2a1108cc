#include "script/methods.h"

#include <cstring>

#include "cockpit/lamps.h"
#include "script/attach_codes.h"
#include "towing/actions.h"
#include "towing/hitch.h"
#include "vessel/kvq_r7700.h"

namespace {

// A method called on anything but a tractor: setters do nothing and return
// nothing, getters return nil.
int NoTractor(lua_State* L, int results) {
  for (int i = 0; i < results; ++i) lua_pushnil(L);
  return results;
}

// Both the lamp switches take 0 or 1; anything else leaves them alone.
bool ReadSwitch(lua_State* L, int index, bool* on) {
  const lua_Integer n = lua_tointeger(L, index);
  if (n != 0 && n != 1) return false;
  *on = n == 1;
  return true;
}

int Speed(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  lua_pushnumber(L, v->speed);
  return 1;
}

int Mode(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  lua_pushnumber(L, v->towMode);
  return 1;
}

// Unlike the keyboard, the script may shift while rolling.
int Transmission(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 0);
  const lua_Integer n = lua_tointeger(L, 2);
  if (n >= -1 && n <= 2) v->transmission = static_cast<int>(n);
  return 0;
}

// Switches the engine without the starter sound and without touching the
// idle timer.
int Starter(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 0);
  bool on = false;
  if (ReadSwitch(L, 2, &on)) v->engineRunning = on;
  return 0;
}

int GetFuel(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  lua_pushnumber(L, v->fuel);
  return 1;
}

int RefuelMethod(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 0);
  Refuel(*v);
  return 0;
}

// Each lamp group ends in the wanted state even when it is already there:
// the toggle starts from the opposite recorded state.
int Lights(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 0);
  bool on = false;
  if (ReadSwitch(L, 2, &on)) {
    v->lightsOn = !on;
    v->lightsOn = ToggleLights(*v);
  }
  if (ReadSwitch(L, 3, &on)) {
    v->beaconOn = !on;
    v->beaconOn = ToggleBeacons(*v);
  }
  if (ReadSwitch(L, 4, &on)) v->parkingBrake = on;
  return 0;
}

int AttachIndex(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  ATTACHMENTHANDLE point = nullptr;
  switch (AttachIndexPoint(lua_tointeger(L, 2))) {
    case AttachPoint::VESSEL_HITCH_FRONT: point = v->vesselHitchFront; break;
    case AttachPoint::TOWBAR_MOUNT_FRONT: point = v->towbarMountFront; break;
    case AttachPoint::TOWBAR_MOUNT_BACK: point = v->towbarMountBack; break;
    case AttachPoint::VESSEL_HITCH_BACK: point = v->vesselHitchBack; break;
    case AttachPoint::NONE: break;
  }
  lua_pushnumber(L, point ? static_cast<lua_Number>(v->GetAttachmentIndex(point)) : -1.0);
  return 1;
}

// Couples directly: no look at towMode, no crew trigger, no sound.
int Attach(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  const lua_Integer code = lua_tointeger(L, 2);
  bool ok = false;
  switch (CouplingCodeTarget(code)) {
    case CouplingTarget::TOWBAR_FRONT: ok = CoupleTowbar(*v, true, true); break;
    case CouplingTarget::TOWBAR_BACK: ok = CoupleTowbar(*v, false, true); break;
    case CouplingTarget::VESSEL_FRONT: ok = CoupleVessel(*v, true, true); break;
    case CouplingTarget::VESSEL_BACK: ok = CoupleVessel(*v, false, true); break;
    case CouplingTarget::NONE: break;
  }
  if (ok) v->towMode = static_cast<int>(code);
  lua_pushnumber(L, ok ? 1 : 0);
  return 1;
}

int Detach(lua_State* L) {
  KVQ_R7700* v = ScriptTractor(L);
  if (!v) return NoTractor(L, 1);
  bool ok = false;
  int newMode = v->towMode;
  switch (CouplingCodeTarget(lua_tointeger(L, 2))) {
    case CouplingTarget::TOWBAR_FRONT:
    case CouplingTarget::TOWBAR_BACK:
      ok = CoupleTowbar(*v, true, false);
      newMode = 0;
      break;
    case CouplingTarget::VESSEL_FRONT:
      ok = CoupleVessel(*v, true, false);
      newMode = 1;
      break;
    case CouplingTarget::VESSEL_BACK:
      ok = CoupleVessel(*v, false, false);
      newMode = -1;
      break;
    case CouplingTarget::NONE: break;
  }
  if (ok) v->towMode = newMode;
  lua_pushnumber(L, ok ? 1 : 0);
  return 1;
}

// A userdata may outlive its vessel: its pointer is used only once it is
// found among the host's live vessels.
KVQ_R7700* LiveTractor(const VESSEL* candidate) {
  const DWORD count = oapiGetVesselCount();
  for (DWORD i = 0; i < count; ++i) {
    VESSEL* live = oapiGetVesselInterface(oapiGetVesselByIndex(static_cast<int>(i)));
    if (live && live == candidate) return dynamic_cast<KVQ_R7700*>(live);
  }
  return nullptr;
}

}  // namespace

const luaL_Reg KVQ_R7700_METHODS[] = {
    {"speed", Speed},
    {"mode", Mode},
    {"transmission", Transmission},
    {"starter", Starter},
    {"getFuel", GetFuel},
    {"refuel", RefuelMethod},
    {"lights", Lights},
    {"attachIndex", AttachIndex},
    {"attach", Attach},
    {"detach", Detach},
    {nullptr, nullptr},
};

// The userdata's first word is the host's vessel interface; whichever
// metatable the host gave the userdata, the word counts only when it is a
// live tractor of this class.
KVQ_R7700* ScriptTractor(lua_State* L) {
  if (lua_type(L, 1) != LUA_TUSERDATA || lua_objlen(L, 1) < sizeof(VESSEL*)) return nullptr;
  VESSEL* candidate = nullptr;
  std::memcpy(&candidate, lua_touserdata(L, 1), sizeof candidate);
  return candidate ? LiveTractor(candidate) : nullptr;
}
