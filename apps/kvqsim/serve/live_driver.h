// A served session: the scene in real time with the pages' inputs applied
// between frames, each person's state published for their page, each
// applied input written to the record.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "apps/kvqsim/serve/assets.h"
#include "apps/kvqsim/serve/input_queue.h"
#include "apps/kvqsim/serve/pacing.h"
#include "apps/kvqsim/serve/requests.h"
#include "apps/kvqsim/serve/server.h"
#include "apps/kvqsim/serve/state.h"
#include "apps/kvqsim/session/frame_driver.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/session/session.h"

namespace kvqsim {

struct LiveOptions {
  ServeAddress address;
  std::string pageDir, root;
  std::string savePath;    // where the page's save writes
  std::string recordPath;  // empty: no record
  std::string scenarioName;  // what pushback plans are kept under
  RecordHeader header;
};

class LiveDriver : public FrameDriver {
 public:
  explicit LiveDriver(LiveOptions options);
  // Opens the record and starts the server; prints the page's address.
  bool Start(std::string* error);
  void Begin() override;
  bool Boundary() override;
  void BeforeFrame() override;
  void AfterFrame() override;
  void VesselDeleted(OBJHANDLE h) override;
  void VesselCreated(OBJHANDLE h) override;
  // Says goodbye to the pages and finishes the record.
  bool Finish(std::string* error) override;
  // Closes the pages' connections and stops the server, by the deadline at
  // the latest; false when a page held on past it.
  bool Close(std::chrono::steady_clock::time_point deadline);

  // Set from a signal handler: the session ends at the next boundary.
  static void RequestStop();

 private:
  void ApplyQueued();
  void TellPeople();
  static void OnAttach(OBJHANDLE parent, OBJHANDLE child, bool attached, void* user);
  // Events the scene shows only by how it stands: the debug line, the input
  // box, the hands-off pushback.
  void WatchScene();
  void KeepPlan();
  void OfferPlans();
  void PublishIfDue(bool force);

  LiveOptions options_;
  InputQueue queue_;
  AssetStore assets_;
  Server server_;
  Session session_;
  Snapshot snapshot_;
  Pacer pacer_;
  RecordWriter record_;
  std::vector<QueuedInput> inputs_;  // reused between boundaries
  PlanStore plans_;
  std::string debug_, inputbox_, pushPhase_;
  uint64_t pushNumber_ = 0;
  bool quit_ = false;
  bool changed_ = false;  // inputs applied since the last publication
  Pacer::Clock::time_point lastPublish_{}, lastFlush_{};
  Pacer::Clock::time_point frameStart_{};  // lateness is measured when a frame starts
};

}  // namespace kvqsim
