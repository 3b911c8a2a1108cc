// The frame loop allocates nothing: counted through the global allocator.
#include <cstdlib>
#include <new>

#include "tests/host/fixture.h"

namespace {
size_t g_allocations = 0;
}

void* operator new(size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
// These operators replace the global ones, so every pointer they free came
// from the malloc above; GCC 12 at -Os inlines operator new into a caller and
// then takes the free here for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

TEST_F(HostTest, FramesAllocateNothing) {
#if defined(_WIN32)
  GTEST_SKIP() << "not applicable on Windows: a program's own operator new does not replace the one the host "
                  "and module DLLs call, so their allocations cannot be counted here";
#endif
  const size_t start = g_allocations;
  OBJHANDLE tug = Landed("Tug", "HostTestVessel", -80.6758, 28.5227, 90);
  OBJHANDLE cargo = Landed("Cargo", "HostTestCargo", -80.6759, 28.5227, 270);
  VESSEL* t = Iface(tug);
  ASSERT_TRUE(t->AttachChild(cargo, t->GetAttachmentHandle(false, 0), Iface(cargo)->GetAttachmentHandle(true, 0)));
  Hook<void (*)(VESSEL*, bool)>("HostTestDrive")(t, true);
  sim::SetVisual(tug, true);
  ASSERT_TRUE(sim::VCEnter(0));
  EXPECT_GT(g_allocations, start) << "the host's own allocations are counted";
  for (int i = 0; i < 5; ++i) sim::RunFrame();
  const size_t before = g_allocations;
  for (int i = 0; i < 100; ++i) {
    sim::RunFrame();
    t->SendBufferedKey(OAPI_KEY_D);
    sim::VCClick(5, PANEL_MOUSE_LBDOWN, 0.5, 0.5);
  }
  EXPECT_EQ(g_allocations - before, 0u);
  EXPECT_GT(Redraws(tug, 1), 100) << "the cockpit was drawn meanwhile";
}
