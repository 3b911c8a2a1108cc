#include "sound_test_root.h"

#include "tests/support/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace soundtest {

TestRoot MakeRoot(AddOn addOn) {
  TestRoot root;
  root.dir = testsupport::MakeScratchFolder("kvq_sound_");
  EXPECT_FALSE(root.dir.empty());
  fs::copy(KVQ_ROOT, root.dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove(root.dir / "OrbiterSound_Log.txt");
  ListAddOn(root, addOn != AddOn::Missing);
  if (addOn == AddOn::Missing) fs::remove(root.dir / "Modules" / "Plugin" / "OrbiterSound.dll");
  const char* variant = addOn == AddOn::Without3d        ? "WITHOUT_3D"
                        : addOn == AddOn::WithoutSoundId ? "WITHOUT_SOUND_ID"
                        : addOn == AddOn::WithoutStop    ? "WITHOUT_STOP"
                                                         : nullptr;
  if (variant != nullptr) {
    fs::copy_file(std::string(ADDON_VARIANTS) + variant + "/OrbiterSound.dll",
                  root.dir / "Modules" / "Plugin" / "OrbiterSound.dll", fs::copy_options::overwrite_existing);
  }
  root.callLog = root.dir / "calls.log";
  return root;
}

void ListAddOn(const TestRoot& root, bool listed) {
  std::ofstream plugins(root.dir / "Config" / "Plugins.cfg", std::ios::trunc);
  if (listed) plugins << "Plugin = OrbiterSound\n";
}

void StartHost(const TestRoot& root, const std::string& render) {
  sim::Options options;
  options.root = root.dir.string();
  options.extra.push_back({"sound-log", root.callLog.string()});
  if (!render.empty()) options.extra.push_back({"sound", render});
  std::string error;
  ASSERT_TRUE(sim::Start(options, &error)) << error;
}

std::vector<std::string> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Calls(const TestRoot& root) {
  std::vector<std::string> calls;
  for (const std::string& line : ReadLines(root.callLog)) {
    size_t blank = line.find(' ');
    calls.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
  }
  return calls;
}

fs::path SoundLogPath(const TestRoot& root) { return root.dir / "OrbiterSound_Log.txt"; }

std::vector<std::string> LogMessages(const TestRoot& root) {
  std::vector<std::string> lines = ReadLines(SoundLogPath(root));
  std::vector<std::string> messages;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == std::string(38, '-')) messages.push_back(lines[i + 1]);
  }
  return messages;
}

}  // namespace soundtest
