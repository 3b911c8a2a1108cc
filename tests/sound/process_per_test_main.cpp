// Test main for tests that load the vessel module: its module-wide state (the
// sound client's log count) lasts as long as the process, and the host keeps
// a library mapped once loaded. Run without a filter, the binary therefore
// runs each test in a process of its own, as ctest does; with a filter (or
// when listing) it runs in place.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/platform.h"

namespace {

bool RunsInPlace(int argc, char** argv) {
  if (getenv("GTEST_FILTER") != nullptr) return true;
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "--gtest_filter", 14) == 0 || strncmp(argv[i], "--gtest_list_tests", 18) == 0) return true;
  }
  return false;
}

// Exit status of this binary run on one test.
int RunOne(const std::string& name) { return testsupport::RunSelf({"--gtest_filter=" + name}) == 0 ? 0 : 1; }

}  // namespace

int main(int argc, char** argv) {
  bool inPlace = RunsInPlace(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  if (inPlace) return RUN_ALL_TESTS();

  std::vector<std::string> failed;
  int count = 0;
  const testing::UnitTest* unit = testing::UnitTest::GetInstance();
  for (int s = 0; s < unit->total_test_suite_count(); ++s) {
    const testing::TestSuite* suite = unit->GetTestSuite(s);
    for (int t = 0; t < suite->total_test_count(); ++t) {
      std::string name = std::string(suite->name()) + "." + suite->GetTestInfo(t)->name();
      if (strncmp(suite->GetTestInfo(t)->name(), "DISABLED_", 9) == 0) continue;
      ++count;
      if (RunOne(name) != 0) failed.push_back(name);
    }
  }
  printf("%d tests, each in a process of its own: %zu failed\n", count, failed.size());
  for (const std::string& name : failed) printf("  FAILED %s\n", name.c_str());
  return failed.empty() ? 0 : 1;
}
