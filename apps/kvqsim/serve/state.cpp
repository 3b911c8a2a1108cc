#include "apps/kvqsim/serve/state.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "addons/orbitersound/sound_slots.h"
#include "apps/kvqsim/outputs/track.h"
#include "host/win.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

using nlohmann::json;

constexpr int STATUS_DISPLAY = 3;
constexpr int MAX_SOUND_SLOTS = 60;

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

json VesselJson(OBJHANDLE h, VESSEL* v, bool hasOrigin, double lng0, double lat0) {
  json j;
  double lng = 0, lat = 0, hdg = 0;
  sim::GetSurfacePos(h, &lng, &lat, &hdg);
  hdg = std::fmod(hdg, PI2);
  if (hdg < 0) hdg += PI2;
  j["name"] = NameOf(h);
  const char* cls = sim::GetClassNameOf(h);
  j["class"] = cls ? cls : "";
  j["lng"] = lng;
  j["lat"] = lat;
  j["hdg"] = hdg;
  OBJHANDLE parent = sim::GetParent(h);
  j["parent"] = parent ? json(NameOf(parent)) : json(nullptr);
  double east = 0, north = 0;
  if (hasOrigin) EastNorth(lng, lat, lng0, lat0, oapiGetSize(sim::GetPlanet()), &east, &north);
  j["east"] = east;
  j["north"] = north;
  VECTOR3 p[3];
  v->GetTouchdownPoints(p[0], p[1], p[2]);
  double xs[3] = {p[0].x, p[1].x, p[2].x}, zs[3] = {p[0].z, p[1].z, p[2].z}, outline[4];
  OutlineFromTouchdown(xs, zs, v->GetSize(), outline);
  j["outline"] = {outline[0], outline[1], outline[2], outline[3]};
  json anims = json::array();
  for (int i = 0, n = sim::AnimationCount(h); i < n; ++i) anims.push_back(v->GetAnimation(static_cast<UINT>(i)));
  j["anims"] = std::move(anims);
  json beacons = json::array();
  for (int i = 0, n = sim::BeaconCount(h); i < n; ++i) {
    const BEACONLIGHTSPEC* b = v->GetBeacon(static_cast<DWORD>(i));
    if (b == nullptr) continue;
    const VECTOR3 pos = b->pos ? *b->pos : VECTOR3{0, 0, 0};
    beacons.push_back({pos.x, pos.z, ColourOf(b->col), b->active, b->period, b->duration, b->tofs});
  }
  j["beacons"] = std::move(beacons);
  return j;
}

json DrawJson() {
  json d;
  RECT r{};
  const bool known = sim::VCAreaRect(STATUS_DISPLAY, &r);
  d["width"] = known ? r.right - r.left : 0;
  d["height"] = known ? r.bottom - r.top : 0;
  json texts = json::array();
  for (const sim::VCTextItem& t : sim::VCTextItems(STATUS_DISPLAY))
    texts.push_back({{"x", t.x},
                     {"y", t.y},
                     {"text", t.text},
                     {"height", t.fontHeight},
                     {"face", t.face},
                     {"bold", (t.fontStyle & oapi::FONT_BOLD) != 0},
                     {"italic", (t.fontStyle & oapi::FONT_ITALIC) != 0},
                     {"underline", (t.fontStyle & oapi::FONT_UNDERLINE) != 0},
                     {"colour", Colour(t.colour)}});
  d["texts"] = std::move(texts);
  json lines = json::array();
  for (const sim::VCLine& l : sim::VCLines(STATUS_DISPLAY)) {
    if (l.penStyle == 0) continue;  // an invisible pen
    lines.push_back({{"x0", l.x0},
                     {"y0", l.y0},
                     {"x1", l.x1},
                     {"y1", l.y1},
                     {"width", l.penWidth > 0 ? l.penWidth : 1},
                     {"dashed", l.penStyle == 2},
                     {"colour", Colour(l.penColour)}});
  }
  d["lines"] = std::move(lines);
  return d;
}

json CockpitJson(const Session& session, const Person* person) {
  json c;
  const bool mine = person != nullptr && session.CockpitOwner() == person->id && sim::VCVessel() == person->focus;
  c["position"] = mine ? sim::VCPosition() : -1;
  int n[4] = {-1, -1, -1, -1};
  if (mine) sim::VCNeighbours(n);
  c["neighbours"] = {n[0], n[1], n[2], n[3]};
  json areas = json::array();
  if (mine)
    for (const sim::VCAreaInfo& a : sim::VCAreas()) areas.push_back({{"id", a.id}, {"mouse", a.mouse}});
  c["areas"] = std::move(areas);
  const OBJHANDLE vc = sim::VCVessel();
  c["vessel"] = vc ? json(NameOf(vc)) : json(nullptr);
  c["owner"] = session.CockpitOwner() != 0 ? json(session.CockpitOwner()) : json(nullptr);
  return c;
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

void Snapshot::Scene(const PaceState& pace, const Session& session) {
  json j;
  j["type"] = "state";
  j["simt"] = oapiGetSimTime();
  j["frame"] = sim::FrameCount();
  j["dt"] = sim::GetOptions().dt;
  j["accel"] = pace.accel;
  j["paused"] = pace.paused;
  j["realtime"] = pace.realtime;
  j["late"] = {{"mean", pace.lateMean * 1000.0}, {"max", pace.lateMax * 1000.0}};
  json vessels = json::array();
  for (DWORD i = 0, n = oapiGetVesselCount(); i < n; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    VESSEL* v = h ? oapiGetVesselInterface(h) : nullptr;
    if (v) vessels.push_back(VesselJson(h, v, hasOrigin_, lng0_, lat0_));
  }
  j["vessels"] = std::move(vessels);
  json people = json::array();
  for (const Person& p : session.People())
    people.push_back({{"id", p.id}, {"focus", p.focus ? json(NameOf(p.focus)) : json(nullptr)},
                      {"cockpit", session.CockpitOwner() == p.id}});
  j["people"] = std::move(people);
  j["display"] = sim::VCTexts(STATUS_DISPLAY);
  j["draw"] = DrawJson();
  j["debug"] = sim::DebugString();
  const char* box = sim::InputBoxTitle();
  j["inputbox"] = box ? json(box) : json(nullptr);
  scene_ = j.dump(-1, ' ', false, json::error_handler_t::replace);
  scene_.pop_back();  // the closing brace: each person's fields follow
}

std::string Snapshot::StateFor(const Session& session, const Person* person) const {
  if (person == nullptr) person = session.Find(session.CockpitOwner());
  if (person == nullptr && !session.People().empty()) person = &session.People().front();
  const OBJHANDLE focus = person ? person->focus : oapiGetFocusObject();
  json j;
  j["person"] = person ? json(person->id) : json(nullptr);
  auto seq = person ? seqs_.find(person->id) : seqs_.end();
  j["seq"] = seq != seqs_.end() ? seq->second : -1;
  j["focus"] = focus ? json(NameOf(focus)) : json(nullptr);
  j["cockpit"] = CockpitJson(session, person);
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
  std::string own = j.dump(-1, ' ', false, json::error_handler_t::replace);
  std::string out;
  out.reserve(scene_.size() + own.size() + 1);
  out += scene_;
  out += ',';
  out.append(own, 1, std::string::npos);  // without its opening brace
  return out;
}

}  // namespace kvqsim
