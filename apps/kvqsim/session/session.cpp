#include "apps/kvqsim/session/session.h"

#include <algorithm>
#include <cmath>

#include "host/keys.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr double THRUST_STEP = 0.1;  // main thruster level per key press
constexpr int ATTITUDE_MODES = 3;    // 0 off, 1 rotation, 2 linear
constexpr unsigned char KEY_HELD = 0x80;

bool AreaRegistered(int area) {
  for (const sim::VCAreaInfo& a : sim::VCAreas())
    if (a.id == area) return true;
  return false;
}

std::string NameOf(OBJHANDLE h) {
  char name[256] = {0};
  if (h) oapiGetObjectName(h, name, sizeof name);
  return name;
}

// (Built by appending: GCC 12 sees a false overlap in "'" + s + "'".)
std::string Quoted(const std::string& name) {
  std::string q = "'";
  q.append(name).push_back('\'');
  return q;
}

bool NeedsVessel(InputKind k) {
  return k == InputKind::Key || k == InputKind::Mouse || k == InputKind::Control || k == InputKind::Cockpit ||
         k == InputKind::Pushback;
}

// Keys that drive: pressing one takes the tractor back from a hands-off
// pushback.
bool DrivingKey(int code) {
  switch (code) {
    case OAPI_KEY_SPACE:
    case OAPI_KEY_UP:
    case OAPI_KEY_DOWN:
    case OAPI_KEY_LEFT:
    case OAPI_KEY_RIGHT:
    case OAPI_KEY_ADD:
    case OAPI_KEY_SUBTRACT:
    case OAPI_KEY_NUMPAD1:
    case OAPI_KEY_NUMPAD3:
    case OAPI_KEY_COMMA:
    case OAPI_KEY_PERIOD:
    case OAPI_KEY_W:
    case OAPI_KEY_S:
      return true;
    default:
      return false;
  }
}

}  // namespace

const Person* Session::Find(int id) const {
  for (const Person& p : people_)
    if (p.id == id) return &p;
  return nullptr;
}

Person* Session::FindMutable(int id) {
  for (Person& p : people_)
    if (p.id == id) return &p;
  return nullptr;
}

Person& Session::Arrive(int id) {
  if (Person* p = FindMutable(id)) return *p;
  Person p;
  p.id = id;
  // Newcomers join the person in the cockpit, else the host's focus.
  const Person* seated = Find(cockpit_);
  p.focus = seated != nullptr && seated->focus != nullptr ? seated->focus : oapiGetFocusObject();
  people_.push_back(p);
  Person& added = people_.back();
  // Someone alone at a tractor sits in its cockpit, as the simulator starts.
  if (cockpit_ == 0 && added.focus != nullptr) EnterCockpit(added, 0);
  return added;
}

bool Session::Apply(int id, Input* in, std::string* error) {
  switch (in->kind) {
    case InputKind::Join:
      Arrive(id);
      return true;
    case InputKind::Leave:
      Leave(id);
      return true;
    case InputKind::Blur:
      if (Person* p = FindMutable(id)) Release(*p);
      return true;
    default:
      break;
  }
  Person* p = &Arrive(id);
  if (NeedsVessel(in->kind) && p->focus == nullptr) {
    *error = "there is no vessel to act on";
    return false;
  }
  if (p->focus != nullptr) sim::ActFor(p->focus, cockpit_ == id);
  sim::TakeFocusChanges(&changes_);  // older changes are not this person's doing
  bool ok = false;
  switch (in->kind) {
    case InputKind::Key:
      ok = ApplyKey(*p, in);
      break;
    case InputKind::Mouse:
      ok = ApplyMouse(*p, *in, error);
      break;
    case InputKind::Control:
      ok = ApplyControl(*p, *in, error);
      break;
    case InputKind::InputBox:
      if (!sim::InputBoxOpen()) {
        *error = "no input box is open";
        return false;
      }
      // A refused text leaves the box open: that is the box's answer, not
      // a bad message.
      if (in->escape)
        sim::InputBoxCancel();
      else
        sim::InputBoxEnter(in->text.c_str());
      ok = true;
      break;
    case InputKind::Focus:
      ok = ApplyFocus(*p, *in, error);
      break;
    case InputKind::Cockpit:
      ok = ApplyCockpit(*p, *in, error);
      break;
    case InputKind::Pushback:
      ok = ApplyPushback(*p, *in, error);
      break;
    default:
      *error = "not a scene input";
      return false;
  }
  // The vector may have moved while vessels came and went: find them again.
  TakeFocusChanges(FindMutable(id));
  return ok;
}

void Session::Leave(int id) {
  Person* p = FindMutable(id);
  if (p == nullptr) return;
  Release(*p);
  people_.erase(people_.begin() + (p - people_.data()));
  if (cockpit_ != id) return;
  // The cockpit passes to someone else at that vessel (a reloaded page
  // arrives before its old connection is gone), else it stays free.
  cockpit_ = 0;
  for (const Person& other : people_) {
    if (other.focus != nullptr && other.focus == sim::VCVessel()) {
      cockpit_ = other.id;
      notices_.emplace_back(other.id, "the cockpit is yours");
      break;
    }
  }
}

// What a person holds goes as the simulator lets it go when its window
// loses the keyboard: every held key is released through the vessel's key
// callback, held host controls return to 0, a held mouse button comes up.
void Session::Release(Person& p) {
  VESSEL* v = p.focus ? oapiGetVesselInterface(p.focus) : nullptr;
  if (v != nullptr) sim::ActFor(p.focus, cockpit_ == p.id);
  for (int c = 0; c < 256; ++c) {
    if (p.keys[c] == 0) continue;
    p.keys[c] = 0;
    if (v != nullptr) {
      char state[256];
      for (int k = 0; k < 256; ++k) state[k] = static_cast<char>(p.keys[k]);
      v->SendBufferedKey(static_cast<DWORD>(c), false, state);
    }
    HostKey(p, c, false);
  }
  if (v != nullptr) {
    if (p.setMain) v->SetThrusterGroupLevel(THGROUP_MAIN, 0);
    if (p.setBrake) v->SetWheelbrakeLevel(0, 0, true);
    if (p.setRudder) v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0);
  }
  p.setMain = p.setBrake = p.setRudder = false;
  if (p.mouse.down && cockpit_ == p.id && AreaRegistered(p.mouse.area))
    sim::VCClick(p.mouse.area, p.mouse.right ? PANEL_MOUSE_RBUP : PANEL_MOUSE_LBUP, p.mouse.x, p.mouse.y);
  p.mouse = MouseHold{};
  const int id = p.id;
  sim::TakeFocusChanges(&changes_);
  TakeFocusChanges(FindMutable(id));
}

bool Session::ApplyKey(Person& p, Input* in) {
  if (in->down && DrivingKey(in->code)) StopPushbackFor(p);
  if (in->hasHeld) {
    // A replayed key: the keyboard as it was when the key was delivered.
    for (unsigned char& k : p.keys) k = 0;
    for (int c : in->held) p.keys[c & 0xFF] = KEY_HELD;
  } else {
    p.keys[in->code] = in->down ? KEY_HELD : 0;
    in->held.clear();
    for (int c = 0; c < 256; ++c)
      if (p.keys[c]) in->held.push_back(c);
    in->hasHeld = true;
  }
  int consumed = 0;
  if (VESSEL* v = oapiGetVesselInterface(p.focus)) {
    char state[256];
    for (int c = 0; c < 256; ++c) state[c] = static_cast<char>(p.keys[c]);
    consumed = v->SendBufferedKey(static_cast<DWORD>(in->code), in->down, state);
  }
  // The host acts on a key the vessel left to it; a release always ends
  // what the host's press began.
  if (!in->down || consumed == 0) {
    Person* again = FindMutable(p.id);  // the key callback may have added vessels, not people
    if (again) HostKey(*again, in->code, in->down);
  }
  return true;
}

void Session::HostKey(Person& p, int code, bool down) {
  if (down) p.hostHeld[code] = true;
  else if (!p.hostHeld[code]) return;
  else p.hostHeld[code] = false;
  VESSEL* v = p.focus ? oapiGetVesselInterface(p.focus) : nullptr;
  if (!v) return;
  switch (code) {
    case OAPI_KEY_UP:
    case OAPI_KEY_ADD:
    case OAPI_KEY_DOWN:
    case OAPI_KEY_SUBTRACT:
      if (down) {
        const double step = (code == OAPI_KEY_UP || code == OAPI_KEY_ADD) ? THRUST_STEP : -THRUST_STEP;
        double level = v->GetThrusterGroupLevel(THGROUP_MAIN) + step;
        level = std::round(level / THRUST_STEP) * THRUST_STEP;  // tenths, without drift
        v->SetThrusterGroupLevel(THGROUP_MAIN, level < 0 ? 0 : level > 1 ? 1 : level);
      }
      break;
    case OAPI_KEY_LEFT:
    case OAPI_KEY_NUMPAD1:
    case OAPI_KEY_RIGHT:
    case OAPI_KEY_NUMPAD3: {
      const bool left = code == OAPI_KEY_LEFT || code == OAPI_KEY_NUMPAD1;
      (left ? p.rudderLeft : p.rudderRight) = down;
      // The key pressed last steers; releasing it hands back to the other.
      double level = 0;
      if (down) level = left ? -1 : 1;
      else if (p.rudderLeft) level = -1;
      else if (p.rudderRight) level = 1;
      v->SetControlSurfaceLevel(AIRCTRL_RUDDER, level);
      break;
    }
    case OAPI_KEY_SPACE:
      v->SetWheelbrakeLevel(down ? 1 : 0, 0, true);
      break;
    case OAPI_KEY_COMMA:
      v->SetWheelbrakeLevel(down ? 1 : 0, 1, true);
      break;
    case OAPI_KEY_PERIOD:
      v->SetWheelbrakeLevel(down ? 1 : 0, 2, true);
      break;
    case OAPI_KEY_SLASH:
    case OAPI_KEY_DIVIDE:
      if (down) v->SetAttitudeMode((v->GetAttitudeMode() + 1) % ATTITUDE_MODES);
      break;
    default:
      break;
  }
}

bool Session::ApplyMouse(Person& p, const Input& in, std::string* error) {
  if (cockpit_ != p.id || sim::VCVessel() != p.focus) {
    *error = cockpit_ != 0 && cockpit_ != p.id ? "someone else is in the cockpit; enter it to take it"
                                               : "you are not in a cockpit";
    return false;
  }
  if (!AreaRegistered(in.area)) {
    *error = "cockpit area " + std::to_string(in.area) + " is not registered at this cockpit position";
    return false;
  }
  MouseHold& m = p.mouse;
  switch (in.action) {
    case MouseAction::Down:
      m = MouseHold{true, in.right, false, in.area, in.x, in.y};
      sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBDOWN : PANEL_MOUSE_LBDOWN, in.x, in.y);
      return true;
    case MouseAction::Move:
      if (!m.down || m.area != in.area || m.right != in.right) {
        *error = "no button is held on cockpit area " + std::to_string(in.area);
        return false;
      }
      m.x = in.x;
      m.y = in.y;
      return true;
    case MouseAction::Up: {
      const bool held = m.down && m.area == in.area && m.right == in.right;
      // A click shorter than a frame still gets its held event once.
      if (held && !m.sent)
        sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBPRESSED : PANEL_MOUSE_LBPRESSED, in.x, in.y);
      if (held) m = MouseHold{};
      sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBUP : PANEL_MOUSE_LBUP, in.x, in.y);
      return true;
    }
  }
  return false;
}

void Session::BeforeFrame() {
  frameFocus_ = oapiGetFocusObject();
  Person* p = FindMutable(cockpit_);
  // A module that moves the focus during the frame takes the cockpit along
  // only when its person sits in it.
  sim::ActFor(frameFocus_, p != nullptr && p->focus == frameFocus_);
  if (p == nullptr || !p->mouse.down) return;
  MouseHold& m = p->mouse;
  if (sim::VCVessel() != p->focus || !AreaRegistered(m.area)) {
    m = MouseHold{};
    return;
  }
  sim::VCClick(m.area, m.right ? PANEL_MOUSE_RBPRESSED : PANEL_MOUSE_LBPRESSED, m.x, m.y);
  m.sent = true;
}

bool Session::ApplyControl(Person& p, const Input& in, std::string* error) {
  VESSEL* v = oapiGetVesselInterface(p.focus);
  if (!v) {
    *error = "no focus vessel";
    return false;
  }
  if (in.control != HostControl::AttMode) StopPushbackFor(p);
  switch (in.control) {
    case HostControl::Main:
      v->SetThrusterGroupLevel(THGROUP_MAIN, in.level);
      p.setMain = in.level != 0;
      break;
    case HostControl::Brake:
      v->SetWheelbrakeLevel(in.level, 0, true);
      p.setBrake = in.level != 0;
      break;
    case HostControl::Rudder:
      v->SetControlSurfaceLevel(AIRCTRL_RUDDER, in.level);
      p.setRudder = in.level != 0;
      break;
    case HostControl::AttMode:
      v->SetAttitudeMode(static_cast<int>(in.level));
      break;
  }
  return true;
}

bool Session::ApplyFocus(Person& p, const Input& in, std::string* error) {
  OBJHANDLE h = oapiGetVesselByName(in.vessel.c_str());
  if (!h) {
    *error = "no vessel named '" + in.vessel + "'";
    return false;
  }
  // A change of focus as the simulator makes it (the cockpit follows the
  // person in it); the change itself is taken up after the input.
  if (p.focus != h) oapiSetFocusObject(h);
  return true;
}

bool Session::ApplyCockpit(Person& p, const Input& in, std::string* error) {
  const bool mine = cockpit_ == p.id && sim::VCVessel() == p.focus;
  if (mine) {
    const int current = sim::VCPosition();
    int n[4];
    sim::VCNeighbours(n);
    bool allowed = in.position == current;
    for (int i = 0; i < 4; ++i) allowed = allowed || n[i] == in.position;
    if (!allowed) {
      *error = "cockpit position " + std::to_string(in.position) + " is not next to position " +
               std::to_string(current);
      return false;
    }
  }
  if (!EnterCockpit(p, in.position)) {
    *error = "the focus vessel has no cockpit position " + std::to_string(in.position);
    return false;
  }
  return true;
}

// Takes the cockpit of the person's vessel at a position. When it has none
// there, whoever was in a cockpit stays where they were.
bool Session::EnterCockpit(Person& p, int position) {
  const OBJHANDLE before = sim::VCVessel();
  const int beforePosition = sim::VCPosition();
  const int owner = cockpit_;
  sim::ActFor(p.focus, true);
  if (!sim::HasVisual(p.focus)) sim::SetVisual(p.focus, true);
  if (!sim::VCEnter(position)) {
    if (before != nullptr) {
      sim::ActFor(before, true);
      sim::VCEnter(beforePosition);
      sim::ActFor(p.focus, cockpit_ == p.id);
    }
    return false;
  }
  if (owner != 0 && owner != p.id) {
    if (Person* old = FindMutable(owner)) {
      old->mouse = MouseHold{};
      notices_.emplace_back(owner, "another person took the cockpit");
    }
  }
  p.mouse = MouseHold{};
  cockpit_ = p.id;
  return true;
}

void Session::StopPushbackFor(const Person& p) {
  if (pushback_.Running() && pushback_.Tractor() == p.focus) pushback_.Stop("stopped by the driver");
}

PushbackPlan Session::PlanOf(const Input& in) const {
  PushbackPlan plan;
  const double radius = oapiGetSize(sim::GetPlanet());
  for (const Input::PlanPoint& pt : in.points)
    plan.points.push_back({lng0_ + pt.e / (radius * std::cos(lat0_)), lat0_ + pt.n / radius});
  plan.heading = in.heading;
  return plan;
}

bool Session::PreviewPushback(int id, const Input& in, PushbackPreview* out, std::string* error) {
  const Person* p = Find(id);
  if (p == nullptr || p->focus == nullptr) {
    *error = "there is no vessel to act on";
    return false;
  }
  return pushback_.Preview(static_cast<lua_State*>(sim::GetLuaState()), p->focus, PlanOf(in), out, error);
}

// Starts, or stops, a hands-off pushback of the person's focus tractor. A
// new plan replaces the running one until the tractor has moved.
bool Session::ApplyPushback(Person& p, const Input& in, std::string* error) {
  if (in.stop) {
    if (!pushback_.Running()) {
      *error = "no pushback is running";
      return false;
    }
    pushback_.Stop("stopped from the page");
    return true;
  }
  if (in.check) {
    *error = "a plan is only tried, not applied";
    return false;
  }
  if (pushback_.Running() && (pushback_.Moved() || pushback_.Tractor() != p.focus)) {
    *error = "a pushback is under way: stop it first";
    return false;
  }
  return pushback_.Start(static_cast<lua_State*>(sim::GetLuaState()), p.focus, PlanOf(in), error);
}

bool SceneOrigin(double* lng, double* lat) {
  OBJHANDLE first = oapiGetVesselByIndex(0);
  return first != nullptr && sim::GetSurfacePos(first, lng, lat, nullptr);
}

void Session::VesselDeleted(OBJHANDLE h) {
  pushback_.VesselDeleted(h);
  for (Person& p : people_) {
    if (p.focus != h) continue;
    p.focus = nullptr;
    notices_.emplace_back(p.id, Quoted(NameOf(h)) + " left the scene");
  }
}

void Session::AfterFrame() {
  pushback_.AfterFrame(oapiGetSimTime());
  sim::TakeFocusChanges(&changes_);
  OBJHANDLE last = nullptr;
  for (OBJHANDLE c : changes_)
    if (c) last = c;
  for (Person& p : people_) {
    if (p.focus == nullptr) MoveOn(p, last);
    else if (last != nullptr && p.focus == frameFocus_ && p.focus != last) MoveOn(p, last);
  }
}

// Focus changes made while one person's input was handled are that
// person's; a person whose vessel went takes the vessel focused last, or
// any other.
void Session::TakeFocusChanges(Person* actor) {
  sim::TakeFocusChanges(&changes_);
  OBJHANDLE last = nullptr;
  for (OBJHANDLE c : changes_)
    if (c) last = c;
  if (actor != nullptr && last != nullptr && last != actor->focus) {
    actor->focus = last;
    FollowWithCockpit(*actor);
  }
  for (Person& p : people_)
    if (p.focus == nullptr) MoveOn(p, last);
}

void Session::MoveOn(Person& p, OBJHANDLE to) {
  if (to == nullptr) to = oapiGetFocusObject();
  if (to == nullptr && oapiGetVesselCount() > 0) to = oapiGetVesselByIndex(0);
  p.focus = to;
  if (to != nullptr) notices_.emplace_back(p.id, "now on " + Quoted(NameOf(to)));
  FollowWithCockpit(p);
}

// The person in the cockpit takes it along to their new vessel, or leaves
// it when that vessel has none; a free cockpit is taken by whoever moves to
// a vessel that has one.
void Session::FollowWithCockpit(Person& p) {
  if (cockpit_ != 0 && cockpit_ != p.id) return;
  if (p.focus != nullptr && sim::VCVessel() == p.focus && cockpit_ == p.id) return;
  if (p.focus != nullptr && EnterCockpit(p, 0)) return;
  if (cockpit_ == p.id) {
    sim::VCLeave();
    cockpit_ = 0;
  }
}

}  // namespace kvqsim
