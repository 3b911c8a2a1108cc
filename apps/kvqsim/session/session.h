// What a person does, applied to the scene between frames on the
// simulation thread: keys with the keyboard state, the host's own controls,
// cockpit mouse events (held buttons every frame), the input box, focus and
// cockpit position. The same code serves a live session and its replay, so
// that both reach the same end state.
#pragma once

#include <string>

#include "apps/kvqsim/session/protocol.h"
#include "host/orbiterapi.h"

namespace kvqsim {

class Session {
 public:
  // The focus vessel gets a visual and cockpit position 0, as a person
  // sitting in it would have.
  void Begin();
  // Applies one scene input (not time, pause, save or quit, which the
  // caller handles). False with a reason when it is refused; nothing then
  // changed. A key event gets the keyboard state it was delivered with in
  // in->held.
  bool Apply(Input* in, std::string* error);
  // Before each frame: the held event of a held mouse button.
  void BeforeFrame();

  const unsigned char* KeyState() const { return kstate_; }

 private:
  bool ApplyKey(Input* in);
  void HostKey(int code, bool down);
  bool ApplyMouse(const Input& in, std::string* error);
  bool ApplyControl(const Input& in, std::string* error);
  bool Focus(OBJHANDLE h);

  unsigned char kstate_[256] = {};
  // The mouse button held on a cockpit area, and where.
  bool held_ = false, heldRight_ = false, heldSent_ = false;
  int heldArea_ = 0;
  double heldX_ = 0, heldY_ = 0;
  // The host's held controls.
  bool rudderLeft_ = false, rudderRight_ = false;
  bool hostHeld_[256] = {};  // keys whose press the host acted on
};

}  // namespace kvqsim
