// A session's record applied headless, as fast as the frames run.
#pragma once

#include "apps/kvqsim/session/frame_driver.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/session/session.h"

namespace kvqsim {

class ReplayDriver : public FrameDriver {
 public:
  explicit ReplayDriver(Record record) : record_(std::move(record)) {}
  void Begin() override;
  bool Boundary() override;
  void BeforeFrame() override { session_.BeforeFrame(); }
  void AfterFrame() override;
  void VesselDeleted(OBJHANDLE h) override { session_.VesselDeleted(h); }
  bool Finish(std::string* error) override { return true; }

 private:
  Record record_;
  size_t next_ = 0;
  Session session_;
};

}  // namespace kvqsim
