// A vessel module for the runner's tests: it binds its userdata the way a
// vessel module does (a metatable of its own whose method table falls back
// to "VESSEL.vtable") and counts the generic messages it gets.
#include <lua.hpp>

#include "host/orbiterapi.h"
#include "sim/sim.h"

namespace {

class LuaProbe : public VESSEL3 {
 public:
  LuaProbe(OBJHANDLE h, int fmodel) : VESSEL3(h, fmodel) {}
  void clbkSetClassCaps(FILEHANDLE cfg) override {
    SetSize(2);
    SetEmptyMass(100);
    SetTouchdownPoints(_V(0, -1, 1), _V(-1, -1, -1), _V(1, -1, -1));
    PROPELLANT_HANDLE tank = CreatePropellantResource(10);
    THRUSTER_HANDLE th = CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1000, tank);
    CreateThrusterGroup(&th, 1, THGROUP_MAIN);
    anim = CreateAnimation(0.25);
    beacon.shape = BEACONSHAPE_STAR;
    beacon.pos = &beaconPos;
    beacon.col = &beaconCol;
    beacon.active = false;
    AddBeacon(&beacon);
  }
  // The result tells what arrived: key + 1000 x the keys marked held.
  // I opens an input box; B switches the beacon on and sets the animation.
  int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override {
    int held = 0;
    for (int i = 0; kstate && i < 256; ++i) held += KEYDOWN(kstate, i) ? 1 : 0;
    if (key == OAPI_KEY_I) oapiOpenInputBox("Probe name", NameEntered, nullptr, 20, this);
    if (key == OAPI_KEY_B) {
      beacon.active = true;
      SetAnimation(anim, 0.75);
    }
    return static_cast<int>(key) + 1000 * held;
  }
  // Cockpit position 0: a status display of 485 x 337 pixels as area 3,
  // redrawn every frame with a word in a large font under an open frame.
  bool clbkLoadVC(int id) override {
    if (id != 0) return false;
    oapiVCRegisterArea(3, RECT{13, 21, 498, 358}, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE, PANEL_MAP_BACKGROUND,
                       nullptr);
    return true;
  }
  bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) override {
    if (id != 3) return false;
    oapi::Font* big = oapiCreateFont(80, true, "Sans", FONT_BOLD);
    oapi::Pen* pen = oapiCreatePen(1, 4, 0xFFFFFF);
    oapi::Sketchpad* skp = oapiGetSketchpad(surf);
    skp->SetTextColor(0x00FF00);
    skp->SetFont(big);
    skp->Text(130, 250, "PROBE", 5);
    skp->SetPen(pen);
    skp->Line(80, 335, 80, 240);
    skp->Line(420, 335, 420, 240);
    skp->Line(80, 240, 420, 240);
    oapiReleaseSketchpad(skp);
    oapiReleaseFont(big);
    oapiReleasePen(pen);
    return true;
  }
  // Takes any name but an empty one.
  static bool NameEntered(void* id, char* str, void* usrdata) { return str && str[0] != '\0'; }
  int clbkGeneric(int msgid, int prm, void* context) override {
    auto* L = static_cast<lua_State*>(context);
    if (msgid == VMSG_LUAINTERPRETER) ++interpreterCalls;
    if (msgid != VMSG_LUAINSTANCE || !L) return 0;
    ++instanceCalls;
    auto* first = static_cast<VESSEL**>(lua_touserdata(L, -1));
    firstWordIsVessel = first && *first == this;
    int top = lua_gettop(L);
    luaL_newmetatable(L, "LuaProbe.vtable");
    lua_newtable(L);
    lua_pushcfunction(L, Probe);
    lua_setfield(L, -2, "probe");
    lua_pushcfunction(L, Option);
    lua_setfield(L, -2, "option");
    lua_pushcfunction(L, FlightModel);
    lua_setfield(L, -2, "flightmodel");
    luaL_newmetatable(L, "LuaProbe.base");
    lua_getfield(L, LUA_REGISTRYINDEX, "VESSEL.vtable");
    lua_setfield(L, -2, "__index");
    lua_setmetatable(L, -2);
    lua_setfield(L, -2, "__index");
    lua_setmetatable(L, -2);
    stackKept = lua_gettop(L) == top && lua_isuserdata(L, -1);
    return 0;
  }

  // v:probe() -> interpreter messages, instance messages, first word held
  // this vessel, the stack was left as found; nil once the vessel is gone.
  static int Probe(lua_State* L) {
    auto* first = static_cast<VESSEL**>(lua_touserdata(L, 1));
    auto* self = first ? dynamic_cast<LuaProbe*>(*first) : nullptr;
    if (!self) {
      lua_pushnil(L);
      return 1;
    }
    lua_pushinteger(L, self->interpreterCalls);
    lua_pushinteger(L, self->instanceCalls);
    lua_pushboolean(L, self->firstWordIsVessel);
    lua_pushboolean(L, self->stackKept);
    return 4;
  }

  // v:flightmodel() -> what ovcInit was given.
  static int FlightModel(lua_State* L) {
    auto* first = static_cast<VESSEL**>(lua_touserdata(L, 1));
    if (!first || !*first) return 0;
    lua_pushinteger(L, (*first)->GetFlightModel());
    return 1;
  }

  // v:option(name) -> the runner's named option as plug-ins read it, or nil.
  static int Option(lua_State* L) {
    const char* value = sim::GetOption(luaL_checkstring(L, 2));
    if (value)
      lua_pushstring(L, value);
    else
      lua_pushnil(L);
    return 1;
  }

  UINT anim = 0;
  BEACONLIGHTSPEC beacon{};
  VECTOR3 beaconPos{0, 1, 0}, beaconCol{1, 0, 0};
  int interpreterCalls = 0, instanceCalls = 0;
  bool firstWordIsVessel = false, stackKept = false;
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE h, int fmodel) { return new LuaProbe(h, fmodel); }
DLLCLBK void ovcExit(VESSEL* v) { delete v; }
