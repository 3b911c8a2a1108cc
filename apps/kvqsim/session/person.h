// One person at the scene (a page, or a page's record): the vessel they act
// on and everything they hold down. All of it goes when they go.
#pragma once

#include "host/orbiterapi.h"

namespace kvqsim {

// A mouse button held on a cockpit area.
struct MouseHold {
  bool down = false, right = false;
  bool sent = false;  // its held event went out at least once
  int area = 0;
  double x = 0, y = 0;
};

struct Person {
  int id = 0;
  OBJHANDLE focus = nullptr;
  unsigned char keys[256] = {};  // 0x80 while held, as the simulator's keyboard state
  bool hostHeld[256] = {};       // keys whose press the host's controls acted on
  bool rudderLeft = false, rudderRight = false;
  // Host controls this person set with a control message (an axis or a
  // slider that stays where it was left).
  bool setMain = false, setBrake = false, setRudder = false;
  MouseHold mouse;
  bool moved = false;  // the focus moved without this person asking
};

}  // namespace kvqsim
