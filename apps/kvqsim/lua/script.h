// The Lua state of a run and the mission script, run as a coroutine that
// the runner resumes between frames.
#pragma once

#include <string>

#include <lua.hpp>

#include "apps/kvqsim/lua/lua_api.h"

namespace kvqsim {

// A Lua 5.1 state with the standard libraries, the host's names, and
// package.path also searching ROOT/Script.
lua_State* CreateLuaState(const std::string& root);

class Script {
 public:
  enum Status { RUNNING, FINISHED, FAILED };

  // Loads the file as the coroutine's body. False with a message when the
  // file cannot be read (missing is true then) or does not compile.
  bool Load(lua_State* L, const std::string& path, std::string* error, bool* missing);
  // Resumes the coroutine; on FAILED, error holds "file:line: message" and
  // a traceback.
  Status Resume(std::string* error);
  bool Running() const { return status_ == RUNNING && thread_ != nullptr; }
  // Whether what the script waits for has come (other coroutines, such as a
  // pushback from the page, wait for their own things meanwhile).
  bool WaitOver(double simt) const { return WaitIsOver(wait_, simt); }

 private:
  lua_State* main_ = nullptr;
  lua_State* thread_ = nullptr;
  Status status_ = RUNNING;
  ScriptWait wait_;
};

}  // namespace kvqsim
