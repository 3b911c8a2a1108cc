// A tractor's block of a scenario file, written by hand or by another tool:
// its own four items, crew lines and host lines in any order and shape.
// The first byte chooses the path: through a scenario file the host loads,
// or line by line into the tractor's and the crew client's readers. Tow
// lengths too short to divide by (see the seed tiny_lengths) keep the
// angles finite and the saved lines numbers.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "sim/sim.h"
#include "tests/support/invariants.h"
#include "vessel/scenario.h"

namespace {

std::vector<std::string> Lines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size && lines.size() < 64; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      lines.emplace_back();
    } else if (c != '\0' && c != '\r' && lines.back().size() < 300) {
      lines.back().push_back(c);
    }
  }
  return lines;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The lines of the tractor's block in a saved file.
std::string TractorBlock(const std::string& file) {
  const size_t at = file.find("Tug:KVQ_R7700");
  if (at == std::string::npos) return "";
  const size_t end = file.find("\nEND\n", at);
  return file.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

KVQ_R7700* FindTug() {
  OBJHANDLE h = oapiGetVesselByName("Tug");
  return h ? dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
}

void Frames(int n) {
  for (int i = 0; i < n; ++i) {
    sim::RunFrame();
    fuzz::CheckAllTractors("a frame after loading");
  }
}

// The tractor's own lines of a saved block hold numbers, never nan or inf.
void RequireNumbersOnly(const std::string& block, const char* context) {
  std::istringstream lines(block);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find_first_not_of(' ');
    if (at == std::string::npos) continue;
    const std::string item = line.substr(at, line.find(' ', at) - at);
    if (item != "MODE" && item != "TRANS" && item != "LENG" && item != "ANGL") continue;
    if (line.find_first_of("nNiI", at + item.size()) != std::string::npos)
      fuzz::Require("saved a value that is not a number: " + line, context);
  }
}

void ThroughHost(const std::vector<std::string>& lines) {
  const std::string dir = fuzz::Root() + "/Scenarios";
  const std::string in = dir + "/fuzz_in.scn", saved = dir + "/fuzz_saved.scn", again = dir + "/fuzz_again.scn";
  {
    std::ofstream f(in, std::ios::binary);
    f << "BEGIN_SHIPS\nTug:KVQ_R7700\n  STATUS Landed Earth\n  POS 17.2 0.5\n  HEADING 14.3\n";
    for (const auto& l : lines) {
      // A line that ends the block or the list belongs to the file's
      // structure, not to the tractor.
      if (l.rfind("END", 0) == 0 || l.rfind("BEGIN_", 0) == 0) continue;
      f << "  " << l << "\n";
    }
    f << "END\nEND_SHIPS\n";
  }
  fuzz::Restart();
  std::string error;
  if (!sim::LoadScenario(in, &error)) return;
  KVQ_R7700* tug = FindTug();
  if (tug == nullptr) return;
  fuzz::Require(CheckTractorInvariants(*tug), "loading the block");
  if (fuzz::CountPeople() != tug->crew.crewCount) fuzz::Require("crew vessels appeared while loading", "loading");

  // What was saved loads back to the same lines.
  if (!sim::SaveScenario(saved, &error)) fuzz::Require("save failed: " + error, "saving");
  RequireNumbersOnly(TractorBlock(ReadAll(saved)), "saving");
  fuzz::Restart();
  if (!sim::LoadScenario(saved, &error)) fuzz::Require("saved scenario does not load: " + error, "reloading");
  if (FindTug() == nullptr) fuzz::Require("the tractor is gone after reloading", "reloading");
  fuzz::Require(CheckTractorInvariants(*FindTug()), "reloading");
  if (!sim::SaveScenario(again, &error)) fuzz::Require("second save failed: " + error, "saving again");
  const std::string a = TractorBlock(ReadAll(saved)), b = TractorBlock(ReadAll(again));
  if (a != b) {
    std::fprintf(stderr, "--- saved\n%s\n--- saved after reloading\n%s\n", a.c_str(), b.c_str());
    fuzz::Require("the reloaded block differs", "reloading");
  }
  Frames(3);
}

void LineByLine(const std::vector<std::string>& lines) {
  fuzz::Restart();
  KVQ_R7700* tug = fuzz::NewTractor();
  for (const auto& l : lines) {
    if (!ReadTractorLine(*tug, l.c_str())) tug->crew.LoadCrewLine(l.c_str());
    fuzz::Require(CheckTractorInvariants(*tug), "a line");
  }
  if (fuzz::CountPeople() != tug->crew.crewCount) fuzz::Require("people appeared from lines", "lines");
  Frames(3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ShutdownAtEnd end;
  if (size == 0) return 0;
  const std::vector<std::string> lines = Lines(data + 1, size - 1);
  if (data[0] & 1)
    ThroughHost(lines);
  else
    LineByLine(lines);
  return 0;
}
