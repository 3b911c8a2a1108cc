#include "apps/kvqsim/session/session.h"

#include <cmath>

#include "host/keys.h"
#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr double THRUST_STEP = 0.1;  // main thruster level per key press
constexpr int ATTITUDE_MODES = 3;    // 0 off, 1 rotation, 2 linear
constexpr unsigned char KEY_HELD = 0x80;

VESSEL* FocusVessel() {
  OBJHANDLE h = oapiGetFocusObject();
  return h ? oapiGetVesselInterface(h) : nullptr;
}

bool AreaRegistered(int area) {
  for (const sim::VCAreaInfo& a : sim::VCAreas())
    if (a.id == area) return true;
  return false;
}

}  // namespace

void Session::Begin() {
  if (OBJHANDLE h = oapiGetFocusObject()) Focus(h);
}

bool Session::Focus(OBJHANDLE h) {
  if (oapiGetFocusObject() != h) oapiSetFocusObject(h);
  if (!sim::HasVisual(h)) sim::SetVisual(h, true);
  if (sim::VCPosition() < 0) sim::VCEnter(0);
  held_ = false;
  return true;
}

bool Session::Apply(Input* in, std::string* error) {
  switch (in->kind) {
    case InputKind::Key:
      return ApplyKey(in);
    case InputKind::Mouse:
      return ApplyMouse(*in, error);
    case InputKind::Control:
      return ApplyControl(*in, error);
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
      return true;
    case InputKind::Focus: {
      OBJHANDLE h = oapiGetVesselByName(in->vessel.c_str());
      if (!h) {
        *error = "no vessel named '" + in->vessel + "'";
        return false;
      }
      return Focus(h);
    }
    case InputKind::Cockpit: {
      const int current = sim::VCPosition();
      int n[4];
      sim::VCNeighbours(n);
      bool allowed = current < 0 || in->position == current;
      for (int i = 0; i < 4; ++i) allowed = allowed || n[i] == in->position;
      if (!allowed) {
        *error = "cockpit position " + std::to_string(in->position) + " is not next to position " +
                 std::to_string(current);
        return false;
      }
      held_ = false;
      if (!sim::VCEnter(in->position)) {
        if (current >= 0) sim::VCEnter(current);
        *error = "the focus vessel has no cockpit position " + std::to_string(in->position);
        return false;
      }
      return true;
    }
    default:
      *error = "not a scene input";
      return false;
  }
}

bool Session::ApplyKey(Input* in) {
  if (in->hasHeld) {
    // A replayed key: the keyboard as it was when the key was delivered.
    for (unsigned char& k : kstate_) k = 0;
    for (int c : in->held) kstate_[c & 0xFF] = KEY_HELD;
  } else {
    kstate_[in->code] = in->down ? KEY_HELD : 0;
    in->held.clear();
    for (int c = 0; c < 256; ++c)
      if (kstate_[c]) in->held.push_back(c);
    in->hasHeld = true;
  }
  int consumed = 0;
  if (VESSEL* v = FocusVessel()) {
    char state[256];
    for (int c = 0; c < 256; ++c) state[c] = static_cast<char>(kstate_[c]);
    consumed = v->SendBufferedKey(static_cast<DWORD>(in->code), in->down, state);
  }
  // The host acts on a key the vessel left to it; a release always ends
  // what the host's press began.
  if (!in->down || consumed == 0) HostKey(in->code, in->down);
  return true;
}

void Session::HostKey(int code, bool down) {
  if (down) hostHeld_[code] = true;
  else if (!hostHeld_[code]) return;
  else hostHeld_[code] = false;
  VESSEL* v = FocusVessel();
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
      (left ? rudderLeft_ : rudderRight_) = down;
      // The key pressed last steers; releasing it hands back to the other.
      double level = 0;
      if (down) level = left ? -1 : 1;
      else if (rudderLeft_) level = -1;
      else if (rudderRight_) level = 1;
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

bool Session::ApplyMouse(const Input& in, std::string* error) {
  if (sim::VCPosition() < 0 || !AreaRegistered(in.area)) {
    *error = "cockpit area " + std::to_string(in.area) + " is not registered at this cockpit position";
    return false;
  }
  switch (in.action) {
    case MouseAction::Down:
      held_ = true;
      heldSent_ = false;
      heldRight_ = in.right;
      heldArea_ = in.area;
      heldX_ = in.x;
      heldY_ = in.y;
      sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBDOWN : PANEL_MOUSE_LBDOWN, in.x, in.y);
      return true;
    case MouseAction::Move:
      if (!held_ || heldArea_ != in.area || heldRight_ != in.right) {
        *error = "no button is held on cockpit area " + std::to_string(in.area);
        return false;
      }
      heldX_ = in.x;
      heldY_ = in.y;
      return true;
    case MouseAction::Up:
      // A click shorter than a frame still gets its held event once.
      if (held_ && heldArea_ == in.area && heldRight_ == in.right && !heldSent_)
        sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBPRESSED : PANEL_MOUSE_LBPRESSED, in.x, in.y);
      if (held_ && heldArea_ == in.area && heldRight_ == in.right) held_ = false;
      sim::VCClick(in.area, in.right ? PANEL_MOUSE_RBUP : PANEL_MOUSE_LBUP, in.x, in.y);
      return true;
  }
  return false;
}

void Session::BeforeFrame() {
  if (!held_) return;
  if (sim::VCPosition() < 0 || !AreaRegistered(heldArea_)) {
    held_ = false;
    return;
  }
  sim::VCClick(heldArea_, heldRight_ ? PANEL_MOUSE_RBPRESSED : PANEL_MOUSE_LBPRESSED, heldX_, heldY_);
  heldSent_ = true;
}

bool Session::ApplyControl(const Input& in, std::string* error) {
  VESSEL* v = FocusVessel();
  if (!v) {
    *error = "no focus vessel";
    return false;
  }
  switch (in.control) {
    case HostControl::Main:
      v->SetThrusterGroupLevel(THGROUP_MAIN, in.level);
      break;
    case HostControl::Brake:
      v->SetWheelbrakeLevel(in.level, 0, true);
      break;
    case HostControl::Rudder:
      v->SetControlSurfaceLevel(AIRCTRL_RUDDER, in.level);
      break;
    case HostControl::AttMode:
      v->SetAttitudeMode(static_cast<int>(in.level));
      break;
  }
  return true;
}

}  // namespace kvqsim
