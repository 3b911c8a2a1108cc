// Plug-ins listed in Config/Plugins.cfg: loaded at start, called every
// frame, told when the host stops; a missing one only warns.
#include <string>

#include "tests/host/fixture.h"

TEST(HostPlugins, LoadedAtStartAndCalledEveryFrame) {
  sim::Options o;
  o.root = HOST_PLUGIN_ROOT;
  o.extra = {{"plugin-note", "hello"}};
  std::string error;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(sim::Start(o, &error)) << error;
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_NE(warnings.find("NotThere"), std::string::npos) << warnings;
  HMODULE m = GetModuleHandleA("HostTestPlugin.dll");
  ASSERT_NE(m, nullptr);
  auto log = EntryPointAs<const char* (*)()>(GetProcAddress(m, "HostTestPluginLog"));
  ASSERT_NE(log, nullptr);
  sim::RunFrame();
  sim::RunFrame();
  EXPECT_EQ(std::string(log()), "init(hello);step(0.0000);step(0.0167);");
  testing::internal::CaptureStderr();
  sim::Shutdown();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("plugin exit"), std::string::npos);
  EXPECT_EQ(GetModuleHandleA("HostTestPlugin.dll"), nullptr);
}
