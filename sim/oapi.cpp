// The host's free functions: library start-up, time, objects, the input box
// and the debug line.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "sim/world.h"

namespace host {
namespace {

// Instances handed to InitLib. A library linked straight into an executable
// runs its start-up before main, before the host is started, so this is a
// plain array with constant initialisation.
constexpr int MAX_LIBS = 64;
HINSTANCE g_libs[MAX_LIBS];
int g_nlibs = 0;

uint64_t NextRandom(uint64_t& s) {
  // splitmix64
  uint64_t z = (s += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

int InitLibCount() { return g_nlibs; }

bool InitLibSeen(HINSTANCE h) {
  for (int i = 0; i < g_nlibs; ++i) {
    if (g_libs[i] == h) return true;
  }
  return false;
}

}  // namespace host

bool sim::LibraryStarted(HINSTANCE instance) { return instance != nullptr && host::InitLibSeen(instance); }

void InitLib(HINSTANCE hModule) {
  if (hModule == nullptr || host::InitLibSeen(hModule)) return;
  if (host::g_nlibs < host::MAX_LIBS) host::g_libs[host::g_nlibs++] = hModule;
}

int Date2Int(const char* date) {
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (date == nullptr) return 0;
  char mon[4] = {};
  int day = 0, year = 0;
  if (std::sscanf(date, "%3s %d %d", mon, &day, &year) != 3) return 0;
  int m = 0;
  for (int i = 0; i < 12; ++i) {
    if (strcasecmp(mon, months[i]) == 0) m = i + 1;
  }
  if (m == 0) return 0;
  return (year % 100) * 10000 + m * 100 + day;
}

double oapiGetSimTime() { return host::W().simt; }
double oapiGetSimStep() { return host::W().simdt; }
double oapiGetSysTime() { return host::W().systime; }

double oapiRand() {
  const uint64_t r = host::NextRandom(host::W().rng);
  return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);  // 53 bits in [0, 1)
}

DWORD oapiGetVesselCount() { return static_cast<DWORD>(host::W().vessels.size()); }

OBJHANDLE oapiGetVesselByIndex(int index) {
  auto& v = host::W().vessels;
  if (index < 0 || static_cast<size_t>(index) >= v.size()) return nullptr;
  return v[static_cast<size_t>(index)].get();
}

OBJHANDLE oapiGetVesselByName(const char* name) { return host::FindVessel(name); }

VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel) {
  host::Vessel* v = host::AsVessel(hVessel);
  return v ? v->iface : nullptr;
}

OBJHANDLE oapiCreateVessel(const char* name, const char* classname, const VESSELSTATUS& status) {
  VESSELSTATUS2 s{};
  s.version = 2;
  s.rbody = status.rbody;
  s.status = status.status;
  s.rpos = status.rpos;
  s.rvel = status.rvel;
  s.vrot = status.vrot;
  s.arot = status.arot;
  s.surf_lng = status.vdata[0].x;
  s.surf_lat = status.vdata[0].y;
  s.surf_hdg = status.vdata[0].z;
  std::string error;
  host::Vessel* v = host::CreateVessel(name, classname, &s, nullptr, &error);
  if (v == nullptr) std::fprintf(stderr, "host: oapiCreateVessel: %s\n", error.c_str());
  return v;
}

bool oapiDeleteVessel(OBJHANDLE hVessel, OBJHANDLE hAlternativeCameraTarget) {
  host::Vessel* v = host::AsVessel(hVessel);
  if (v == nullptr) return false;
  host::World& w = host::W();
  const bool wasFocus = (w.focus == v);
  if (!host::DeleteVessel(v)) return false;
  if (wasFocus) {
    host::Vessel* alt = host::AsVessel(hAlternativeCameraTarget);
    w.focus = alt ? alt : (w.vessels.empty() ? nullptr : w.vessels.front().get());
  }
  return true;
}

OBJHANDLE oapiSetFocusObject(OBJHANDLE hVessel) {
  host::World& w = host::W();
  host::Vessel* v = host::AsVessel(hVessel);
  host::Vessel* old = w.focus;
  if (v == nullptr) return nullptr;
  if (v != old) {
    w.focus = v;
    // The cockpit follows the focus of whoever sat in it.
    if (w.vc.vessel == old && w.focusInCockpit) host::VCReset();
    w.focusChanges.push_back(v);
  }
  return old;
}

OBJHANDLE oapiGetFocusObject() { return host::W().focus; }

OBJHANDLE oapiGetObjectByName(const char* name) {
  if (name == nullptr) return nullptr;
  if (strcasecmp(name, host::W().planet.name) == 0) return &host::W().planet;
  return host::FindVessel(name);
}

void oapiGetObjectName(OBJHANDLE hObj, char* name, int n) {
  if (name == nullptr || n <= 0) return;
  name[0] = 0;
  if (hObj == &host::W().planet) {
    host::CopyBounded(name, static_cast<size_t>(n), host::W().planet.name);
  } else if (host::Vessel* v = host::AsVessel(hObj)) {
    host::CopyBounded(name, static_cast<size_t>(n), v->name.c_str());
  }
}

void oapiGetGlobalPos(OBJHANDLE hObj, VECTOR3* pos) {
  if (pos == nullptr) return;
  if (hObj == &host::W().planet) {
    *pos = {0, 0, 0};
  } else if (host::Vessel* v = host::AsVessel(hObj)) {
    *pos = v->pos;
  }
}

double oapiGetSize(OBJHANDLE hObj) {
  if (hObj == &host::W().planet) return host::EARTH_RADIUS;
  host::Vessel* v = host::AsVessel(hObj);
  return v ? v->size : 0;
}

double oapiGetMass(OBJHANDLE hObj) {
  if (hObj == &host::W().planet) return host::EARTH_GM / host::GRAV_CONST;
  VESSEL* i = oapiGetVesselInterface(hObj);
  return i ? i->GetMass() : 0;
}

double oapiGetEmptyMass(OBJHANDLE hVessel) {
  host::Vessel* v = host::AsVessel(hVessel);
  return v ? v->emptyMass : 0;
}

void oapiSetEmptyMass(OBJHANDLE hVessel, double mass) {
  if (host::Vessel* v = host::AsVessel(hVessel)) v->emptyMass = mass;
}

double oapiGetFuelMass(OBJHANDLE hVessel) {
  host::Vessel* v = host::AsVessel(hVessel);
  if (v == nullptr) return 0;
  double m = 0;
  for (auto& t : v->tanks) m += t->mass;
  return m;
}

void oapiCameraSetAperture(double aperture) {}

void oapiOpenInputBox(const char* title, InputBoxCallback Clbk, const char* buf, int vislen, void* usrdata) {
  host::InputBox& b = host::W().box;
  b.open = true;
  host::CopyBounded(b.title, sizeof b.title, title ? title : "");
  host::CopyBounded(b.text, sizeof b.text, buf ? buf : "");
  b.clbk = Clbk;
  b.user = usrdata;
  ++b.serial;
}

char* oapiDebugString() { return host::W().debug; }

namespace sim {

bool InputBoxOpen() { return host::W().box.open; }

const char* InputBoxTitle() { return host::W().box.open ? host::W().box.title : nullptr; }

bool InputBoxEnter(const char* text) {
  host::InputBox& b = host::W().box;
  if (!b.open) return false;
  host::CopyBounded(b.text, sizeof b.text, text ? text : "");
  const uint64_t serial = b.serial;
  bool ok = true;
  if (b.clbk != nullptr) {
    host::CallbackScope scope;
    ok = b.clbk(&b, b.text, b.user);
  }
  // A callback that opened a new box leaves that one open.
  if (ok && b.serial == serial) b.open = false;
  return ok;
}

void InputBoxCancel() { host::W().box.open = false; }

const char* DebugString() { return host::W().debug; }

}  // namespace sim

namespace sim {

void ActFor(OBJHANDLE focus, bool inCockpit) {
  host::World& w = host::W();
  if (host::Vessel* v = host::AsVessel(focus)) w.focus = v;
  w.focusInCockpit = inCockpit;
}

void TakeFocusChanges(std::vector<OBJHANDLE>* out) {
  std::vector<host::Vessel*>& changes = host::W().focusChanges;
  out->assign(changes.begin(), changes.end());
  changes.clear();
}

}  // namespace sim
