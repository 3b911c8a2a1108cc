#include "apps/kvqsim/serve/state.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "addons/orbitersound/sound_slots.h"
#include "crew/action_area_table.h"
#include "apps/kvqsim/outputs/track.h"
#include "apps/kvqsim/serve/assets.h"
#include "host/win.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

using nlohmann::json;

constexpr int MAX_SOUND_SLOTS = 60;
constexpr auto CREW_EVERY = std::chrono::seconds(1);   // crew lines read again
constexpr auto AREAS_EVERY = std::chrono::seconds(1);  // action areas read again
constexpr size_t SOUND_ROUND = 4;       // vessels besides the people's whose sounds each state looks at
constexpr double SOUND_REPEAT = 10.0;   // s: a wave started again within this is not told again
constexpr const char* CREW_KEY = "UMMUCREW";

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

// One crew line's value: function-name-age-pulse-weight, spaces as "_".
// Null when it is not of that shape.
json CrewMemberJson(std::string value) {
  for (char& ch : value)
    if (ch == '_') ch = ' ';
  const size_t first = value.find('-');
  size_t cut[3];
  size_t end = value.size();
  for (int i = 2; i >= 0; --i) {
    const size_t at = end == 0 ? std::string::npos : value.rfind('-', end - 1);
    if (at == std::string::npos || at <= first) return nullptr;
    cut[i] = at;
    end = at;
  }
  if (first == std::string::npos) return nullptr;
  return {{"function", value.substr(0, first)},
          {"name", value.substr(first + 1, cut[0] - first - 1)},
          {"age", value.substr(cut[0] + 1, cut[1] - cut[0] - 1)},
          {"weight", value.substr(cut[2] + 1)}};
}

std::string Colour(DWORD rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFFu));
  return buf;
}

std::string ColourOf(const VECTOR3* c) {
  if (c == nullptr) return "#ffffff";
  auto channel = [](double v) { return static_cast<DWORD>(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); };
  return Colour((channel(c->x) << 16) | (channel(c->y) << 8) | channel(c->z));
}

std::string NameOf(OBJHANDLE h) {
  char name[256] = {0};
  oapiGetObjectName(h, name, sizeof name);
  return name;
}

// A path under the root, with forward slashes, or "" when it is elsewhere.
std::string UnderRoot(const std::string& path) {
  const std::filesystem::path rel =
      std::filesystem::path(path).lexically_normal().lexically_relative(
          std::filesystem::path(sim::GetOptions().root).lexically_normal());
  if (rel.empty() || *rel.begin() == "..") return "";
  return rel.generic_string();
}

constexpr auto FAR_EVERY = std::chrono::seconds(1);  // positions of vessels out of view

double Heading(double hdg) {
  hdg = std::fmod(hdg, PI2);
  return hdg < 0 ? hdg + PI2 : hdg;
}

// Members of an object as text, without its braces.
std::string Members(const json& j) {
  std::string s = j.dump(-1, ' ', false, json::error_handler_t::replace);
  return s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string();
}

void Mix(uint64_t* h, const void* data, size_t n) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i) {
    *h ^= p[i];
    *h *= 0x100000001b3ull;
  }
}

json Vec(const VECTOR3& v) { return {v.x, v.y, v.z}; }
json Colour4(const COLOUR4& c) { return {c.r, c.g, c.b, c.a}; }

json Texts(int area) {
  json texts = json::array();
  for (const sim::VCTextItem& t : sim::VCTextItems(area))
    texts.push_back({{"x", t.x},
                     {"y", t.y},
                     {"text", t.text},
                     {"height", t.fontHeight},
                     {"face", t.face},
                     {"bold", (t.fontStyle & oapi::FONT_BOLD) != 0},
                     {"italic", (t.fontStyle & oapi::FONT_ITALIC) != 0},
                     {"underline", (t.fontStyle & oapi::FONT_UNDERLINE) != 0},
                     {"colour", Colour(t.colour)}});
  return texts;
}

// The cockpit as the person in it sees it: position, neighbours, camera,
// and each registered area with its click geometry and, for an area drawn
// on a texture, where and what its last redraw wrote.
json CockpitJson(const Session& session, const Person* person, const SceneAssets& assets) {
  json c;
  const OBJHANDLE vc = sim::VCVessel();
  const bool mine = person != nullptr && session.CockpitOwner() == person->id && vc == person->focus;
  c["position"] = mine ? sim::VCPosition() : -1;
  int n[4] = {-1, -1, -1, -1};
  if (mine) sim::VCNeighbours(n);
  c["neighbours"] = {n[0], n[1], n[2], n[3]};
  json areas = json::array();
  if (mine) {
    for (const sim::VCAreaInfo& a : sim::VCAreas()) {
      json area = {{"id", a.id}, {"mouse", a.mouse}};
      if (a.clickMode == 1)
        area["quad"] = {Vec(a.quad[0]), Vec(a.quad[1]), Vec(a.quad[2]), Vec(a.quad[3])};
      else if (a.clickMode == 2)
        area["sphere"] = {a.centre.x, a.centre.y, a.centre.z, a.radius};
      RECT r{};
      const std::string& surface = assets.TexturePath(sim::VCAreaSurface(a.id));
      if (!surface.empty() && sim::VCAreaRect(a.id, &r)) {
        area["surface"] = surface;
        area["rect"] = {r.left, r.top, r.right, r.bottom};
        area["texts"] = Texts(a.id);
      }
      areas.push_back(std::move(area));
    }
    VECTOR3 offset{}, dir{0, 0, 1};
    if (VESSEL* v = oapiGetVesselInterface(vc)) {
      v->GetCameraOffset(offset);
      v->GetCameraDefaultDirection(dir);
    }
    c["camera"] = {{"offset", Vec(offset)}, {"dir", Vec(dir)}};
  }
  c["areas"] = std::move(areas);
  c["vessel"] = vc ? json(NameOf(vc)) : json(nullptr);
  c["owner"] = session.CockpitOwner() != 0 ? json(session.CockpitOwner()) : json(nullptr);
  return c;
}

// What a vessel looks like: its meshes and where its animations put their
// groups, materials a module changed, hidden groups, lamps, camera.
// Seven significant digits: a tenth of a millimetre on a 100 m vessel.
void AppendNumber(std::string* out, double v) {
  if (!std::isfinite(v)) {
    out->append("null");
    return;
  }
  if (std::fabs(v) < 5e-8) v = 0;
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
  out->append(buf, r.ptr);
}

// How a vessel's animations stand, and where they put the groups they move:
// what changes every frame of a moving vessel, so it is written by hand.
std::string MotionJson(OBJHANDLE h, VESSEL* v) {
  std::string out = "\"anims\":[";
  for (int i = 0, n = sim::AnimationCount(h); i < n; ++i) {
    if (i) out.push_back(',');
    AppendNumber(&out, v->GetAnimation(static_cast<UINT>(i)));
  }
  out += "],\"groups\":{";
  int count = 0;
  if (const sim::GroupTransform* g = sim::GroupTransforms(h, &count)) {
    for (int i = 0; i < count; ++i) {
      const sim::GroupTransform& t = g[i];
      if (i) out.push_back(',');
      out += '"' + std::to_string(t.mesh) + ':' + std::to_string(t.group) + "\":[";
      for (int k = 0; k < 9; ++k) {
        AppendNumber(&out, t.R[k]);
        out.push_back(',');
      }
      for (int k = 0; k < 3; ++k) {
        AppendNumber(&out, t.t[k]);
        out.push_back(k < 2 ? ',' : ']');
      }
    }
  }
  out.push_back('}');
  return out;
}

// What a vessel looks like besides its motion: its meshes, materials a
// module changed, hidden groups, lamps, camera.
json LookJson(OBJHANDLE h, VESSEL* v, SceneAssets& assets) {
  json j;
  json meshes = json::array(), materials = json::object(), hidden = json::array();
  for (int k = 0, n = sim::VesselMeshCount(h); k < n; ++k) {
    sim::VesselMeshInfo info;
    if (!sim::GetVesselMesh(h, k, &info)) continue;
    meshes.push_back({{"url", assets.MeshPath(info.mesh)}, {"name", info.name ? info.name : ""},
                      {"ofs", Vec(info.ofs)}, {"vis", info.visibility}, {"shown", info.shown}});
    DEVMESHHANDLE d = sim::GetVesselDevMesh(h, k);
    const sim::MeshFile* f = info.mesh ? sim::MeshData(info.mesh) : nullptr;
    if (d == nullptr || f == nullptr) continue;
    for (size_t m = 0; m < f->materials.size(); ++m) {
      MATERIAL mat{};
      if (!sim::MaterialChanged(d, static_cast<int>(m)) || !sim::GetMaterial(d, static_cast<int>(m), &mat)) continue;
      materials[std::to_string(k) + ":" + std::to_string(m)] = {{"diffuse", Colour4(mat.diffuse)},
                                                                 {"ambient", Colour4(mat.ambient)},
                                                                 {"specular", Colour4(mat.specular)},
                                                                 {"emissive", Colour4(mat.emissive)},
                                                                 {"power", mat.power}};
    }
    for (size_t g = 0; g < f->groups.size(); ++g)
      if (sim::GroupHidden(d, static_cast<DWORD>(g))) hidden.push_back(std::to_string(k) + ":" + std::to_string(g));
  }
  j["meshes"] = std::move(meshes);
  j["materials"] = std::move(materials);
  j["hidden"] = std::move(hidden);
  json beacons = json::array();
  for (int i = 0, n = sim::BeaconCount(h); i < n; ++i) {
    const BEACONLIGHTSPEC* b = v->GetBeacon(static_cast<DWORD>(i));
    if (b == nullptr) continue;
    const VECTOR3 pos = b->pos ? *b->pos : VECTOR3{0, 0, 0};
    beacons.push_back({{"pos", Vec(pos)}, {"colour", ColourOf(b->col)}, {"size", b->size}, {"active", b->active},
                       {"period", b->period}, {"duration", b->duration}, {"tofs", b->tofs}});
  }
  j["beacons"] = std::move(beacons);
  VECTOR3 offset{}, dir{0, 0, 1};
  v->GetCameraOffset(offset);
  v->GetCameraDefaultDirection(dir);
  j["camera"] = {{"offset", Vec(offset)}, {"dir", Vec(dir)}};
  j["size"] = oapiGetSize(h);
  return j;
}

// Changes whenever anything LookJson reads changes.
uint64_t LookSignature(OBJHANDLE h, VESSEL* v) {
  uint64_t s = 0xcbf29ce484222325ull;
  const int meshes = sim::VesselMeshCount(h);
  Mix(&s, &meshes, sizeof meshes);
  for (int k = 0; k < meshes; ++k) {
    sim::VesselMeshInfo info;
    if (sim::GetVesselMesh(h, k, &info)) {
      Mix(&s, &info.visibility, sizeof info.visibility);
      Mix(&s, &info.mesh, sizeof info.mesh);
    }
    const uint64_t dev = sim::DevMeshVersion(sim::GetVesselDevMesh(h, k));
    Mix(&s, &dev, sizeof dev);
  }
  for (int i = 0, n = sim::BeaconCount(h); i < n; ++i) {
    const BEACONLIGHTSPEC* b = v->GetBeacon(static_cast<DWORD>(i));
    const char on = b && b->active;
    Mix(&s, &on, 1);
    if (b && b->pos) Mix(&s, b->pos, sizeof *b->pos);
  }
  VECTOR3 cam[2]{};
  v->GetCameraOffset(cam[0]);
  v->GetCameraDefaultDirection(cam[1]);
  Mix(&s, cam, sizeof cam);
  return s;
}

json SoundJson(void* query, OBJHANDLE focus) {
  json s;
  s["vessel"] = focus ? json(NameOf(focus)) : json(nullptr);
  json slots = json::array();
  if (query != nullptr && focus != nullptr) {
    auto fn = reinterpret_cast<GetVesselSoundSlotsFunc>(query);
    std::vector<SoundSlotState> states(MAX_SOUND_SLOTS);
    const int count = fn(focus, states.data(), MAX_SOUND_SLOTS);
    for (int i = 0; i < count; ++i) {
      const SoundSlotState& st = states[static_cast<size_t>(i)];
      slots.push_back({{"slot", st.slot},
                       {"file", UnderRoot(std::string(st.file, strnlen(st.file, sizeof st.file)))},
                       {"playing", st.playing != 0},
                       {"loop", st.loop != 0},
                       {"volume", st.volume},
                       {"frequency", st.frequency},
                       {"rate", st.rate},
                       {"plays", st.plays}});
    }
  }
  s["slots"] = std::move(slots);
  return s;
}

}  // namespace

void Snapshot::Begin() {
  OBJHANDLE first = oapiGetVesselByIndex(0);
  hasOrigin_ = first && sim::GetSurfacePos(first, &lng0_, &lat0_, nullptr);
  soundSlots_ = nullptr;
  if (HMODULE lib = GetModuleHandleA("OrbiterSound.dll")) {
    FARPROC f = GetProcAddress(lib, "GetVesselSoundSlots");
    static_assert(sizeof f == sizeof soundSlots_);
    std::memcpy(&soundSlots_, &f, sizeof f);
  }
}

void Snapshot::SetView(int person, double east, double north, double radius) {
  PersonView& p = people_[person];
  p.hasView = true;
  p.east = east;
  p.north = north;
  p.radius = radius;
}

void Snapshot::VesselDeleted(OBJHANDLE h) {
  tracks_.Forget(h);
  names_.erase(h);
  plays_.erase(h);
  for (auto& [id, p] : people_) p.tracks.erase(h);
  auto it = vessels_.find(h);
  if (it == vessels_.end()) return;
  gone_.emplace_back(it->second.name, ++stamp_);
  vessels_.erase(it);
  for (auto& [id, p] : people_) p.sent.erase(h);
}

void Snapshot::Refresh(OBJHANDLE h, VesselCache& c) {
  if (c.read == stamp_) return;
  c.read = stamp_;
  if (VESSEL* v = oapiGetVesselInterface(h)) ReadVessel(h, v, c);
}

void Snapshot::ReadVessel(OBJHANDLE h, VESSEL* v, VesselCache& c) {
  double lng = 0, lat = 0, hdg = 0;
  sim::GetSurfacePos(h, &lng, &lat, &hdg);
  hdg = Heading(hdg);
  const OBJHANDLE parent = sim::GetParent(h);
  // The vessel's axes in east, north and up where it stands, and its height:
  // what a renderer needs besides the heading (a towbar tilts).
  VECTOR3 o{}, ends[3]{};
  v->Local2Global({0, 0, 0}, o);
  v->Local2Global({1, 0, 0}, ends[0]);
  v->Local2Global({0, 1, 0}, ends[1]);
  v->Local2Global({0, 0, 1}, ends[2]);
  const double cl = std::cos(lat), sl = std::sin(lat), cg = std::cos(lng), sg = std::sin(lng);
  const VECTOR3 up{cl * cg, sl, cl * sg}, east{-sg, 0, cg}, north{-sl * cg, cl, -sl * sg};
  double axes[9];
  for (int i = 0; i < 3; ++i) {
    const VECTOR3 d{ends[i].x - o.x, ends[i].y - o.y, ends[i].z - o.z};
    axes[3 * i] = std::round((d.x * east.x + d.y * east.y + d.z * east.z) * 1e6) / 1e6;
    axes[3 * i + 1] = std::round((d.x * north.x + d.y * north.y + d.z * north.z) * 1e6) / 1e6;
    axes[3 * i + 2] = std::round((d.x * up.x + d.y * up.y + d.z * up.z) * 1e6) / 1e6;
  }
  const double alt = std::round((std::sqrt(o.x * o.x + o.y * o.y + o.z * o.z) - oapiGetSize(sim::GetPlanet())) * 1e4) / 1e4;
  if (c.poseStamp == 0 || lng != c.lng || lat != c.lat || hdg != c.hdg || parent != c.parent || alt != c.alt ||
      std::memcmp(axes, c.axes, sizeof axes) != 0) {
    if (c.poseStamp == 0) c.name = NameOf(h);
    c.lng = lng;
    c.lat = lat;
    c.hdg = hdg;
    c.alt = alt;
    std::memcpy(c.axes, axes, sizeof axes);
    c.parent = parent;
    if (hasOrigin_) EastNorth(lng, lat, lng0_, lat0_, oapiGetSize(sim::GetPlanet()), &c.east, &c.north);
    c.poseStamp = stamp_;
    names_.try_emplace(h, c.name);
    tracks_.Sample(h, oapiGetSimTime(), c.east, c.north, parent);
  }
  const uint64_t look = LookSignature(h, v);
  if (c.lookStamp == 0 || look != c.lookSignature) {
    c.lookSignature = look;
    c.lookStamp = stamp_;
  }
  const uint64_t motion = sim::AnimationVersion(h);
  if (c.motionStamp == 0 || motion != c.motionVersion) {
    c.motionVersion = motion;
    c.motionStamp = stamp_;
  }
}

// The JSON of a vessel's pose and look, made when someone needs them and
// kept until they change.
const std::string& Snapshot::Pose(OBJHANDLE h, VesselCache& c) {
  if (c.poseBuilt != c.poseStamp) {
    const char* cls = sim::GetClassNameOf(h);
    c.pose = Members({{"name", c.name}, {"class", cls ? cls : ""}, {"lng", c.lng}, {"lat", c.lat}, {"hdg", c.hdg},
                      {"east", c.east}, {"north", c.north}, {"alt", c.alt},
                      {"axes", std::vector<double>(c.axes, c.axes + 9)},
                      {"parent", c.parent ? json(NameOf(c.parent)) : json(nullptr)}});
    c.poseBuilt = c.poseStamp;
  }
  return c.pose;
}

const std::string& Snapshot::Look(OBJHANDLE h, VesselCache& c) {
  if (c.lookBuilt != c.lookStamp) {
    if (VESSEL* v = oapiGetVesselInterface(h)) c.look = Members(LookJson(h, v, sceneAssets_));
    c.lookBuilt = c.lookStamp;
  }
  return c.look;
}

const std::string& Snapshot::Motion(OBJHANDLE h, VesselCache& c) {
  if (c.motionBuilt != c.motionStamp) {
    if (VESSEL* v = oapiGetVesselInterface(h)) c.motion = MotionJson(h, v);
    c.motionBuilt = c.motionStamp;
  }
  return c.motion;
}

void Snapshot::Scene(const PaceState& pace, const Session& session, Clock::time_point now) {
  ++stamp_;
  sceneAssets_.Update(now);
  // The vessels are read when someone needs them (Refresh): those near
  // where a person looks at every state, the others once a second.
  order_.clear();
  for (DWORD i = 0, n = oapiGetVesselCount(); i < n; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    if (h != nullptr && oapiGetVesselInterface(h) != nullptr) order_.push_back(h);
  }
  json j;
  j["type"] = "state";
  j["stamp"] = stamp_;
  j["simt"] = oapiGetSimTime();
  j["frame"] = sim::FrameCount();
  j["dt"] = sim::GetOptions().dt;
  j["accel"] = pace.accel;
  j["paused"] = pace.paused;
  j["realtime"] = pace.realtime;
  j["late"] = {{"mean", pace.lateMean * 1000.0}, {"max", pace.lateMax * 1000.0}};
  json people = json::array();
  for (const Person& p : session.People())
    people.push_back({{"id", p.id}, {"focus", p.focus ? json(NameOf(p.focus)) : json(nullptr)},
                      {"cockpit", session.CockpitOwner() == p.id}});
  j["people"] = std::move(people);
  j["debug"] = sim::DebugString();
  const char* box = sim::InputBoxTitle();
  j["inputbox"] = box ? json(box) : json(nullptr);
  j["textures"] = sceneAssets_.Textures();
  const PushbackProgress& push = session.Pushback().Progress();
  if (push.number != 0) pushback_ = PushbackPart(push);
  j["pushback"] = json::parse(pushback_);
  scene_ = Members(j);
  PollSounds(session);
  ReadActionAreas(now);
}

void Snapshot::ToEastNorth(double lng, double lat, double* east, double* north) const {
  *east = *north = 0;
  if (hasOrigin_) EastNorth(lng, lat, lng0_, lat0_, oapiGetSize(sim::GetPlanet()), east, north);
}

// The push's progress for every state; its plan and sweep once for each
// push, for the pages that have not had them.
std::string Snapshot::PushbackPart(const PushbackProgress& p) {
  json j = {{"number", p.number}, {"running", p.running}, {"tractor", p.tractor}, {"aircraft", p.aircraft},
            {"phase", p.phase},   {"reason", p.reason},   {"togo", p.togo},       {"off", p.off},
            {"heading", p.heading}, {"errPos", p.errPos}, {"errHdg", p.errHdg}};
  if (p.number != pushNumber_) {
    pushNumber_ = p.number;
    json points = json::array(), sweep = json::array();
    double e = 0, n = 0;
    for (const PushbackPlan::Point& pt : p.plan.points) {
      ToEastNorth(pt.lng, pt.lat, &e, &n);
      points.push_back({{"e", e}, {"n", n}});
    }
    for (const PlanPose& pose : p.sweep) {
      ToEastNorth(pose.lng, pose.lat, &e, &n);
      sweep.push_back({e, n, pose.hdg});
    }
    plan_ = Dump({{"number", p.number}, {"aircraft", p.aircraft}, {"points", std::move(points)},
                  {"heading", p.plan.heading}, {"sweep", std::move(sweep)}});
  }
  return Dump(j);
}

std::string Snapshot::PlanMessage(const PushbackPreview& preview, int64_t seq) const {
  json sweep = json::array();
  double e = 0, n = 0;
  for (const PlanPose& pose : preview.sweep) {
    ToEastNorth(pose.lng, pose.lat, &e, &n);
    sweep.push_back({e, n, pose.hdg});
  }
  return Dump({{"type", "plan"},
               {"seq", seq >= 0 ? json(seq) : json(nullptr)},
               {"aircraft", preview.aircraft},
               {"sweep", std::move(sweep)},
               {"errPos", preview.errPos},
               {"errHdg", preview.errHdg},
               {"maxTowbar", preview.maxTowbar},
               {"distance", preview.distance}});
}

void Snapshot::SetOfferedPlans(const std::vector<StoredPlan>& plans) {
  json list = json::array();
  double e = 0, n = 0;
  for (const StoredPlan& p : plans) {
    json points = json::array();
    for (const auto& [lng, lat] : p.points) {
      ToEastNorth(lng, lat, &e, &n);
      points.push_back({{"e", e}, {"n", n}});
    }
    list.push_back({{"aircraft", p.aircraft}, {"points", std::move(points)}, {"heading", p.heading}});
  }
  plans_ = Dump(list);
  ++plansStamp_;
}

// The crew aboard, from the vessel's own scenario lines (its crew lines are
// the crew add-on's record of who is aboard), read again once a second
// while someone looks at the vessel.
void Snapshot::ReadCrew(OBJHANDLE h, VesselCache& c, Clock::time_point now) {
  if (c.crewStamp != 0 && now - c.crewRead < CREW_EVERY) return;
  c.crewRead = now;
  json crew = json::array();
  if (FILE* f = std::tmpfile()) {
    if (sim::WriteVesselState(h, f)) {
      std::rewind(f);
      char line[512];
      while (std::fgets(line, sizeof line, f)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const size_t start = text.find_first_not_of(" \t");
        if (start == std::string::npos || text.compare(start, std::strlen(CREW_KEY), CREW_KEY) != 0) continue;
        const size_t value = text.find_first_not_of(" \t", start + std::strlen(CREW_KEY));
        if (value == std::string::npos) continue;
        json m = CrewMemberJson(text.substr(value));
        if (!m.is_null()) crew.push_back(std::move(m));
      }
    }
    std::fclose(f);
  }
  std::string text = Dump(crew);
  if (c.crewStamp == 0 || text != c.crew) {
    c.crew = std::move(text);
    c.crewStamp = stamp_ == 0 ? 1 : stamp_;
  }
}

// The crew add-on's action areas: where a crew member on foot makes
// something happen, in their owner's frame, with their labels.
void Snapshot::ReadActionAreas(Clock::time_point now) {
  if (now - areasRead_ < AREAS_EVERY) return;
  areasRead_ = now;
  if (actionTable_ == nullptr) {
    HMODULE lib = GetModuleHandleA("Ummu.dll");
    FARPROC f = lib ? GetProcAddress(lib, ACTION_TABLE_EXPORT) : nullptr;
    if (f == nullptr) return;
    GetActionTableFn fn = nullptr;
    static_assert(sizeof f == sizeof fn);
    std::memcpy(&fn, &f, sizeof f);
    actionTable_ = fn();
    if (actionTable_ == nullptr) return;
  }
  const auto* table = static_cast<const ActionAreaTable*>(actionTable_);
  uint64_t signature = 0xcbf29ce484222325ull;
  for (const ActionAreaEntry& a : table->entries) {
    if (a.inUse != 1 || a.owner == nullptr) continue;
    Mix(&signature, &a.owner, sizeof a.owner);
    Mix(&signature, &a.position, sizeof a.position);
    Mix(&signature, &a.radius, sizeof a.radius);
    Mix(&signature, a.label, strnlen(a.label, sizeof a.label));
  }
  if (signature == areasSignature_) return;
  areasSignature_ = signature;
  json list = json::array();
  for (const ActionAreaEntry& a : table->entries) {
    if (a.inUse != 1 || a.owner == nullptr || oapiGetVesselInterface(a.owner) == nullptr) continue;
    list.push_back({{"vessel", NameOf(a.owner)},
                    {"pos", Vec(a.position)},
                    {"radius", a.radius},
                    {"label", std::string(a.label, strnlen(a.label, sizeof a.label))}});
  }
  areas_ = Dump(list);
  ++areasStamp_;
}

// Waves the sound add-on started, by name: the people's vessels at every
// state, the others a few at a time.
void Snapshot::PollSounds(const Session& session) {
  if (soundSlots_ == nullptr) return;
  for (const Person& p : session.People())
    if (p.focus != nullptr) SoundsOf(p.focus);
  for (size_t i = 0; i < SOUND_ROUND && !order_.empty(); ++i) SoundsOf(order_[soundNext_++ % order_.size()]);
}

void Snapshot::SoundsOf(OBJHANDLE h) {
  auto fn = reinterpret_cast<GetVesselSoundSlotsFunc>(soundSlots_);
  SoundSlotState states[MAX_SOUND_SLOTS];
  const int count = fn(h, states, MAX_SOUND_SLOTS);
  auto [it, added] = plays_.try_emplace(h, std::vector<unsigned>(MAX_SOUND_SLOTS + 1, 0));
  std::vector<unsigned>& seen = it->second;
  const double t = oapiGetSimTime();
  for (int i = 0; i < count; ++i) {
    const SoundSlotState& st = states[i];
    if (st.slot < 1 || st.slot > MAX_SOUND_SLOTS) continue;
    unsigned& was = seen[static_cast<size_t>(st.slot)];
    const bool started = st.plays > was && !added;
    was = st.plays;
    if (!started) continue;
    const std::string file = std::filesystem::path(std::string(st.file, strnlen(st.file, sizeof st.file))).filename().string();
    const std::string name = NameOf(h);
    auto told = soundTold_.find(name + '\n' + file);
    if (told != soundTold_.end() && t - told->second < SOUND_REPEAT) continue;
    soundTold_[name + '\n' + file] = t;
    events_.Add(t, name + ": sound " + file);
  }
}

// Events, tracks, action areas, offered plans and the push's plan that this
// page has not had yet.
std::string Snapshot::Extras(PersonView& p, bool first) {
  std::string out = ",\"events\":";
  out += events_.Since(first ? 0 : p.events);
  p.events = events_.End();
  out += ",\"tracks\":";
  if (first) p.tracks.clear();
  out += tracks_.Since(&p.tracks, names_);
  if (first || p.areas != areasStamp_) {
    out += ",\"actionAreas\":" + areas_;
    p.areas = areasStamp_;
  }
  if (first || p.plans != plansStamp_) {
    out += ",\"plans\":" + plans_;
    p.plans = plansStamp_;
  }
  if (!plan_.empty() && p.push != pushNumber_) {
    out += ",\"plan\":" + plan_;
    p.push = pushNumber_;
  }
  return out;
}

std::string Snapshot::PersonPart(const Session& session, const Person* person, int64_t seq) {
  const OBJHANDLE focus = person ? person->focus : oapiGetFocusObject();
  json j;
  j["person"] = person ? json(person->id) : json(nullptr);
  j["seq"] = seq;
  j["focus"] = focus ? json(NameOf(focus)) : json(nullptr);
  j["cockpit"] = CockpitJson(session, person, sceneAssets_);
  json controls;
  VESSEL* fv = focus ? oapiGetVesselInterface(focus) : nullptr;
  controls["main"] = fv ? fv->GetThrusterGroupLevel(THGROUP_MAIN) : 0.0;
  controls["brake"] = fv ? fv->GetWheelbrakeLevel(0) : 0.0;
  controls["rudder"] = fv ? fv->GetControlSurfaceLevel(AIRCTRL_RUDDER) : 0.0;
  controls["attmode"] = fv ? fv->GetAttitudeMode() : 0;
  j["controls"] = std::move(controls);
  json keys = json::array();
  if (person)
    for (int c = 0; c < 256; ++c)
      if (person->keys[c]) keys.push_back(c);
  j["keys"] = std::move(keys);
  j["sound"] = SoundJson(soundSlots_, focus);
  return Members(j);
}

std::string Snapshot::StateFor(const Session& session, const Person& person, Clock::time_point now) {
  PersonView& p = people_[person.id];
  const bool first = p.built == 0;
  // (Not `far`, `near`: Windows headers take those words.)
  const bool round = now - p.farRound >= FAR_EVERY;
  if (round) p.farRound = now;
  std::string out = "{";
  out += scene_;
  out += ',';
  out += PersonPart(session, &person, p.seq);
  out += first ? ",\"full\":true,\"vessels\":[" : ",\"full\":false,\"vessels\":[";
  bool any = false;
  for (OBJHANDLE h : order_) {
    VesselCache& c = vessels_[h];
    Sent& sent = p.sent[h];
    // Nearness by where the vessel was last read; out of view, its changes
    // wait for the round of once a second.
    const double de = c.east - p.east, dn = c.north - p.north;
    const bool inView = c.read == 0 || !p.hasView || de * de + dn * dn <= p.radius * p.radius;
    if (!inView && !round) continue;
    Refresh(h, c);
    if (inView) ReadCrew(h, c, now);
    // Out of view: the pose, and how the vessel looks only if the page has
    // never had it (its wheels turning there are not seen).
    const bool look = inView ? c.lookStamp > sent.look : sent.look == 0;
    const bool motion = inView ? c.motionStamp > sent.motion : sent.motion == 0;
    const bool crew = c.crewStamp > sent.crew;
    if (!look && !motion && !crew && c.poseStamp <= sent.pose) continue;
    out += any ? ",{" : "{";
    any = true;
    out += Pose(h, c);
    if (look) {
      out += ',';
      out += Look(h, c);
      sent.look = stamp_;
    }
    if (motion) {
      out += ',';
      out += Motion(h, c);
      sent.motion = stamp_;
    }
    if (crew) {
      out += ",\"crew\":";
      out += c.crew;
      sent.crew = c.crewStamp;
    }
    out += '}';
    sent.pose = stamp_;
  }
  out += ']';
  out += Extras(p, first);
  out += ",\"gone\":[";
  if (first) p.goneSeen = gone_.size();
  for (size_t i = p.goneSeen; i < gone_.size(); ++i) {
    if (i > p.goneSeen) out += ',';
    out += json(gone_[i].first).dump(-1, ' ', false, json::error_handler_t::replace);
  }
  p.goneSeen = gone_.size();
  out += "]}";
  p.built = stamp_;
  // The names of deleted vessels are kept until everyone has been told.
  bool told = true;
  for (const auto& [id, other] : people_) told = told && other.goneSeen == gone_.size();
  if (told && !gone_.empty()) {
    gone_.clear();
    for (auto& [id, other] : people_) other.goneSeen = 0;
  }
  return out;
}

std::string Snapshot::FullState(const Session& session, const Person* person) {
  if (person == nullptr) person = session.Find(session.CockpitOwner());
  if (person == nullptr && !session.People().empty()) person = &session.People().front();
  auto seq = person ? people_.find(person->id) : people_.end();
  std::string out = "{";
  out += scene_;
  out += ',';
  out += PersonPart(session, person, seq != people_.end() ? seq->second.seq : -1);
  out += ",\"full\":true,\"vessels\":[";
  for (size_t i = 0; i < order_.size(); ++i) {
    VesselCache& c = vessels_[order_[i]];
    Refresh(order_[i], c);
    if (i) out += ',';
    out += '{';
    out += Pose(order_[i], c);
    out += ',';
    out += Look(order_[i], c);
    out += ',';
    out += Motion(order_[i], c);
    ReadCrew(order_[i], c, Clock::now());
    out += ",\"crew\":";
    out += c.crew;
    out += '}';
  }
  out += "],\"events\":";
  out += events_.Since(0);
  out += ",\"actionAreas\":" + areas_ + ",\"plans\":" + plans_;
  if (!plan_.empty()) out += ",\"plan\":" + plan_;
  out += ",\"gone\":[]}";
  return out;
}

}  // namespace kvqsim
