// The runner's command line.
#pragma once

#include <string>
#include <vector>

namespace kvqsim {

struct RunOptions {
  std::string scenario;   // empty: none given
  std::string script;
  std::string save, trace, plot, display;
  std::string soundLog, sound;
  std::string root;       // empty: `root` beside the binary's bin folder
  std::string serve;      // "[ADDR:]PORT": run in real time and serve the page
  std::string record;     // with serve: every input of the session
  std::string replay;     // a record to apply headless
  double until = -1.0;    // s; negative when not given
  double dt = 1.0 / 60.0; // s
  int flightModel = 0;
  bool dtGiven = false, flightModelGiven = false;
  bool quiet = false;
  bool help = false;
};

// Parses the arguments after the program name. False with a message on a
// bad argument (unknown option, missing or malformed value, two scenarios).
bool ParseOptions(const std::vector<std::string>& args, RunOptions* out, std::string* error);

const char* UsageText();

}  // namespace kvqsim
