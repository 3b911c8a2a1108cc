// Shared set-up of the host contract tests: a started host on the built
// root, and the test module's hooks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/orbiterapi.h"
#include "sim/sim.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A landed vessel (degrees), failing the test when the host refuses.
  OBJHANDLE Landed(const char* name, const char* cls, double lngDeg, double latDeg, double hdgDeg);
  VESSEL* Iface(OBJHANDLE h) { return oapiGetVesselInterface(h); }
  // A scratch file path for this test.
  std::string Scratch(const char* name);
  void WriteFile(const std::string& path, const std::string& text);
  std::string ReadFile(const std::string& path);

  // Hooks exported by the test module.
  std::string Events();
  void ClearEvents();
  int Count(OBJHANDLE h);
  double LastSimt(OBJHANDLE h);
  DEVMESHHANDLE DevMesh(OBJHANDLE h);
  int Redraws(OBJHANDLE h, int area);
  void Click(OBJHANDLE h, double* x, double* y, int* clicks);
  template <typename F>
  F Hook(const char* name) {
    HMODULE m = GetModuleHandleA("HostTestVessel.dll");
    return m ? EntryPointAs<F>(GetProcAddress(m, name)) : nullptr;
  }
};
