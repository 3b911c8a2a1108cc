// The same inputs give the same results, bit for bit.
#include <cstring>
#include <vector>

#include "tests/host/fixture.h"

namespace {

struct Sample {
  VECTOR3 tug, cargo;
  double rnd;
};

}  // namespace

class DeterminismTest : public HostTest {
 protected:
  std::vector<Sample> Run() {
    OBJHANDLE tug = Landed("Tug", "HostTestVessel", -80.6758, 28.5227, 90);
    OBJHANDLE cargo = Landed("Cargo", "HostTestCargo", -80.6759, 28.5227, 270);
    VESSEL* t = Iface(tug);
    EXPECT_TRUE(t->AttachChild(cargo, t->GetAttachmentHandle(false, 0), Iface(cargo)->GetAttachmentHandle(true, 0)));
    Hook<void (*)(VESSEL*, bool)>("HostTestDrive")(t, true);
    std::vector<Sample> out;
    for (int i = 0; i < 300; ++i) {
      sim::RunFrame();
      Sample s{};
      oapiGetGlobalPos(tug, &s.tug);
      oapiGetGlobalPos(cargo, &s.cargo);
      s.rnd = oapiRand();
      out.push_back(s);
    }
    return out;
  }
  void Restart() {
    sim::Shutdown();
    sim::Options o;
    o.root = KVQ_ROOT;
    ASSERT_TRUE(sim::Start(o, nullptr));
  }
};

TEST_F(DeterminismTest, TwoRunsAreBitIdentical) {
  const auto first = Run();
  Restart();
  const auto second = Run();
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(Sample)), 0);
  // And something did move.
  EXPECT_GT(dist(first.front().tug, first.back().tug), 0.1);
  EXPECT_GT(dist(first.front().cargo, first.back().cargo), 0.1);
}

TEST_F(DeterminismTest, RandomNumbersRestartFromTheSameSeed) {
  std::vector<double> a, b;
  for (int i = 0; i < 1000; ++i) a.push_back(oapiRand());
  Restart();
  for (int i = 0; i < 1000; ++i) b.push_back(oapiRand());
  EXPECT_EQ(a, b);
  double sum = 0;
  for (double x : a) {
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 1.0);
    sum += x;
  }
  EXPECT_NEAR(sum / 1000, 0.5, 0.05);
}
