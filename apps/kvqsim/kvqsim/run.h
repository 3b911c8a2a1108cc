// One run of kvqsim, from its options to its exit code, as a few named
// steps: resolve what to run, start the host and the run's driver (a person
// at the page, or the replay of one), load the scene and the script, run
// the frames, write the outputs, end.
#pragma once

#include <memory>
#include <string>

#include "apps/kvqsim/kvqsim/options.h"
#include "apps/kvqsim/outputs/recorder.h"
#include "apps/kvqsim/session/frame_driver.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/serve/requests.h"

struct lua_State;

namespace kvqsim {

class LiveDriver;

constexpr int EXIT_DONE = 0, EXIT_LUA = 1, EXIT_INPUT = 2;

class Run {
 public:
  Run(RunOptions options, const char* argv0);
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;
  int Execute();

  // What the host's vessel hook tells the run.
  void VesselCreated(OBJHANDLE h);
  void VesselDeleted(OBJHANDLE h);

 private:
  bool Resolve();
  bool StartHost();
  bool LoadScene();
  bool Frames();
  void WriteOutputs();
  int End();

  bool Fail(int code, const std::string& message);
  bool HookFailed();

  RunOptions opt_;
  std::string argv0_, root_, scenario_, script_;
  bool serving_ = false, replaying_ = false;
  ServeAddress address_;
  Record record_;
  std::unique_ptr<FrameDriver> driver_;
  LiveDriver* live_ = nullptr;
  Recorder recorder_;
  lua_State* L_ = nullptr;
  bool hostStarted_ = false;
  std::string luaError_;  // the first Lua error outside the script (a hook's); it ends the run
  std::string error_;     // the script's error
  bool failed_ = false;   // a Lua error ended the run
  int code_ = EXIT_DONE;
  double simt_ = 0, wall_ = 0;
};

}  // namespace kvqsim
