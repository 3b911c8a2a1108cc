// The vessel base classes: every VESSEL method works on the host's record
// of the vessel, and the default callbacks.
#include <cmath>
#include <cstring>

#include "sim/world.h"

using host::Vessel;
using host::VesselOf;

namespace {

Vessel* Rec(const VESSEL* v) { return VesselOf(v); }

host::Attachment* AsAttachment(const Vessel* v, ATTACHMENTHANDLE h) {
  if (v == nullptr || h == nullptr) return nullptr;
  for (auto& a : v->toParent) {
    if (a.get() == h) return a.get();
  }
  for (auto& a : v->toChild) {
    if (a.get() == h) return a.get();
  }
  return nullptr;
}

host::Propellant* AsTank(const Vessel* v, PROPELLANT_HANDLE h) {
  if (v == nullptr || h == nullptr) return nullptr;
  for (auto& t : v->tanks) {
    if (t.get() == h) return t.get();
  }
  return nullptr;
}

host::ThrusterGroup* FindGroup(const Vessel* v, THGROUP_TYPE type) {
  if (v == nullptr) return nullptr;
  for (auto& g : v->groups) {
    if (g->type == type) return g.get();
  }
  return nullptr;
}

double Clamp(double x, double lo, double hi) { return x < lo ? lo : (x > hi ? hi : x); }

}  // namespace

namespace host {

Vessel* VesselOf(const VESSEL* v) {
  if (v == nullptr) return nullptr;
  auto* r = static_cast<Vessel*>(v->GetHandle());
  return r != nullptr && r->kind == Kind::Vessel ? r : nullptr;
}

}  // namespace host

VESSEL::VESSEL(OBJHANDLE h, int fmodel) : hVessel(h), flightModel(fmodel) {}
VESSEL::~VESSEL() = default;

const char* VESSEL::GetName() const {
  Vessel* v = Rec(this);
  return v ? v->name.c_str() : "";
}

const char* VESSEL::GetClassName() const {
  Vessel* v = Rec(this);
  return v ? v->className.c_str() : "";
}

void VESSEL::SetSize(double size) const {
  if (Vessel* v = Rec(this)) v->size = size;
}
double VESSEL::GetSize() const {
  Vessel* v = Rec(this);
  return v ? v->size : 0;
}
void VESSEL::SetEmptyMass(double m) const {
  if (Vessel* v = Rec(this)) v->emptyMass = m;
}
double VESSEL::GetEmptyMass() const {
  Vessel* v = Rec(this);
  return v ? v->emptyMass : 0;
}
double VESSEL::GetMass() const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  double m = v->emptyMass;
  for (auto& t : v->tanks) m += t->mass;
  return m;
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return;
  v->touchdown[0] = pt1;
  v->touchdown[1] = pt2;
  v->touchdown[2] = pt3;
  if (v->landed && v->parentPoint == nullptr) {
    host::PlaceLanded(v);
    host::PlaceChildren(v);
  }
}

void VESSEL::GetTouchdownPoints(VECTOR3& pt1, VECTOR3& pt2, VECTOR3& pt3) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return;
  pt1 = v->touchdown[0];
  pt2 = v->touchdown[1];
  pt3 = v->touchdown[2];
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass, double efficiency) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto t = std::make_unique<host::Propellant>();
  t->maxMass = maxmass > 0 ? maxmass : 0;
  t->mass = mass < 0 ? t->maxMass : Clamp(mass, 0, t->maxMass);
  t->efficiency = efficiency;
  v->tanks.push_back(std::move(t));
  return v->tanks.back().get();
}

void VESSEL::SetPropellantMass(PROPELLANT_HANDLE ph, double mass) const {
  if (host::Propellant* t = AsTank(Rec(this), ph)) t->mass = Clamp(mass, 0, t->maxMass);
}
double VESSEL::GetPropellantMass(PROPELLANT_HANDLE ph) const {
  host::Propellant* t = AsTank(Rec(this), ph);
  return t ? t->mass : 0;
}
double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE ph) const {
  host::Propellant* t = AsTank(Rec(this), ph);
  return t ? t->maxMass : 0;
}
DWORD VESSEL::GetPropellantCount() const {
  Vessel* v = Rec(this);
  return v ? static_cast<DWORD>(v->tanks.size()) : 0;
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0, PROPELLANT_HANDLE hp,
                                       double isp1, double isp2, double p_ref) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto t = std::make_unique<host::Thruster>();
  t->pos = pos;
  t->dir = dir;
  t->maxThrust = maxth0;
  t->tank = AsTank(v, hp);
  t->isp = isp1;
  v->thrusters.push_back(std::move(t));
  return v->thrusters.back().get();
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE thgt) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto g = std::make_unique<host::ThrusterGroup>();
  g->type = thgt;
  for (int i = 0; th != nullptr && i < nth; ++i) {
    for (auto& t : v->thrusters) {
      if (t.get() == th[i]) g->thrusters.push_back(t.get());
    }
  }
  // A new group of a type replaces the old one.
  for (auto& old : v->groups) {
    if (old->type == thgt) {
      old = std::move(g);
      return old.get();
    }
  }
  v->groups.push_back(std::move(g));
  return v->groups.back().get();
}

double VESSEL::GetThrusterGroupLevel(THGROUP_TYPE thgt) const {
  host::ThrusterGroup* g = FindGroup(Rec(this), thgt);
  if (g == nullptr || g->thrusters.empty()) return 0;
  double sum = 0;
  for (auto* t : g->thrusters) sum += t->level;
  return sum / static_cast<double>(g->thrusters.size());
}

void VESSEL::SetThrusterGroupLevel(THGROUP_TYPE thgt, double level) const {
  host::ThrusterGroup* g = FindGroup(Rec(this), thgt);
  if (g == nullptr) return;
  for (auto* t : g->thrusters) t->level = Clamp(level, 0, 1);
}

ATTACHMENTHANDLE VESSEL::CreateAttachment(bool toparent, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot,
                                          const char* id, bool loose) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto a = std::make_unique<host::Attachment>();
  a->owner = v;
  a->toParent = toparent;
  a->pos = pos;
  a->dir = dir;
  a->rot = rot;
  host::CopyBounded(a->id, sizeof a->id, id ? id : "");
  a->loose = loose;
  auto& list = toparent ? v->toParent : v->toChild;
  list.push_back(std::move(a));
  return list.back().get();
}

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  v->meshes.push_back({static_cast<host::Mesh*>(hMesh), ofs ? *ofs : VECTOR3{0, 0, 0}, MESHVIS_EXTERNAL});
  return static_cast<UINT>(v->meshes.size() - 1);
}

UINT VESSEL::AddMesh(const char* meshname, const VECTOR3* ofs) const { return AddMesh(host::LoadMesh(meshname), ofs); }

void VESSEL::SetMeshVisibilityMode(UINT meshidx, WORD mode) const {
  Vessel* v = Rec(this);
  if (v != nullptr && meshidx < v->meshes.size()) v->meshes[meshidx].visibility = mode;
}

UINT VESSEL::GetMeshCount() const {
  Vessel* v = Rec(this);
  return v ? static_cast<UINT>(v->meshes.size()) : 0;
}

DEVMESHHANDLE VESSEL::GetDevMesh(VISHANDLE vis, UINT idx) const {
  Vessel* v = Rec(this);
  if (v == nullptr || !v->visual || vis != v->visual.get() || idx >= v->visual->meshes.size()) return nullptr;
  return v->visual->meshes[idx].get();
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
  if (Vessel* v = Rec(this)) v->cameraOffset = co;
}
void VESSEL::GetCameraOffset(VECTOR3& co) const {
  if (Vessel* v = Rec(this)) co = v->cameraOffset;
}
void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
  if (Vessel* v = Rec(this)) v->cameraDir = cd;
}
void VESSEL::GetCameraDefaultDirection(VECTOR3& cd) const {
  if (Vessel* v = Rec(this)) cd = v->cameraDir;
}
void VESSEL::SetCameraCatchAngle(double cangle) const {
  if (Vessel* v = Rec(this)) v->cameraCatch = cangle;
}
void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
  if (Vessel* v = Rec(this)) {
    v->cameraRange[0] = left;
    v->cameraRange[1] = right;
    v->cameraRange[2] = up;
    v->cameraRange[3] = down;
  }
}

void VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
  Vessel* v = Rec(this);
  if (v != nullptr && bs != nullptr) v->beacons.push_back(bs);
}

bool VESSEL::DelBeacon(BEACONLIGHTSPEC* bs) {
  Vessel* v = Rec(this);
  if (v == nullptr) return false;
  for (size_t i = 0; i < v->beacons.size(); ++i) {
    if (v->beacons[i] == bs) {
      v->beacons.erase(v->beacons.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

void VESSEL::ClearBeacons() {
  if (Vessel* v = Rec(this)) v->beacons.clear();
}

const BEACONLIGHTSPEC* VESSEL::GetBeacon(DWORD idx) const {
  Vessel* v = Rec(this);
  return v != nullptr && idx < v->beacons.size() ? v->beacons[idx] : nullptr;
}

LightEmitter* VESSEL::AddSpotLight(const VECTOR3& pos, const VECTOR3& dir, double range, double att0, double att1,
                                   double att2, double umbra, double penumbra, const COLOUR4& diffuse,
                                   const COLOUR4& specular, const COLOUR4& ambient) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto s = std::make_unique<SpotLight>();
  s->pos = pos;
  s->dir = dir;
  s->range = range;
  s->att0 = att0;
  s->att1 = att1;
  s->att2 = att2;
  s->umbra = umbra;
  s->penumbra = penumbra;
  s->diffuse = diffuse;
  s->specular = specular;
  s->ambient = ambient;
  v->lights.push_back(std::move(s));
  return v->lights.back().get();
}

DWORD VESSEL::LightEmitterCount() const {
  Vessel* v = Rec(this);
  return v ? static_cast<DWORD>(v->lights.size()) : 0;
}
const LightEmitter* VESSEL::GetLightEmitter(DWORD i) const {
  Vessel* v = Rec(this);
  return v != nullptr && i < v->lights.size() ? v->lights[i].get() : nullptr;
}
void VESSEL::ClearLightEmitters() const {
  if (Vessel* v = Rec(this)) v->lights.clear();
}

UINT VESSEL::CreateAnimation(double initial_state) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  auto a = std::make_unique<host::Animation>();
  a->initial = initial_state;
  a->state = initial_state;
  v->animations.push_back(std::move(a));
  v->animVersion = host::NextStamp();
  return static_cast<UINT>(v->animations.size() - 1);
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
  Vessel* v = Rec(this);
  if (v == nullptr || anim >= v->animations.size()) return nullptr;
  auto c = std::make_unique<host::AnimationComponent>();
  c->animation = v->animations[anim].get();
  c->state0 = state0;
  c->state1 = state1;
  c->transform = trans;
  for (auto& p : v->components) {
    if (p.get() == parent) c->parent = p.get();
  }
  v->animations[anim]->components.push_back(c.get());
  v->components.push_back(std::move(c));
  v->animVersion = host::NextStamp();
  return v->components.back().get();
}

bool VESSEL::SetAnimation(UINT anim, double state) const {
  Vessel* v = Rec(this);
  if (v == nullptr || anim >= v->animations.size()) return false;
  double& current = v->animations[anim]->state;
  if (current != state) {
    current = state;
    v->animVersion = host::NextStamp();
  }
  return true;
}

double VESSEL::GetAnimation(UINT anim) const {
  Vessel* v = Rec(this);
  if (v == nullptr || anim >= v->animations.size()) return 0;
  return v->animations[anim]->state;
}

void VESSEL::GetStatus(VESSELSTATUS& status) const {
  Vessel* v = Rec(this);
  status = VESSELSTATUS{};
  if (v == nullptr) return;
  const host::Vessel* root = v;
  while (root->parentPoint != nullptr && root->parentPoint->peer != nullptr) root = root->parentPoint->peer;
  status.rpos = v->pos;
  status.rvel = v->vel;
  status.vrot = v->avel;
  status.arot = host::MatrixToEuler(v->R);
  status.fuel = (!v->tanks.empty() && v->tanks[0]->maxMass > 0) ? v->tanks[0]->mass / v->tanks[0]->maxMass : 0;
  status.eng_main = GetThrusterGroupLevel(THGROUP_MAIN);
  status.eng_hovr = GetThrusterGroupLevel(THGROUP_HOVER);
  status.rbody = &host::W().planet;
  status.base = nullptr;
  status.port = 0;
  status.status = root->landed ? 1 : 0;
  double lng, lat, hdg;
  host::SurfaceOf(v, &lng, &lat, &hdg);
  status.vdata[0] = {lng, lat, hdg};
}

void VESSEL::GetStatusEx(void* status) const {
  Vessel* v = Rec(this);
  auto* s = static_cast<VESSELSTATUS2*>(status);
  if (v == nullptr || s == nullptr) return;
  VESSELSTATUS vs;
  GetStatus(vs);
  s->rbody = vs.rbody;
  s->base = nullptr;
  s->port = 0;
  s->status = vs.status;
  s->rpos = vs.rpos;
  s->rvel = vs.rvel;
  s->vrot = vs.vrot;
  s->arot = vs.arot;
  s->surf_lng = vs.vdata[0].x;
  s->surf_lat = vs.vdata[0].y;
  s->surf_hdg = vs.vdata[0].z;
  s->nfuel = 0;
  s->nthruster = 0;
  s->ndockinfo = 0;
  s->xpdr = 0;
}

void VESSEL::DefSetStateEx(const void* status) const {
  Vessel* v = Rec(this);
  const auto* s = static_cast<const VESSELSTATUS2*>(status);
  if (v == nullptr || s == nullptr) return;
  if (v->parentPoint != nullptr) return;  // a carried child stays where its parent holds it
  if (s->status == 1) {
    host::SetLanded(v, s->surf_lng, s->surf_lat, s->surf_hdg);
  } else {
    host::SettleAt(v, s->rpos, host::EulerToMatrix(s->arot));
  }
}

int VESSEL::GetFlightStatus() const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  VESSELSTATUS vs;
  GetStatus(vs);
  return (vs.status == 1 ? 1 : 0) | (v->parentPoint ? 2 : 0);
}

double VESSEL::GetWheelbrakeLevel(int which) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  if (which == 1) return v->brake[0];
  if (which == 2) return v->brake[1];
  return 0.5 * (v->brake[0] + v->brake[1]);
}

void VESSEL::SetWheelbrakeLevel(double level, int which, bool permanent) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return;
  level = Clamp(level, 0, 1);
  for (int i = 0; i < 2; ++i) {
    if (which != 0 && which != i + 1) continue;
    v->brake[i] = level;
    if (permanent) v->brakeHeld[i] = level;
  }
}

namespace {

// Bit of SetADCtrlMode that enables a control surface.
DWORD CtrlBit(AIRCTRL_TYPE t) {
  switch (t) {
    case AIRCTRL_ELEVATOR:
    case AIRCTRL_ELEVATORTRIM:
      return 1;
    case AIRCTRL_RUDDER:
    case AIRCTRL_RUDDERTRIM:
      return 2;
    case AIRCTRL_AILERON:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
  Vessel* v = Rec(this);
  const int i = static_cast<int>(type);
  if (v == nullptr || i < 0 || i >= 6) return 0;
  const DWORD bit = CtrlBit(type);
  if (bit != 0 && (v->adCtrlMode & bit) == 0) return 0;
  return v->ctrlSurface[i];
}

void VESSEL::SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const {
  Vessel* v = Rec(this);
  const int i = static_cast<int>(type);
  if (v == nullptr || i < 0 || i >= 6) return;
  v->ctrlSurface[i] = Clamp(level, -1, 1);
}

int VESSEL::GetAttitudeMode() const {
  Vessel* v = Rec(this);
  return v ? v->attMode : 0;
}

bool VESSEL::SetAttitudeMode(int mode) const {
  Vessel* v = Rec(this);
  if (v == nullptr || mode < ATTMODE_DISABLED || mode > ATTMODE_LIN) return false;
  v->attMode = mode;
  return true;
}

void VESSEL::SetADCtrlMode(DWORD mode) const {
  if (Vessel* v = Rec(this)) v->adCtrlMode = mode;
}

DWORD VESSEL::GetADCtrlMode() const {
  Vessel* v = Rec(this);
  return v ? v->adCtrlMode : 0;
}

bool VESSEL::GetWeightVector(VECTOR3& G) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return false;
  const double r = length(v->pos);
  if (r <= 0) return false;
  const double g = host::EARTH_GM / (r * r);
  const VECTOR3 w = v->pos * (-GetMass() * g / r);
  G = tmul(v->R, w);
  return true;
}

OBJHANDLE VESSEL::GetGravityRef() const { return &host::W().planet; }

void VESSEL::GetGlobalPos(VECTOR3& pos) const {
  if (Vessel* v = Rec(this)) pos = v->pos;
}

void VESSEL::GetAngularVel(VECTOR3& avel) const {
  if (Vessel* v = Rec(this)) avel = v->avel;
}

void VESSEL::GetRotationMatrix(MATRIX3& R) const {
  if (Vessel* v = Rec(this)) R = v->R;
}

void VESSEL::SetRotationMatrix(const MATRIX3& R) const {
  Vessel* v = Rec(this);
  if (v == nullptr || v->parentPoint != nullptr) return;
  // The vessel stays on the ground; only its heading follows the new axes.
  host::SettleAt(v, v->pos, R);
}

void VESSEL::Local2Global(const VECTOR3& local, VECTOR3& global) const {
  if (Vessel* v = Rec(this)) global = v->pos + mul(v->R, local);
}

void VESSEL::Global2Local(const VECTOR3& global, VECTOR3& local) const {
  if (Vessel* v = Rec(this)) local = tmul(v->R, global - v->pos);
}

void VESSEL::Local2Rel(const VECTOR3& local, VECTOR3& rel) const {
  // The planet sits at the global origin.
  Local2Global(local, rel);
}

void VESSEL::GlobalRot(const VECTOR3& rloc, VECTOR3& rglob) const {
  if (Vessel* v = Rec(this)) rglob = mul(v->R, rloc);
}

bool VESSEL::AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE child_attachment) const {
  Vessel* v = Rec(this);
  Vessel* c = host::AsVessel(child);
  host::Attachment* pp = AsAttachment(v, attachment);
  host::Attachment* cp = AsAttachment(c, child_attachment);
  return host::Attach(v, pp, c, cp);
}

bool VESSEL::DetachChild(ATTACHMENTHANDLE attachment, double vel) const {
  Vessel* v = Rec(this);
  host::Attachment* pp = AsAttachment(v, attachment);
  if (pp == nullptr || pp->toParent || pp->peer == nullptr) return false;
  host::Detach(pp);
  return true;
}

DWORD VESSEL::AttachmentCount(bool toparent) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return 0;
  return static_cast<DWORD>(toparent ? v->toParent.size() : v->toChild.size());
}

ATTACHMENTHANDLE VESSEL::GetAttachmentHandle(bool toparent, DWORD i) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto& list = toparent ? v->toParent : v->toChild;
  return i < list.size() ? list[i].get() : nullptr;
}

const char* VESSEL::GetAttachmentId(ATTACHMENTHANDLE attachment) const {
  host::Attachment* a = AsAttachment(Rec(this), attachment);
  return a ? a->id : nullptr;
}

OBJHANDLE VESSEL::GetAttachmentStatus(ATTACHMENTHANDLE attachment) const {
  host::Attachment* a = AsAttachment(Rec(this), attachment);
  return a ? a->peer : nullptr;
}

void VESSEL::GetAttachmentParams(ATTACHMENTHANDLE attachment, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const {
  host::Attachment* a = AsAttachment(Rec(this), attachment);
  if (a == nullptr) return;
  pos = a->pos;
  dir = a->dir;
  rot = a->rot;
}

void VESSEL::SetAttachmentParams(ATTACHMENTHANDLE attachment, const VECTOR3& pos, const VECTOR3& dir,
                                 const VECTOR3& rot) const {
  Vessel* v = Rec(this);
  host::Attachment* a = AsAttachment(v, attachment);
  if (a == nullptr) return;
  a->pos = pos;
  a->dir = dir;
  a->rot = rot;
  if (!a->toParent && a->peer != nullptr) {
    host::PlaceChildren(v);
  } else if (a->toParent && a->peer != nullptr) {
    host::PlaceChildren(a->peer);
  }
}

DWORD VESSEL::GetAttachmentIndex(ATTACHMENTHANDLE attachment) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return static_cast<DWORD>(-1);
  for (size_t i = 0; i < v->toParent.size(); ++i) {
    if (v->toParent[i].get() == attachment) return static_cast<DWORD>(i);
  }
  for (size_t i = 0; i < v->toChild.size(); ++i) {
    if (v->toChild[i].get() == attachment) return static_cast<DWORD>(i);
  }
  return static_cast<DWORD>(-1);
}

DOCKHANDLE VESSEL::CreateDock(const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  auto d = std::make_unique<host::Dock>();
  d->owner = v;
  d->pos = pos;
  d->dir = dir;
  d->rot = rot;
  v->docks.push_back(std::move(d));
  return v->docks.back().get();
}

UINT VESSEL::DockCount() const {
  Vessel* v = Rec(this);
  return v ? static_cast<UINT>(v->docks.size()) : 0;
}

DOCKHANDLE VESSEL::GetDockHandle(UINT n) const {
  Vessel* v = Rec(this);
  return v != nullptr && n < v->docks.size() ? v->docks[n].get() : nullptr;
}

OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE hDock) const {
  Vessel* v = Rec(this);
  if (v == nullptr) return nullptr;
  for (auto& d : v->docks) {
    if (d.get() == hDock) return d->docked;
  }
  return nullptr;
}

int VESSEL::Dock(OBJHANDLE target, UINT n, UINT tgtn, UINT mode) const {
  Vessel* v = Rec(this);
  Vessel* t = host::AsVessel(target);
  if (v == nullptr || t == nullptr || t == v) return 1;
  if (n >= v->docks.size() || tgtn >= t->docks.size()) return 2;
  host::Dock* a = v->docks[n].get();
  host::Dock* b = t->docks[tgtn].get();
  if (a->docked != nullptr || b->docked != nullptr) return 3;
  a->docked = t;
  a->peerDock = b;
  b->docked = v;
  b->peerDock = a;
  return 0;
}

bool VESSEL::Undock(UINT n) const {
  Vessel* v = Rec(this);
  if (v == nullptr || n >= v->docks.size() || v->docks[n]->docked == nullptr) return false;
  host::Dock* a = v->docks[n].get();
  if (a->peerDock != nullptr) {
    a->peerDock->docked = nullptr;
    a->peerDock->peerDock = nullptr;
  }
  a->docked = nullptr;
  a->peerDock = nullptr;
  return true;
}

void VESSEL::ParseScenarioLineEx(char* line, void* status) const {
  Vessel* v = Rec(this);
  if (v == nullptr || line == nullptr) return;
  host::ParseHostLine(v, line, static_cast<VESSELSTATUS2*>(status));
}

int VESSEL::SendBufferedKey(DWORD key, bool down, char* kstate) {
  static char released[256];
  if (kstate == nullptr) {
    std::memset(released, 0, sizeof released);
    kstate = released;
  }
  host::CallbackScope scope;
  return clbkConsumeBufferedKey(key, down, kstate);
}

// Default callbacks.
void VESSEL::clbkSetClassCaps(FILEHANDLE cfg) {}

void VESSEL::clbkSaveState(FILEHANDLE scn) {
  if (Vessel* v = Rec(this)) host::WriteHostLines(v, scn);
}

void VESSEL::clbkLoadStateEx(FILEHANDLE scn, void* status) {
  char* line = nullptr;
  while (oapiReadScenario_nextline(scn, line)) ParseScenarioLineEx(line, status);
}

void VESSEL::clbkPostCreation() {}
void VESSEL::clbkPreStep(double simt, double simdt, double mjd) {}
void VESSEL::clbkPostStep(double simt, double simdt, double mjd) {}
void VESSEL::clbkVisualCreated(VISHANDLE vis, int refcount) {}
void VESSEL::clbkVisualDestroyed(VISHANDLE vis, int refcount) {}
int VESSEL::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) { return 0; }
bool VESSEL::clbkLoadGenericCockpit() { return true; }
bool VESSEL::clbkLoadVC(int id) { return false; }
bool VESSEL::clbkVCMouseEvent(int id, int event, VECTOR3& p) { return false; }
bool VESSEL::clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) { return false; }

void VESSEL2::clbkSaveState(FILEHANDLE scn) {
  if (Vessel* v = Rec(this)) host::WriteHostLines(v, scn);
}

int VESSEL3::clbkGeneric(int msgid, int prm, void* context) { return 0; }
