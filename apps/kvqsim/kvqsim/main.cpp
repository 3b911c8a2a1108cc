// kvqsim: runs a scenario in the headless host, optionally driven by a Lua
// script, by a person at the page (--serve) or by the record of one
// (--replay), and writes the saved scenario, a trace, a plot of the tracks
// and a picture of the status display.
#include <cstdio>
#include <string>
#include <vector>

#include "apps/kvqsim/kvqsim/options.h"
#include "apps/kvqsim/kvqsim/run.h"
#include "apps/kvqsim/outputs/display.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kvqsim::RunOptions opt;
  std::string error;
  if (!kvqsim::ParseOptions(args, &opt, &error)) {
    std::fprintf(stderr, "kvqsim: %s\n%s", error.c_str(), kvqsim::UsageText());
    return kvqsim::EXIT_INPUT;
  }
  if (opt.help) {
    std::fputs(kvqsim::UsageText(), stdout);
    return kvqsim::EXIT_DONE;
  }
  if (!opt.display.empty() && !kvqsim::CanDrawPictures()) {
    std::fprintf(stderr, "kvqsim: --display: this build of kvqsim cannot draw pictures (it has no Cairo)\n");
    return kvqsim::EXIT_INPUT;
  }
  return kvqsim::Run(opt, argv[0]).Execute();
}
