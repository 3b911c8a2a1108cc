// A private copy of the simulator root for one test, with or without the
// sound add-on, and readers for the two logs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sim/sim.h"

namespace soundtest {

// The stand-in add-on, none, or a build of it that lacks entry points.
enum class AddOn { Present, Missing, Without3d, WithoutSoundId, WithoutStop };

struct TestRoot {
  std::filesystem::path dir;
  std::filesystem::path callLog;  // the add-on's log of the calls it received
};

// Copies the built root into a fresh temporary folder; Plugins.cfg lists the
// add-on unless it is missing.
TestRoot MakeRoot(AddOn addOn);
// Lists the add-on in Plugins.cfg, or not. A process maps a module once per
// path, so runs with and without the add-on share one root this way.
void ListAddOn(const TestRoot& root, bool listed);
// Starts the host on the root with the add-on's call log, and optionally a
// render of the run.
void StartHost(const TestRoot& root, const std::string& render = "");

std::vector<std::string> ReadLines(const std::filesystem::path& file);
// The calls the add-on received, without their time stamps.
std::vector<std::string> Calls(const TestRoot& root);
// The messages of the client's error log, one per entry.
std::vector<std::string> LogMessages(const TestRoot& root);
std::filesystem::path SoundLogPath(const TestRoot& root);

}  // namespace soundtest
