#include "script/binding.h"

#include <lua.hpp>

#include "script/methods.h"
#include "script/registration.h"
#include "vessel/kvq_r7700.h"

int HandleGenericMessage(KVQ_R7700& v, int msgid, int prm, void* context) {
  if (msgid == VMSG_LUAINSTANCE && context) {
    lua_State* L = static_cast<lua_State*>(context);
    if (lua_type(L, -1) == LUA_TUSERDATA) RegisterTractorMethods(L, KVQ_R7700_METHODS);
  }
  return 0;
}
