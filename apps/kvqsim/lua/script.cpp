#include "apps/kvqsim/lua/script.h"

#include <cstdio>

#include "apps/kvqsim/lua/lua_api.h"

namespace kvqsim {

namespace {

const char* const SCRIPT_THREAD = "kvqsim.script";
// The standard debug.traceback, kept where replacing the global `debug`
// does not reach it.
const char* const TRACEBACK = "kvqsim.traceback";

// Prepends ROOT/Script/?.lua and ROOT/Script/?/init.lua to package.path.
void AddScriptFolder(lua_State* L, const std::string& root) {
  lua_getglobal(L, "package");
  lua_getfield(L, -1, "path");
  std::string path = root + "/Script/?.lua;" + root + "/Script/?/init.lua;";
  const char* old = lua_tostring(L, -1);
  if (old) path += old;
  lua_pop(L, 1);
  lua_pushstring(L, path.c_str());
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);
}

int KeepTraceback(lua_State* L) {
  lua_getglobal(L, "debug");
  lua_getfield(L, -1, "traceback");
  lua_pushstring(L, TRACEBACK);
  lua_insert(L, -2);
  lua_rawset(L, LUA_REGISTRYINDEX);
  return 0;
}

// Everything the state starts with, run protected (out of memory is the
// only error it can meet).
int OpenState(lua_State* L) {
  const auto* root = static_cast<const std::string*>(lua_touserdata(L, 1));
  luaL_openlibs(L);
  KeepTraceback(L);
  AddScriptFolder(L, *root);
  RegisterHostApi(L);
  return 0;
}

struct TracebackCall {
  lua_State* thread;
  const char* message;
  std::string* text;  // replaced by the traceback when there is one
};

// Runs protected on the main thread.
int CallTraceback(lua_State* L) {
  auto* call = static_cast<TracebackCall*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  lua_pushstring(L, TRACEBACK);
  lua_rawget(L, LUA_REGISTRYINDEX);
  if (!lua_isfunction(L, -1)) return 0;
  lua_pushthread(call->thread);
  lua_xmove(call->thread, L, 1);
  lua_pushstring(L, call->message);
  lua_call(L, 2, 1);
  if (const char* traceback = lua_tostring(L, -1)) *call->text = traceback;
  return 0;
}

// The error message with the script's traceback. Whatever the script did
// to `debug` or to the registry, its own message is kept.
std::string Traceback(lua_State* main, lua_State* thread, int msgIndex) {
  const char* msg = lua_tostring(thread, msgIndex);
  std::string text = msg ? msg : "(error object is not a string)";
  const std::string message = text;
  TracebackCall call{thread, message.c_str(), &text};
  const int top = lua_gettop(main);
  lua_cpcall(main, CallTraceback, &call);
  lua_settop(main, top);
  return text;
}

}  // namespace

lua_State* CreateLuaState(const std::string& root) {
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  if (lua_cpcall(L, OpenState, const_cast<std::string*>(&root)) != 0) {
    lua_close(L);
    return nullptr;
  }
  return L;
}

bool Script::Load(lua_State* L, const std::string& path, std::string* error, bool* missing) {
  main_ = L;
  *missing = false;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    *missing = true;
    *error = "cannot read script '" + path + "'";
    return false;
  }
  thread_ = lua_newthread(L);
  lua_setfield(L, LUA_REGISTRYINDEX, SCRIPT_THREAD);  // keeps the coroutine alive
  if (luaL_loadfile(thread_, path.c_str()) != 0) {
    const char* msg = lua_tostring(thread_, -1);
    *error = msg ? msg : "cannot load script";
    status_ = FAILED;
    thread_ = nullptr;
    return false;
  }
  status_ = RUNNING;
  return true;
}

Script::Status Script::Resume(std::string* error) {
  if (!Running()) return status_;
  CurrentWait() = ScriptWait{};
  int rc = lua_resume(thread_, 0);
  wait_ = CurrentWait();
  if (rc == LUA_YIELD) return status_;
  if (rc == 0) {
    status_ = FINISHED;
    return status_;
  }
  *error = Traceback(main_, thread_, -1);
  status_ = FAILED;
  return status_;
}

}  // namespace kvqsim
