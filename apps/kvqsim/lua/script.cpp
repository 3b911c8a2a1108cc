#include "apps/kvqsim/lua/script.h"

#include <cstdio>

#include "apps/kvqsim/lua/lua_api.h"

namespace kvqsim {

namespace {

const char* const SCRIPT_THREAD = "kvqsim.script";

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

// The error message with the script's traceback, from debug.traceback.
std::string Traceback(lua_State* main, lua_State* thread, int msgIndex) {
  const char* msg = lua_tostring(thread, msgIndex);
  std::string text = msg ? msg : "(error object is not a string)";
  lua_getglobal(main, "debug");
  if (lua_istable(main, -1)) {
    lua_getfield(main, -1, "traceback");
    if (lua_isfunction(main, -1)) {
      lua_pushthread(thread);
      lua_xmove(thread, main, 1);
      lua_pushstring(main, text.c_str());
      if (lua_pcall(main, 2, 1, 0) == 0 && lua_isstring(main, -1)) text = lua_tostring(main, -1);
    }
    lua_pop(main, 1);
  }
  lua_pop(main, 1);
  return text;
}

}  // namespace

lua_State* CreateLuaState(const std::string& root) {
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  luaL_openlibs(L);
  AddScriptFolder(L, root);
  RegisterHostApi(L);
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
