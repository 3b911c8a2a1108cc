// A served session: the scene in real time with the page's inputs applied
// between frames, its state published for the page, each applied input
// written to the record.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "apps/kvqsim/session/frame_driver.h"
#include "apps/kvqsim/serve/pacing.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/serve/server.h"
#include "apps/kvqsim/session/session.h"
#include "apps/kvqsim/serve/state.h"

namespace kvqsim {

struct LiveOptions {
  ServeAddress address;
  std::string pageDir, root;
  std::string savePath;    // where the page's save writes
  std::string recordPath;  // empty: no record
  RecordHeader header;
  bool quiet = false;
};

class LiveDriver : public FrameDriver {
 public:
  explicit LiveDriver(LiveOptions options);
  // Opens the record and starts the server; prints the page's address.
  bool Start(std::string* error);
  void Begin() override;
  bool Boundary() override;
  void BeforeFrame() override { session_.BeforeFrame(); }
  void AfterFrame() override;
  bool Finish(std::string* error) override;

  // Set from a signal handler: the session ends at the next boundary.
  static void RequestStop();

 private:
  void ApplyQueued();
  void PublishIfDue(bool force);

  LiveOptions options_;
  InputQueue queue_;
  Server server_;
  Session session_;
  Snapshot snapshot_;
  Pacer pacer_;
  RecordWriter record_;
  int64_t lastSeq_ = -1;
  bool quit_ = false;
  bool changed_ = false;  // inputs applied since the last publication
  Pacer::Clock::time_point lastPublish_{};
};

}  // namespace kvqsim
