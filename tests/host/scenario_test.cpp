// Scenario files: the vessel blocks, the host's own lines, couplings from
// ATTACHED lines, writing and reading back, and bad input.
#include <cmath>

#include "tests/host/fixture.h"

namespace {

const char* PUSHBACK =
    "BEGIN_DESC\n"
    "Pushback from stand 12\n"
    "END_DESC\n"
    "BEGIN_ENVIRONMENT\n"
    "  System Sol\n"
    "END_ENVIRONMENT\n"
    "BEGIN_FOCUS\n"
    "  Ship Tug\n"
    "END_FOCUS\n"
    "BEGIN_SHIPS\n"
    "Jet:HostTestCargo\n"
    "  STATUS Landed Earth\n"
    "  POS -80.675900 28.522700\n"
    "  HEADING 270.00\n"
    "  ATTACHED 0:0,Tug\n"
    "END\n"
    "Tug:HostTestVessel\r\n"
    "  STATUS Landed Earth\r\n"
    "  POS -80.675800 28.522700\r\n"
    "  HEADING 90.00\r\n"
    "  COUNT 7\r\n"
    "  SOMETHING the host does not know\r\n"
    "END\r\n"
    "END_SHIPS\n";

}  // namespace

TEST_F(HostTest, ScenarioPlacesVesselsAndRestoresCouplings) {
  const std::string scn = Scratch("pushback.scn");
  WriteFile(scn, PUSHBACK);
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(scn, &error)) << error;
  OBJHANDLE tug = oapiGetVesselByName("Tug");
  OBJHANDLE jet = oapiGetVesselByName("Jet");
  ASSERT_NE(tug, nullptr);
  ASSERT_NE(jet, nullptr);
  EXPECT_EQ(oapiGetVesselByIndex(0), jet) << "scenario order";
  EXPECT_EQ(oapiGetFocusObject(), tug);
  double lng, lat, hdg;
  sim::GetSurfacePos(tug, &lng, &lat, &hdg);
  EXPECT_NEAR(lng * DEG, -80.6758, 1e-9);
  EXPECT_NEAR(lat * DEG, 28.5227, 1e-9);
  EXPECT_NEAR(hdg * DEG, 90, 1e-9);
  EXPECT_EQ(Count(tug), 7);
  // The jet was coupled once the tug existed, though it comes first.
  EXPECT_EQ(sim::GetParent(jet), tug);
  EXPECT_EQ(Iface(tug)->GetAttachmentStatus(Iface(tug)->GetAttachmentHandle(false, 0)), jet);
}

TEST_F(HostTest, SavedScenarioReadsBackTheSameScene) {
  const std::string scn = Scratch("in.scn"), out = Scratch("out.scn"), again = Scratch("again.scn");
  WriteFile(scn, PUSHBACK);
  ASSERT_TRUE(sim::LoadScenario(scn, nullptr));
  for (int i = 0; i < 5; ++i) sim::RunFrame();
  OBJHANDLE tug = oapiGetVesselByName("Tug");
  VESSELSTATUS2 s{};
  s.version = 2;
  Iface(tug)->GetStatusEx(&s);
  s.surf_lat += 3e-7;
  s.surf_hdg = 1.234567;
  Iface(tug)->DefSetStateEx(&s);
  double before[2][3];
  sim::GetSurfacePos(tug, &before[0][0], &before[0][1], &before[0][2]);
  sim::GetSurfacePos(oapiGetVesselByName("Jet"), &before[1][0], &before[1][1], &before[1][2]);
  std::string error;
  ASSERT_TRUE(sim::SaveScenario(out, &error)) << error;
  const std::string text = ReadFile(out);
  EXPECT_NE(text.find("Pushback from stand 12"), std::string::npos);
  EXPECT_NE(text.find("  Ship Tug\n"), std::string::npos);
  EXPECT_NE(text.find("Jet:HostTestCargo\n  STATUS Landed Earth\n  POS "), std::string::npos);
  EXPECT_NE(text.find("  ATTACHED 0:0,Tug\n"), std::string::npos);
  EXPECT_NE(text.find("  COUNT 12\nEND\n"), std::string::npos) << "the module's lines follow the host's";

  sim::Shutdown();
  sim::Options o;
  o.root = KVQ_ROOT;
  ASSERT_TRUE(sim::Start(o, nullptr));
  ASSERT_TRUE(sim::LoadScenario(out, &error)) << error;
  tug = oapiGetVesselByName("Tug");
  OBJHANDLE jet = oapiGetVesselByName("Jet");
  EXPECT_EQ(sim::GetParent(jet), tug);
  EXPECT_EQ(Count(tug), 12);
  double after[2][3];
  sim::GetSurfacePos(tug, &after[0][0], &after[0][1], &after[0][2]);
  sim::GetSurfacePos(jet, &after[1][0], &after[1][1], &after[1][2]);
  for (int v = 0; v < 2; ++v) {
    EXPECT_NEAR(after[v][0], before[v][0], 1e-10);  // 1e-10 rad is under a millimetre
    EXPECT_NEAR(after[v][1], before[v][1], 1e-10);
    EXPECT_NEAR(after[v][2], before[v][2], 1e-7);
  }
  ASSERT_TRUE(sim::SaveScenario(again, &error)) << error;
  // The tug's block comes back as it was written (a carried child's position
  // follows from the rounded heading of its parent).
  const std::string a = ReadFile(again);
  const auto block = [](const std::string& t) { return t.substr(t.find("Tug:HostTestVessel")); };
  EXPECT_EQ(block(a), block(text));
}

TEST_F(HostTest, PositionsBeyondTheRangesAreSavedSoThatTheyReadBack) {
  // Past the north pole: the same point as latitude 85 on the meridian 180
  // degrees on, facing the other way.
  OBJHANDLE over = Landed("Over", "HostTestVessel", 190, 95, 30);
  OBJHANDLE same = Landed("Same", "HostTestCargo", 10, 85, 210);
  VECTOR3 a, b, fa, fb;
  oapiGetGlobalPos(over, &a);
  oapiGetGlobalPos(same, &b);
  Iface(over)->GlobalRot(_V(0, 0, 1), fa);
  Iface(same)->GlobalRot(_V(0, 0, 1), fb);
  EXPECT_LT(length(unit(a) - unit(b)), 1e-12);
  EXPECT_LT(length(fa - fb), 1e-12) << "facing the same way";
  Landed("Far", "HostTestCargo", 1e308, -1e300, 1e308);
  double lng = 0, lat = 0, hdg = 0;
  sim::GetSurfacePos(oapiGetVesselByName("Far"), &lng, &lat, &hdg);
  EXPECT_TRUE(lng > -PI && lng <= PI && lat >= -PI05 && lat <= PI05 && hdg >= 0 && hdg < PI2);

  const std::string out = Scratch("far.scn"), again = Scratch("far_again.scn");
  std::string error;
  ASSERT_TRUE(sim::SaveScenario(out, &error)) << error;
  sim::Shutdown();
  sim::Options o;
  o.root = KVQ_ROOT;
  ASSERT_TRUE(sim::Start(o, nullptr));
  ASSERT_TRUE(sim::LoadScenario(out, &error)) << error;
  ASSERT_TRUE(sim::SaveScenario(again, &error)) << error;
  EXPECT_EQ(ReadFile(again), ReadFile(out));
}

TEST_F(HostTest, BadScenariosNameFileLineAndClass) {
  struct Case {
    const char* text;
    const char* expected[3];
  } cases[] = {
      {"BEGIN_SHIPS\nTug KVQ\nEND\nEND_SHIPS\n", {":2:", "malformed vessel header", "Tug KVQ"}},
      {"BEGIN_SHIPS\n:Airliner\nEND\nEND_SHIPS\n", {":2:", "malformed", ":Airliner"}},
      {"BEGIN_SHIPS\nA:HostTestCargo\nEND\n\nB:NoSuchClass\nEND\nEND_SHIPS\n", {":5:", "NoSuchClass", "Config"}},
      {"BEGIN_SHIPS\nA:HostTestCargo\n  POS 1 2\nEND_SHIPS\n", {":4:", "'A'", "no END"}},
      {"BEGIN_SHIPS\nA:HostTestCargo\nEND\nA:HostTestCargo\nEND\nEND_SHIPS\n", {":4:", "'A'", "twice"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string scn = Scratch(("bad" + std::to_string(n++) + ".scn").c_str());
    WriteFile(scn, c.text);
    std::string error;
    EXPECT_FALSE(sim::LoadScenario(scn, &error)) << c.text;
    EXPECT_EQ(error.rfind(scn, 0), 0u) << error;
    for (const char* e : c.expected) EXPECT_NE(error.find(e), std::string::npos) << error;
    EXPECT_EQ(oapiGetVesselCount(), 0u) << "nothing is created from a bad file";
  }
  std::string error;
  EXPECT_FALSE(sim::LoadScenario(Scratch("missing.scn"), &error));
  EXPECT_NE(error.find("missing.scn"), std::string::npos);
}

TEST_F(HostTest, MalformedLinesAreIgnored) {
  const std::string scn = Scratch("garbage.scn");
  WriteFile(scn,
            "BEGIN_SHIPS\n"
            "A:HostTestVessel\n"
            "  POS nonsense\n"
            "  POS 1e999 5\n"
            "  HEADING\n"
            "  STATUS\n"
            "  ATTACHED\n"
            "  ATTACHED 0:9,Nobody\n"
            "  ATTACHED -1:x,\n"
            "  COUNT\n"
            "  " + std::string(600, 'x') + "\n"
            "END\n"
            "END_SHIPS\n");
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(scn, &error)) << error;
  OBJHANDLE a = oapiGetVesselByName("A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(sim::GetParent(a), nullptr);
  double lng, lat, hdg;
  sim::GetSurfacePos(a, &lng, &lat, &hdg);
  EXPECT_TRUE(std::isfinite(lng) && std::isfinite(lat) && std::isfinite(hdg));
  sim::RunFrame();
}

TEST_F(HostTest, FreeFlightBlockSettlesUnderItsPosition) {
  const double lng = 0.3, lat = -0.2, r = 6371010.0 + 50;
  char text[512];
  std::snprintf(text, sizeof text,
                "BEGIN_SHIPS\nF:HostTestCargo\n  STATUS Orbiting Earth\n  RPOS %.6f %.6f %.6f\n  AROT 0 0 0\nEND\n"
                "END_SHIPS\n",
                r * std::cos(lat) * std::cos(lng), r * std::sin(lat), r * std::cos(lat) * std::sin(lng));
  const std::string scn = Scratch("free.scn");
  WriteFile(scn, text);
  ASSERT_TRUE(sim::LoadScenario(scn, nullptr));
  double l, b, h;
  sim::GetSurfacePos(oapiGetVesselByName("F"), &l, &b, &h);
  EXPECT_NEAR(l, lng, 1e-9);
  EXPECT_NEAR(b, lat, 1e-9);
  VESSELSTATUS2 s{};
  s.version = 2;
  Iface(oapiGetVesselByName("F"))->GetStatusEx(&s);
  EXPECT_EQ(s.status, 1);
}
