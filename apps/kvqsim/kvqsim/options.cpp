#include "apps/kvqsim/kvqsim/options.h"

#include <cmath>
#include <cstdlib>

namespace kvqsim {

namespace {

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// The options that take a value, and where it goes.
std::string* StringTarget(const std::string& name, RunOptions* o) {
  if (name == "--script") return &o->script;
  if (name == "--save") return &o->save;
  if (name == "--trace") return &o->trace;
  if (name == "--plot") return &o->plot;
  if (name == "--display") return &o->display;
  if (name == "--sound-log") return &o->soundLog;
  if (name == "--sound") return &o->sound;
  if (name == "--root") return &o->root;
  if (name == "--serve") return &o->serve;
  if (name == "--record") return &o->record;
  if (name == "--replay") return &o->replay;
  return nullptr;
}

bool IsNumberOption(const std::string& name) {
  return name == "--until" || name == "--dt" || name == "--flight-model";
}

bool SetNumber(const std::string& name, const std::string& text, RunOptions* o, std::string* error) {
  double v = 0.0;
  if (!ParseNumber(text, &v)) {
    *error = name + ": not a number: '" + text + "'";
    return false;
  }
  if (name == "--until") {
    if (v < 0.0) {
      *error = "--until: must not be negative";
      return false;
    }
    o->until = v;
  } else if (name == "--dt") {
    if (v <= 0.0 || v > 10.0) {
      *error = "--dt: must be above 0 and at most 10 seconds";
      return false;
    }
    o->dt = v;
    o->dtGiven = true;
  } else {
    if (v != 0.0 && v != 1.0) {
      *error = "--flight-model: must be 0 or 1";
      return false;
    }
    o->flightModel = static_cast<int>(v);
    o->flightModelGiven = true;
  }
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, RunOptions* out, std::string* error) {
  RunOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      o.help = true;
      continue;
    }
    if (arg == "--quiet") {
      o.quiet = true;
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-' && !(arg.size() > 1 && (arg[1] == '.' || (arg[1] >= '0' && arg[1] <= '9')))) {
      std::string name = arg, value;
      bool inlineValue = false;
      size_t eq = arg.find('=');
      if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        inlineValue = true;
      }
      std::string* target = StringTarget(name, &o);
      if (!target && !IsNumberOption(name)) {
        *error = "unknown option '" + name + "'";
        return false;
      }
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          *error = name + ": missing value";
          return false;
        }
        value = args[++i];
      }
      if (target) {
        if (value.empty()) {
          *error = name + ": empty value";
          return false;
        }
        *target = value;
      } else if (!SetNumber(name, value, &o, error)) {
        return false;
      }
      continue;
    }
    if (!o.scenario.empty()) {
      *error = "more than one scenario: '" + o.scenario + "' and '" + arg + "'";
      return false;
    }
    o.scenario = arg;
  }
  if (!o.record.empty() && o.serve.empty()) {
    *error = "--record needs --serve";
    return false;
  }
  if (!o.replay.empty() && !o.serve.empty()) {
    *error = "--replay and --serve do not go together";
    return false;
  }
  *out = o;
  return true;
}

const char* UsageText() {
  return "usage: kvqsim [SCENARIO] [--script FILE.lua] [--until SECONDS] [--dt SECONDS] [--flight-model 0|1]\n"
         "              [--save FILE] [--trace FILE.csv] [--plot FILE.svg] [--sound-log FILE] [--sound FILE.wav]\n"
         "              [--display FILE.png] [--root DIR] [--quiet]\n"
         "       kvqsim [SCENARIO] [--script FILE.lua] --serve [ADDR:]PORT [--record FILE] [other options]\n"
         "       kvqsim [SCENARIO] --replay FILE [other options]\n"
         "\n"
         "Runs a scenario in the headless simulator, optionally driven by a Lua script.\n"
         "  SCENARIO           scenario file (also looked up in ROOT/Scenarios); none and no script:\n"
         "                     the shipped example ROOT/Examples/pushback.scn with pushback.lua;\n"
         "                     none with a script: an empty scene on Earth\n"
         "  --script FILE      Lua 5.1 script run as a coroutine; the run ends when it returns\n"
         "  --until SECONDS    stop at this simulation time (default without a script: 60)\n"
         "  --dt SECONDS       fixed frame step (default 1/60)\n"
         "  --flight-model N   flight model handed to every vessel module (default 0)\n"
         "  --save FILE        write the scenario at the end\n"
         "  --trace FILE       CSV, a row per vessel every 0.1 s of simulation time\n"
         "  --plot FILE        SVG picture of the tracks seen from above\n"
         "  --sound-log FILE   the sound add-on writes a line per call it receives\n"
         "  --sound FILE       the sound add-on mixes what it played into this wave file\n"
         "  --display FILE     PNG of the cockpit status display's last redraw\n"
         "  --root DIR         the simulator's working folder (default: root beside the bin folder)\n"
         "  --serve [ADDR:]PORT  run in real time and serve the page at http://ADDR:PORT/ (ADDR defaults\n"
         "                     to 127.0.0.1); without scenario and script: the shipped example's scene;\n"
         "                     ends on SIGINT/SIGTERM, the page's quit or --until\n"
         "  --record FILE      with --serve: every input of the session, with its frame\n"
         "  --replay FILE      apply a record headless and end at its last frame\n"
         "  --quiet            no progress line and no summary\n"
         "Exit codes: 0 done, 1 Lua error, 2 bad input or bad arguments.\n";
}

}  // namespace kvqsim
