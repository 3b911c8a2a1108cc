#include "tests/host/fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

void HostTest::SetUp() {
  sim::Options o;
  o.root = KVQ_ROOT;
  std::string error;
  ASSERT_TRUE(sim::Start(o, &error)) << error;
}

void HostTest::TearDown() { sim::Shutdown(); }

OBJHANDLE HostTest::Landed(const char* name, const char* cls, double lngDeg, double latDeg, double hdgDeg) {
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, cls, lngDeg * RAD, latDeg * RAD, hdgDeg * RAD, &error);
  EXPECT_NE(h, nullptr) << error;
  return h;
}

std::string HostTest::Scratch(const char* name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string dir = std::string(KVQ_BIN) + "/host_test_scratch";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) ADD_FAILURE() << "cannot create " << dir;
  return dir + "/" + info->test_suite_name() + "_" + info->name() + "_" + name;
}

void HostTest::WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

std::string HostTest::ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string HostTest::Events() {
  auto f = Hook<const char* (*)()>("HostTestEvents");
  return f ? f() : "";
}

void HostTest::ClearEvents() {
  if (auto f = Hook<void (*)()>("HostTestClearEvents")) f();
}

int HostTest::Count(OBJHANDLE h) {
  auto f = Hook<int (*)(VESSEL*)>("HostTestCount");
  return f ? f(Iface(h)) : -1;
}

double HostTest::LastSimt(OBJHANDLE h) {
  auto f = Hook<double (*)(VESSEL*)>("HostTestLastSimt");
  return f ? f(Iface(h)) : -1;
}

DEVMESHHANDLE HostTest::DevMesh(OBJHANDLE h) {
  auto f = Hook<DEVMESHHANDLE (*)(VESSEL*)>("HostTestDevMesh");
  return f ? f(Iface(h)) : nullptr;
}

int HostTest::Redraws(OBJHANDLE h, int area) {
  auto f = Hook<int (*)(VESSEL*, int)>("HostTestRedraws");
  return f ? f(Iface(h), area) : -1;
}

void HostTest::Click(OBJHANDLE h, double* x, double* y, int* clicks) {
  auto f = Hook<void (*)(VESSEL*, double*, double*, int*)>("HostTestClick");
  if (f) f(Iface(h), x, y, clicks);
}
