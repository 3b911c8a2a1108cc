// Vessel classes and modules: loading through the class file, the order of
// the creation callbacks, deletion, frames.
#include "tests/host/fixture.h"

TEST_F(HostTest, ModuleVesselIsCreatedInTheHostsOrder) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(GetModuleHandleA("modules\\HOSTTESTVESSEL.DLL"), nullptr);
  // The class file item is readable from clbkSetClassCaps.
  EXPECT_EQ(Events(), "A:ctor;A:caps;A:red;A:post;");
  EXPECT_STREQ(Iface(a)->GetClassName(), "HostTestVessel");
  EXPECT_DOUBLE_EQ(Iface(a)->GetSize(), 5);
  EXPECT_EQ(oapiGetVesselCount(), 1u);
  EXPECT_EQ(oapiGetFocusObject(), a);
}
