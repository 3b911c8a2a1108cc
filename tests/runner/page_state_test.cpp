// What a page gets in its states, in the headless host with the shipped
// example's scene: everything first, then only what changed; vessels out of
// view once a second; deleted vessels named once; the groups the tractor's
// animations move, where the animation tables put them.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "apps/kvqsim/serve/assets.h"
#include "apps/kvqsim/serve/state.h"
#include "apps/kvqsim/session/session.h"
#include "sim/sim.h"

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

class PageState : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Options options;
    options.root = KVQ_ROOT;
    std::string error;
    ASSERT_TRUE(sim::Start(options, &error)) << error;
    ASSERT_TRUE(sim::LoadScenario(std::string(KVQ_ROOT) + "/Examples/pushback.scn", &error)) << error;
    kvqsim::Input join;
    join.kind = kvqsim::InputKind::Join;
    ASSERT_TRUE(session.Apply(1, &join, &error));
    snapshot.Begin();
    now = Clock::now();
  }
  void TearDown() override { sim::Shutdown(); }

  // The state for person 1 after `frames` frames and `wall` seconds.
  json Next(int frames = 1, double wall = 0.02) {
    for (int i = 0; i < frames; ++i) sim::RunFrame();
    session.AfterFrame();
    now += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wall));
    snapshot.Scene(kvqsim::PaceState{}, session, now);
    return json::parse(snapshot.StateFor(session, *session.Find(1), now));
  }

  static const json* Vessel(const json& s, const std::string& name) {
    for (const json& v : s["vessels"])
      if (v["name"] == name) return &v;
    return nullptr;
  }

  kvqsim::Session session;
  kvqsim::AssetStore assets;
  kvqsim::Snapshot snapshot{&assets};
  Clock::time_point now;
};

TEST_F(PageState, EverythingFirstThenOnlyWhatChanged) {
  const json first = Next();
  EXPECT_TRUE(first["full"]);
  ASSERT_NE(Vessel(first, "Tug"), nullptr);
  ASSERT_NE(Vessel(first, "Jet"), nullptr);
  // The tractor in full: its meshes, where the wheels' transforms put them.
  const json& tug = *Vessel(first, "Tug");
  EXPECT_EQ(tug["meshes"].size(), 2u);
  ASSERT_TRUE(tug["groups"].contains("1:0")) << "the front left wheel";
  EXPECT_EQ(tug["groups"]["1:0"].size(), 12u);
  EXPECT_NEAR(tug["axes"][8].get<double>(), std::cos(tug["hdg"].get<double>()), 1e-6) << "z north part";

  // Nothing moves: the next state names no vessel.
  const json still = Next();
  EXPECT_FALSE(still["full"]);
  EXPECT_TRUE(still["vessels"].empty()) << still["vessels"].dump();
}

TEST_F(PageState, DeletedVesselsAreNamedOnceAndFarOnesComeOnceASecond) {
  Next();
  OBJHANDLE jet = oapiGetVesselByName("Jet");
  snapshot.VesselDeleted(jet);
  oapiDeleteVessel(jet);
  const json gone = Next();
  EXPECT_EQ(gone["gone"], json::array({"Jet"}));
  EXPECT_TRUE(Next()["gone"].empty());

  // The tractor drives; the page looks 5 km away: its pose waits for the
  // round of once a second, then comes.
  VESSEL* tug = oapiGetVesselInterface(oapiGetVesselByName("Tug"));
  char keys[256] = {};
  keys[OAPI_KEY_LCONTROL] = keys[OAPI_KEY_E] = static_cast<char>(0x80);
  tug->SendBufferedKey(OAPI_KEY_E, true, keys);
  keys[OAPI_KEY_LCONTROL] = keys[OAPI_KEY_E] = 0;
  keys[OAPI_KEY_W] = static_cast<char>(0x80);
  tug->SendBufferedKey(OAPI_KEY_W, true, keys);
  tug->SetThrusterGroupLevel(THGROUP_MAIN, 0.5);
  Next(120, 1.1);  // a round of the far ones
  snapshot.SetView(1, 5000, 5000, 100);
  EXPECT_EQ(Vessel(Next(30, 0.3), "Tug"), nullptr) << "out of view, before the round";
  const json round = Next(30, 0.8);
  ASSERT_NE(Vessel(round, "Tug"), nullptr) << "the round of once a second";
  EXPECT_FALSE(Vessel(round, "Tug")->contains("groups")) << "out of view: its pose only";
  snapshot.SetView(1, 0, 0, 100);
  const json back = Next();
  ASSERT_NE(Vessel(back, "Tug"), nullptr);
  EXPECT_TRUE(Vessel(back, "Tug")->contains("groups")) << "back in view: how it looks now";
}

}  // namespace
