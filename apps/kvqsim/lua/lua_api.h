// The host's names in Lua: OAPI_KEY, THGROUP, AIRCTRL, PANEL_MOUSE, and the
// libraries oapi, vessel and proc.
#pragma once

#include <lua.hpp>

namespace kvqsim {

void RegisterHostApi(lua_State* L);

// What the script's coroutine waits for after a proc call yielded.
struct ScriptWait {
  enum Kind { NONE, FRAME, TIME } kind = NONE;
  double until = 0.0;  // simulation time, for TIME
};
ScriptWait& CurrentWait();
// True when the script may be resumed after a frame. A bare
// coroutine.yield() waits one frame, as proc.skip() does.
bool WaitIsOver(const ScriptWait& w, double simt);

}  // namespace kvqsim
