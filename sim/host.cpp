// The scene: starting and stopping the host, vessel classes and modules,
// creating and deleting vessels, and the frame loop.
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "sim/animation_pose.h"
#include "sim/world.h"

namespace host {

constexpr uint64_t RANDOM_SEED = 0x4B5651373730ull;

World& W() {
  static World w;
  return w;
}

void CopyBounded(char* dst, size_t size, const char* src) {
  if (dst == nullptr || size == 0) return;
  size_t i = 0;
  if (src != nullptr) {
    for (; i + 1 < size && src[i] != 0; ++i) dst[i] = src[i];
  }
  dst[i] = 0;
}

bool EqualNoCase(const char* a, const char* b) { return a && b && strcasecmp(a, b) == 0; }

}  // namespace host

sim::ModuleCall::ModuleCall() {
  if (host::W().depth++ == 0) host::EnterRootFolder();
}

sim::ModuleCall::~ModuleCall() {
  host::World& w = host::W();
  if (w.depth == 1 && !w.doomed.empty()) host::FlushDeleted();
  if (--w.depth == 0) host::LeaveRootFolder();
}

namespace host {

Vessel* AsVessel(OBJHANDLE h) {
  if (h == nullptr) return nullptr;
  World& w = W();
  // A short list is faster to walk than to hash.
  if (w.vessels.size() <= 8) {
    for (auto& v : w.vessels) {
      if (v.get() == h) return v.get();
    }
    return nullptr;
  }
  return w.live.count(h) != 0 ? static_cast<Vessel*>(h) : nullptr;
}

int IndexOf(const Vessel* v) {
  auto& list = W().vessels;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].get() == v) return static_cast<int>(i);
  }
  return -1;
}

Vessel* FindVessel(const char* name) {
  if (name == nullptr) return nullptr;
  for (auto& v : W().vessels) {
    if (strcasecmp(v->name.c_str(), name) == 0) return v.get();
  }
  return nullptr;
}

const char* ClassFile::Find(const char* key) const {
  for (const auto& kv : items) {
    if (strcasecmp(kv.first.c_str(), key) == 0) return kv.second.c_str();
  }
  return nullptr;
}

namespace {

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

Module* LoadModule(const char* name, std::string* error) {
  World& w = W();
  for (auto& m : w.modules) {
    if (EqualNoCase(m->name.c_str(), name)) return m.get();
  }
  const std::string path = std::string("Modules\\") + name + ".dll";
  HMODULE lib = LoadHostLibrary(path.c_str());
  if (lib == nullptr) {
    if (error) *error = "module Modules/" + std::string(name) + ".dll not found or not loadable in " + w.options.root;
    return nullptr;
  }
  auto m = std::make_unique<Module>();
  m->name = name;
  m->lib = lib;
  FARPROC init = GetProcAddress(lib, "ovcInit");
  FARPROC exit = GetProcAddress(lib, "ovcExit");
  if (init == nullptr || exit == nullptr) {
    if (error) *error = "module Modules/" + std::string(name) + ".dll exports no ovcInit/ovcExit";
    FreeHostLibrary(lib);
    return nullptr;
  }
  m->init = EntryPointAs<VESSEL* (*)(OBJHANDLE, int)>(init);
  m->exit = EntryPointAs<void (*)(VESSEL*)>(exit);
  w.modules.push_back(std::move(m));
  return w.modules.back().get();
}

bool ReadVector(const char*& p, VECTOR3* v) {
  char* end = nullptr;
  double d[3];
  for (double& x : d) {
    x = std::strtod(p, &end);
    if (end == p || !std::isfinite(x)) return false;
    p = end;
  }
  *v = {d[0], d[1], d[2]};
  return true;
}

// The generic items of a class file, applied before the vessel's own
// set-up (which may override them).
void ApplyClassItems(Vessel* v) {
  const ClassFile* c = v->cls;
  for (const auto& kv : c->items) {
    const char* key = kv.first.c_str();
    const char* p = kv.second.c_str();
    if (EqualNoCase(key, "Size")) {
      v->size = std::atof(p);
    } else if (EqualNoCase(key, "EmptyMass")) {
      v->emptyMass = std::atof(p);
    } else if (EqualNoCase(key, "FuelMass")) {
      const double m = std::atof(p);
      if (m > 0) {
        auto t = std::make_unique<Propellant>();
        t->maxMass = t->mass = m;
        v->tanks.push_back(std::move(t));
      }
    } else if (EqualNoCase(key, "TouchdownPoints")) {
      VECTOR3 t[3];
      if (ReadVector(p, &t[0]) && ReadVector(p, &t[1]) && ReadVector(p, &t[2])) {
        for (int i = 0; i < 3; ++i) v->touchdown[i] = t[i];
      } else {
        std::fprintf(stderr, "host: %s: malformed TouchdownPoints ignored\n", c->path.c_str());
      }
    } else if (EqualNoCase(key, "Attachment")) {
      while (*p == ' ' || *p == '\t') ++p;
      const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
      auto a = std::make_unique<Attachment>();
      a->owner = v;
      a->toParent = kind == 'P';
      ++p;
      char id[64] = {};
      if ((kind != 'P' && kind != 'C') || !ReadVector(p, &a->pos) || !ReadVector(p, &a->dir) ||
          !ReadVector(p, &a->rot) || std::sscanf(p, "%63s", id) != 1) {
        std::fprintf(stderr, "host: %s: malformed Attachment '%s' ignored\n", c->path.c_str(), kv.second.c_str());
        continue;
      }
      CopyBounded(a->id, sizeof a->id, id);
      (a->toParent ? v->toParent : v->toChild).push_back(std::move(a));
    } else if (EqualNoCase(key, "Mesh") || (EqualNoCase(key, "MeshName") && v->module == nullptr)) {
      // MeshName is the generic vessel's mesh, as the simulator's generic
      // classes name it; a module adds its own meshes.
      v->meshes.push_back({LoadMesh(p), {0, 0, 0}, MESHVIS_EXTERNAL});
    }
  }
}

void ApplyState(Vessel* v, const VESSELSTATUS2& s) {
  if (s.status == 1) {
    SetLanded(v, s.surf_lng, s.surf_lat, s.surf_hdg);
  } else {
    SettleAt(v, s.rpos, EulerToMatrix(s.arot));
  }
}

void CallHook(Vessel* v, bool created) {
  World& w = W();
  if (w.hook != nullptr) w.hook(v, created, w.hookUser);
}

}  // namespace

const ClassFile* LoadClass(const char* className, std::string* error) {
  World& w = W();
  if (className == nullptr || *className == 0) {
    if (error) *error = "no class name";
    return nullptr;
  }
  for (auto& c : w.classes) {
    if (EqualNoCase(c->className.c_str(), className)) return c.get();
  }
  const std::string rel = std::string("Config\\") + className + ".cfg";
  FILE* f = OpenHostFile(rel.c_str(), "r");
  if (f == nullptr) {
    if (error) *error = "unknown vessel class '" + std::string(className) + "' (no " + className + ".cfg in " +
                        w.options.root + "/Config)";
    return nullptr;
  }
  auto c = std::make_unique<ClassFile>();
  char resolved[4096];
  c->path = ResolveHostPath(rel.c_str(), resolved, sizeof resolved) ? resolved : rel;
  c->className = className;
  char buf[1024];
  while (std::fgets(buf, sizeof buf, f)) {
    std::string line = buf;
    const size_t sc = line.find(';');
    if (sc != std::string::npos) line.resize(sc);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(line.substr(0, eq));
    std::string val = Trim(line.substr(eq + 1));
    if (!key.empty()) c->items.emplace_back(key, val);
  }
  std::fclose(f);
  w.classes.push_back(std::move(c));
  return w.classes.back().get();
}

Vessel* CreateVessel(const char* name, const char* className, const VESSELSTATUS2* state,
                     const std::vector<std::string>* scenarioLines, std::string* error) {
  World& w = W();
  auto fail = [&](const std::string& msg) -> Vessel* {
    if (error) *error = msg;
    return nullptr;
  };
  if (!w.running) return fail("the host is not started");
  std::string why;
  if (!ScenarioCarriesName(name, &why)) return fail(why);
  if (FindVessel(name) != nullptr) return fail("a vessel named '" + std::string(name) + "' already exists");
  std::string e;
  const ClassFile* cls = LoadClass(className, &e);
  if (cls == nullptr) return fail(e);
  Module* module = nullptr;
  if (const char* m = cls->Find("Module"); m != nullptr && *m != 0) {
    module = LoadModule(m, &e);
    if (module == nullptr) return fail("class " + std::string(className) + ": " + e);
  }
  auto rec = std::make_unique<Vessel>();
  Vessel* v = rec.get();
  v->name = name;
  v->className = className;
  v->cls = cls;
  v->module = module;
  ApplyClassItems(v);
  if (state != nullptr) ApplyState(v, *state);
  else SetLanded(v, 0, 0, 0);
  w.vessels.push_back(std::move(rec));
  w.live.insert(v);
  {
    CallbackScope scope;
    v->iface = module ? module->init(v, w.options.flightModel) : new VESSEL3(v, w.options.flightModel);
    if (v->iface == nullptr) {
      w.live.erase(v);
      w.vessels.erase(w.vessels.begin() + host::IndexOf(v));
      return fail("class " + std::string(className) + ": ovcInit gave no vessel");
    }
    v->iface->clbkSetClassCaps(const_cast<ClassFile*>(cls));
    if (scenarioLines != nullptr) {
      LoadVesselState(v, *scenarioLines);
    } else if (state != nullptr) {
      ApplyState(v, *state);  // again, now that the touchdown points are known
    }
    v->iface->clbkPostCreation();
  }
  if (v->deleted) return fail("vessel '" + std::string(name) + "' was deleted while it was created");
  if (w.focus == nullptr) w.focus = v;
  SendGeneric(v);
  CallHook(v, true);
  return v;
}

void SendGeneric(Vessel* v) {
  World& w = W();
  if (v == nullptr || v->genericSent || v->deleted || w.lua == nullptr) return;
  auto* v3 = dynamic_cast<VESSEL3*>(v->iface);
  if (v3 == nullptr) return;
  v->genericSent = true;
  CallbackScope scope;
  v3->clbkGeneric(VMSG_LUAINTERPRETER, 0, w.lua);
}

bool DeleteVessel(Vessel* v) {
  World& w = W();
  if (v == nullptr || v->deleted || IndexOf(v) < 0) return false;
  v->deleted = true;
  CallHook(v, false);
  if (v->visual) DestroyVisual(v);
  if (v->parentPoint != nullptr && v->parentPoint->peerPoint != nullptr) Detach(v->parentPoint->peerPoint);
  for (auto& pp : v->toChild) {
    if (pp->peer != nullptr) Detach(pp.get());
  }
  for (auto& d : v->docks) {
    if (d->peerDock != nullptr) {
      d->peerDock->docked = nullptr;
      d->peerDock->peerDock = nullptr;
    }
    d->docked = nullptr;
    d->peerDock = nullptr;
  }
  for (auto& p : w.pending) {
    if (p.child == v) p.child = nullptr;
  }
  const int idx = IndexOf(v);
  std::unique_ptr<Vessel> rec = std::move(w.vessels[static_cast<size_t>(idx)]);
  w.vessels.erase(w.vessels.begin() + idx);
  w.live.erase(rec.get());
  if (w.frameIndex >= 0 && idx <= w.frameIndex) --w.frameIndex;
  if (w.focus == v) w.focus = w.vessels.empty() ? nullptr : w.vessels.front().get();
  if (w.vc.vessel == v) VCReset();
  for (Vessel*& f : w.focusChanges)
    if (f == v) f = nullptr;
  w.doomed.push_back(std::move(rec));
  if (w.depth == 0) FlushDeleted();
  return true;
}

void FlushDeleted() {
  World& w = W();
  while (!w.doomed.empty()) {
    std::unique_ptr<Vessel> rec = std::move(w.doomed.back());
    w.doomed.pop_back();
    CallbackScope scope;  // the destructor may call the host
    if (rec->module != nullptr) rec->module->exit(rec->iface);
    else delete rec->iface;
    rec->iface = nullptr;
  }
}

}  // namespace host

namespace sim {

using host::Vessel;
using host::W;
using host::World;

bool Start(const Options& options, std::string* error) {
  World& w = W();
  if (w.running) Shutdown();
  struct stat st{};
  if (options.root.empty() || stat(options.root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = "the simulator root '" + options.root + "' does not exist";
    return false;
  }
  w.options = options;
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(options.root, ec);
  if (!ec) w.options.root = real.string();
  if (!(w.options.dt > 0) || !std::isfinite(w.options.dt)) w.options.dt = 1.0 / 60.0;
  w.simt = 0;
  w.simdt = w.options.dt;
  w.systime = 0;
  w.frames = 0;
  w.rng = host::RANDOM_SEED;
  w.debug[0] = 0;
  w.box = host::InputBox{};
  w.description.clear();
  w.vessels.reserve(64);
  w.running = true;
  // Plug-ins.
  if (FILE* f = OpenHostFile("Config\\Plugins.cfg", "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, f)) {
      if (char* c = std::strchr(buf, ';')) *c = 0;
      char key[64] = {}, name[256] = {};
      if (std::sscanf(buf, " %63[^= \t] = %255s", key, name) != 2 || !host::EqualNoCase(key, "Plugin")) continue;
      const std::string path = std::string("Modules\\Plugin\\") + name + ".dll";
      HMODULE lib = host::LoadHostLibrary(path.c_str());
      if (lib == nullptr) {
        std::fprintf(stderr, "host: warning: plug-in %s not found (Modules/Plugin/%s.dll)\n", name, name);
        continue;
      }
      host::Plugin p;
      p.name = name;
      p.lib = lib;
      p.preStep = EntryPointAs<void (*)(double, double, double)>(GetProcAddress(lib, "opcPreStep"));
      w.plugins.push_back(p);
      if (auto init = EntryPointAs<void (*)(HINSTANCE)>(GetProcAddress(lib, "InitModule"))) {
        host::CallbackScope scope;
        init(lib);
      }
    }
    std::fclose(f);
  }
  return true;
}

void Shutdown() {
  World& w = W();
  if (!w.running) return;
  host::VCReset();
  while (!w.vessels.empty()) host::DeleteVessel(w.vessels.back().get());
  host::FlushDeleted();
  for (auto it = w.plugins.rbegin(); it != w.plugins.rend(); ++it) {
    if (auto exit = EntryPointAs<void (*)(HINSTANCE)>(GetProcAddress(it->lib, "ExitModule"))) {
      host::CallbackScope scope;
      exit(it->lib);
    }
  }
  w.plugins.clear();
  w.modules.clear();
  w.classes.clear();
  w.meshes.clear();
  w.surfaces.clear();
  w.pending.clear();
  w.focus = nullptr;
  w.focusChanges.clear();
  w.focusInCockpit = true;
  w.vc.vessel = nullptr;
  w.lua = nullptr;
  w.box = host::InputBox{};
  w.vc.areas.clear();
  w.vc.position = -1;
  host::UnloadAllLibraries();
  w.running = false;
}

bool IsRunning() { return W().running; }

const Options& GetOptions() { return W().options; }

const char* GetOption(const char* name) {
  if (name == nullptr) return nullptr;
  for (const auto& kv : W().options.extra) {
    if (kv.first == name) return kv.second.c_str();
  }
  return nullptr;
}

void RunFrame() {
  World& w = W();
  if (!w.running) return;
  host::CallbackScope scope;
  w.simdt = w.options.dt;
  const double mjd = host::MJD_START + w.simt / 86400.0;
  for (const auto& p : w.plugins) {
    if (p.preStep != nullptr) p.preStep(w.simt, w.simdt, mjd);
  }
  w.deferChildren = true;
  for (w.frameIndex = 0; w.frameIndex < static_cast<int>(w.vessels.size()); ++w.frameIndex) {
    Vessel* v = w.vessels[static_cast<size_t>(w.frameIndex)].get();
    v->iface->clbkPreStep(w.simt, w.simdt, mjd);
  }
  w.frameIndex = -1;
  w.deferChildren = false;
  for (size_t i = 0; i < w.vessels.size(); ++i) {
    Vessel* v = w.vessels[i].get();
    if (v->parentPoint == nullptr) host::PlaceChildrenNow(v);
  }
  for (w.frameIndex = 0; w.frameIndex < static_cast<int>(w.vessels.size()); ++w.frameIndex) {
    Vessel* v = w.vessels[static_cast<size_t>(w.frameIndex)].get();
    v->iface->clbkPostStep(w.simt, w.simdt, mjd);
  }
  w.frameIndex = -1;
  // Brakes applied for one step only fall back to their permanent levels.
  for (size_t i = 0; i < w.vessels.size(); ++i) {
    Vessel* v = w.vessels[i].get();
    v->brake[0] = v->brakeHeld[0];
    v->brake[1] = v->brakeHeld[1];
  }
  host::VCFrame();
  w.simt += w.simdt;
  w.systime += w.simdt;
  ++w.frames;
}

uint64_t FrameCount() { return W().frames; }

bool PreStepVessel(OBJHANDLE h, double simt) {
  World& w = W();
  Vessel* v = host::AsVessel(h);
  if (!w.running || v == nullptr || w.deferChildren) return false;
  {
    host::CallbackScope scope;
    w.deferChildren = true;
    v->iface->clbkPreStep(simt, w.simdt, host::MJD_START + simt / 86400.0);
    w.deferChildren = false;
  }
  v = host::AsVessel(h);  // the step may have deleted it
  if (v == nullptr) return true;
  while (v->parentPoint != nullptr && v->parentPoint->peer != nullptr) v = v->parentPoint->peer;
  host::PlaceChildrenNow(v);
  return true;
}

OBJHANDLE CreateLandedVessel(const char* name, const char* classname, double lng, double lat, double hdg,
                             std::string* error) {
  VESSELSTATUS2 s{};
  s.version = 2;
  s.status = 1;
  s.surf_lng = lng;
  s.surf_lat = lat;
  s.surf_hdg = hdg;
  return host::CreateVessel(name, classname, &s, nullptr, error);
}

bool GetSurfacePos(OBJHANDLE h, double* lng, double* lat, double* hdg) {
  Vessel* v = host::AsVessel(h);
  if (v == nullptr) return false;
  double a, b, c;
  host::SurfaceOf(v, &a, &b, &c);
  if (lng) *lng = a;
  if (lat) *lat = b;
  if (hdg) *hdg = c;
  return true;
}

bool SurfaceAt(OBJHANDLE ref, const VECTOR3& local, double* lng, double* lat) {
  Vessel* v = host::AsVessel(ref);
  if (v == nullptr) return false;
  const VECTOR3 g = v->pos + mul(v->R, local);
  const double r = length(g);
  if (lng) *lng = std::atan2(g.z, g.x);
  if (lat) *lat = r > 0 ? std::asin(g.y / r) : 0;
  return true;
}

OBJHANDLE GetParent(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v != nullptr && v->parentPoint != nullptr ? v->parentPoint->peer : nullptr;
}

const char* GetClassNameOf(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v ? v->className.c_str() : nullptr;
}

OBJHANDLE GetPlanet() { return &W().planet; }

int AnimationCount(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v != nullptr ? static_cast<int>(v->animations.size()) : 0;
}

uint64_t AnimationVersion(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v != nullptr ? v->animVersion : 0;
}

const GroupTransform* GroupTransforms(OBJHANDLE h, int* count) {
  Vessel* v = host::AsVessel(h);
  if (v == nullptr) {
    if (count) *count = 0;
    return nullptr;
  }
  host::AnimationPose& pose = v->pose;
  if (!pose.evaluated || pose.version != v->animVersion) {
    EvaluateAnimations(v->animations, &pose.groups);
    pose.version = v->animVersion;
    pose.evaluated = true;
  }
  if (count) *count = static_cast<int>(pose.groups.size());
  return pose.groups.data();
}

int BeaconCount(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v != nullptr ? static_cast<int>(v->beacons.size()) : 0;
}

void SetVisual(OBJHANDLE h, bool on) {
  Vessel* v = host::AsVessel(h);
  if (v == nullptr) return;
  if (on) host::CreateVisual(v);
  else host::DestroyVisual(v);
}

bool HasVisual(OBJHANDLE h) {
  Vessel* v = host::AsVessel(h);
  return v != nullptr && v->visual != nullptr;
}

void SetLuaState(void* L) {
  World& w = W();
  w.lua = L;
  if (L == nullptr) return;
  for (size_t i = 0; i < w.vessels.size(); ++i) host::SendGeneric(w.vessels[i].get());
}

void* GetLuaState() { return W().lua; }

void SetVesselHook(VesselHook hook, void* user) {
  W().hook = hook;
  W().hookUser = user;
}

void SetAttachHook(AttachHook hook, void* user) {
  W().attachHook = hook;
  W().attachHookUser = user;
}

}  // namespace sim
