// What drives a run between frames besides its script: a person at the
// page (a served session) or the record of one (a replay). The runner's
// frame loop calls these in the same places for both, which is what lets a
// replay reach the live session's end state exactly.
#pragma once

#include <string>

#include "host/orbiterapi.h"

namespace kvqsim {

class FrameDriver {
 public:
  virtual ~FrameDriver() = default;
  // Once, after the scenario and the script are loaded.
  virtual void Begin() = 0;
  // At each frame boundary, before the frame: applies the inputs due.
  // False ends the run here.
  virtual bool Boundary() = 0;
  // Right before each frame runs.
  virtual void BeforeFrame() = 0;
  // After each frame (and the script's turn).
  virtual void AfterFrame() = 0;
  // A vessel is being deleted.
  virtual void VesselDeleted(OBJHANDLE h) = 0;
  // A vessel was created.
  virtual void VesselCreated(OBJHANDLE) {}
  // The run has ended; false with a message when an output failed.
  virtual bool Finish(std::string* error) = 0;
};

}  // namespace kvqsim
