// Simulator paths: backslashes, any letter case, resolved against the root;
// libraries by name; directory listings.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "tests/host/fixture.h"

namespace {

namespace fs = std::filesystem;

std::string RealRoot() { return fs::canonical(KVQ_ROOT).string(); }

}  // namespace

TEST_F(HostTest, PathsResolveWithoutRegardToCase) {
  char out[4096];
  ASSERT_TRUE(ResolveHostPath("config\\hosttestcargo.CFG", out, sizeof out));
  EXPECT_EQ(fs::path(out), fs::path(RealRoot()) / "Config" / "HostTestCargo.cfg") << out;
  ASSERT_TRUE(ResolveHostPath("MODULES/HostTestVessel.dll", out, sizeof out));
  EXPECT_EQ(fs::path(out), fs::path(RealRoot()) / "Modules" / "HostTestVessel.dll") << out;
  // A file that does not exist yet keeps the folder's real spelling.
  ASSERT_TRUE(ResolveHostPath("CONFIG\\NewFile.cfg", out, sizeof out));
  EXPECT_EQ(fs::path(out), fs::path(RealRoot()) / "Config" / "NewFile.cfg") << out;
  char tiny[8];
  EXPECT_FALSE(ResolveHostPath("config\\hosttestcargo.cfg", tiny, sizeof tiny));
  EXPECT_EQ(tiny[0], 0);
}

TEST_F(HostTest, FilesAreOpenedCreatedAndDeletedThroughHostPaths) {
  FILE* f = OpenHostFile("config\\hosttestcargo.cfg", "r");
  ASSERT_NE(f, nullptr);
  char line[128] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  std::fclose(f);
  EXPECT_EQ(line[0], ';');

  f = OpenHostFile("CONFIG\\host_test_tmp.cfg", "w");
  ASSERT_NE(f, nullptr);
  std::fputs("x\n", f);
  std::fclose(f);
  sim::ModuleCall call;  // DeleteFileA takes the module's relative path
  struct stat st{};
  EXPECT_EQ(stat((RealRoot() + "/Config/host_test_tmp.cfg").c_str(), &st), 0);
  EXPECT_TRUE(DeleteFileA("config\\HOST_TEST_TMP.cfg"));
  EXPECT_NE(stat((RealRoot() + "/Config/host_test_tmp.cfg").c_str(), &st), 0);
  EXPECT_FALSE(DeleteFileA("config\\HOST_TEST_TMP.cfg"));
}

TEST_F(HostTest, DirectoryListingMatchesWildcardsInAnyCase) {
  sim::ModuleCall call;
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA("CONFIG\\hosttest*.CFG", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::set<std::string> names{data.cFileName};
  while (FindNextFileA(h, &data)) names.insert(data.cFileName);
  EXPECT_TRUE(FindClose(h));
  EXPECT_EQ(names, (std::set<std::string>{"HostTestCargo.cfg", "HostTestVessel.cfg"}));
  h = FindFirstFileA("config\\HostTest?argo.cfg", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "HostTestCargo.cfg");
  EXPECT_FALSE(FindNextFileA(h, &data));
  FindClose(h);
  EXPECT_EQ(FindFirstFileA("config\\nothing*.xyz", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileA("nofolder\\*.cfg", &data), INVALID_HANDLE_VALUE);
}

TEST_F(HostTest, LibrariesLoadOnceByAnySpelling) {
  sim::ModuleCall call;
  HMODULE a = LoadLibraryA("modules\\hosttestvessel.DLL");
  ASSERT_NE(a, nullptr);
  HMODULE b = LoadLibraryA("Modules/HostTestVessel.dll");
  EXPECT_EQ(a, b);
  EXPECT_EQ(GetModuleHandleA("HOSTTESTVESSEL.dll"), a);
  EXPECT_NE(GetProcAddress(a, "ovcInit"), nullptr);
  EXPECT_EQ(GetProcAddress(a, "NoSuchEntry"), nullptr);
  EXPECT_EQ(LoadLibraryA("Modules\\NoSuch.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("NoSuch.dll"), nullptr);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(GetModuleHandleA("HostTestVessel.dll"), nullptr);
}

TEST(HostDate, DateTextAsYymmdd) {
  EXPECT_EQ(Date2Int("Aug 30 2010"), 100830);
  EXPECT_EQ(Date2Int("Jan  2 2021"), 210102);
  EXPECT_EQ(Date2Int("Dec 31 1999"), 991231);
  EXPECT_EQ(Date2Int("Foo 1 2020"), 0);
  EXPECT_EQ(Date2Int(""), 0);
  EXPECT_EQ(Date2Int(nullptr), 0);
}
