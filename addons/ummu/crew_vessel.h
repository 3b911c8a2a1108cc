// A crew member on foot: created from the handoff record the spawning
// vessel wrote, it stands where it was created and carries its person's
// figures on its "U-Mm" attachment.
#pragma once

#include "crew/handoff_record.h"
#include "host/orbiterapi.h"

class UMmuVessel : public VESSEL3 {
 public:
  UMmuVessel(OBJHANDLE h, int flightmodel) : VESSEL3(h, flightmodel) {}

  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkPostCreation() override;
  int clbkGeneric(int msgid, int prm, void* context) override;
  // Walking by keys: forward and back, turning, and activating the action
  // area he stands in.
  int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
  void clbkPreStep(double simt, double simdt, double mjd) override;

  // Stands at a point of ref's frame, facing as ref does.
  void WalkTo(const VESSEL& ref, const VECTOR3& point);
  // Activates the nearest action area whose sphere holds this vessel; the
  // area's id, or -1 when none does.
  int ActivateArea();
  // Stands on the ground where it is now.
  void Stand();

  CrewHandoffRecord record{};
  bool fromRecord = false;  // false for a transfer vessel or a missing record
  int walk = 0;  // 1 forward, -1 back, while the key is held
  int turn = 0;  // 1 right, -1 left
  double walked = 0;  // m walked by keys
};
