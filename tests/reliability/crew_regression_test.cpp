// Faults the fuzzers and property tests found in the crew client.
#include <cstdio>

#include "host/keys.h"
#include "sim/sim.h"
#include "tests/reliability/reliability_scene.h"
#include "tests/support/invariants.h"

namespace {

using CrewRegression = ReliabilityScene;

}  // namespace

// A member going out on foot when the host does not create the crew vessel
// (here the crew vessel's class file is missing) used to be taken off the
// roster all the same: the person vanished. The member stays aboard.
TEST_F(CrewRegression, NobodyIsLostWhenTheCrewVesselIsNotCreated) {
  ASSERT_EQ(std::remove((root_ + "/Config/UMmu.cfg").c_str()), 0);
  Restart();
  KVQ_R7700* tug = NewTractor();
  ASSERT_NE(tug, nullptr);
  ASSERT_EQ(tug->crew.crewCount, 1);
  const std::string name = tug->crew.GetCrewName(0);
  EXPECT_EQ(tug->crew.EvaMember(name.c_str()), -6);
  EXPECT_EQ(tug->crew.crewCount, 1);
  char kstate[256] = {};
  tug->clbkConsumeBufferedKey(OAPI_KEY_E, true, kstate);
  EXPECT_EQ(tug->crew.crewCount, 1);
  EXPECT_EQ(CountPeople(), 1);
  EXPECT_EQ(CheckTractorInvariants(*tug), "");
}
