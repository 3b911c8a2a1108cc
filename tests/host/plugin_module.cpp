// A plug-in for the host's contract tests: logs what the host calls.
#include <cstdio>
#include <string>

#include "host/orbiterapi.h"
#include "sim/sim.h"

namespace {
std::string g_log;
}

DLLCLBK void InitModule(HINSTANCE h) {
  const char* opt = sim::GetOption("plugin-note");
  g_log += "init(";
  g_log += opt ? opt : "-";
  g_log += ");";
}

DLLCLBK void ExitModule(HINSTANCE h) { std::fprintf(stderr, "plugin exit\n"); }

DLLCLBK void opcPreStep(double simt, double simdt, double mjd) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "step(%.4f);", simt);
  g_log += buf;
}

DLLCLBK const char* HostTestPluginLog() { return g_log.c_str(); }
