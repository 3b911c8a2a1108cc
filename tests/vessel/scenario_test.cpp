// Saving and loading the tractor's own scenario lines.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "tests/vessel/vessel_fixture.h"
#include "towing/hitch.h"
#include "vessel/scenario.h"

namespace {

using ScenarioTest = HostFixture;

// The block of one vessel in a saved scenario, lines trimmed.
std::vector<std::string> BlockOf(const std::string& text, const std::string& header) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    const size_t a = line.find_first_not_of(" \t");
    line = a == std::string::npos ? "" : line.substr(a);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!inside && line == header) {
      inside = true;
      continue;
    }
    if (inside && line == "END") break;
    if (inside) lines.push_back(line);
  }
  return lines;
}

std::string WriteScenario(const std::string& name, const std::string& tugLines) {
  const std::string path = ::testing::TempDir() + "/" + name;
  std::ofstream out(path);
  out << "BEGIN_DESC\nscenario test\nEND_DESC\nBEGIN_SHIPS\nTug:KVQ_R7700\n"
         "  STATUS Landed Earth\n  POS -80.675800 28.522700\n  HEADING 90.00\n"
      << tugLines << "END\nEND_SHIPS\n";
  return path;
}

KVQ_R7700* LoadTug(const std::string& path) {
  std::string error;
  EXPECT_TRUE(sim::LoadScenario(path, &error)) << error;
  OBJHANDLE h = oapiGetVesselByName("Tug");
  EXPECT_NE(h, nullptr);
  return h ? static_cast<KVQ_R7700*>(oapiGetVesselInterface(h)) : nullptr;
}

TEST(ScanValues, ReadsIntegersInDecimalOctalAndHexAndStopsAtTheFirstBadValue) {
  int a = -7, b = -7;
  double x = -7;
  int* ints[] = {&a, &b};
  double* doubles[] = {&x};
  EXPECT_EQ(ScanValues(" 0x1F 2.5 010", "idi", ints, doubles), 3);
  EXPECT_EQ(a, 31);
  EXPECT_EQ(x, 2.5);
  EXPECT_EQ(b, 8);

  a = b = -7;
  x = -7;
  EXPECT_EQ(ScanValues(" 3 abc 4", "idi", ints, doubles), 1);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(x, -7);  // from the failing value on, nothing changes
  EXPECT_EQ(b, -7);

  EXPECT_EQ(ScanValues("XYZ 1 2 3", "idi", ints, doubles), 0);
  EXPECT_EQ(ScanValues(" 99999999999 1", "id", ints, doubles), 0);  // out of the int range
  EXPECT_EQ(ScanValues(" 1 nan", "id", ints, doubles), 1);         // not finite
  EXPECT_EQ(ScanValues(" 1 1e999", "id", ints, doubles), 1);
}

TEST_F(ScenarioTest, NewTractorSavesItsFourLinesAfterTheHostAndCrewLines) {
  NewTractor();
  const std::string path = TempPath("new_tractor.scn");
  ASSERT_TRUE(sim::SaveScenario(path));
  const std::vector<std::string> block = BlockOf(ReadFile(path), "Tug:KVQ_R7700");
  ASSERT_GE(block.size(), 4u);
  const size_t n = block.size();
  EXPECT_EQ(block[n - 4], "MODE 0 0.000000 0");
  EXPECT_EQ(block[n - 3], "TRANS 0 0 176.800000");
  EXPECT_EQ(block[n - 2], "LENG 0.000000 0.000000 0.000000 0.000000");
  EXPECT_EQ(block[n - 1], "ANGL 3.141593 0.000000 0.000000");
  EXPECT_EQ(block[0].rfind("STATUS", 0), 0u);  // the host's lines come first
}

TEST_F(ScenarioTest, LinesAreReadInAnyCaseAndTheLaterDuplicateWins) {
  KVQ_R7700* v = LoadTug(WriteScenario("case.scn",
                                       "  mode 2 1.5 1\n  Trans 1 3 100.25\n  leng 5 7 0.05 13\n"
                                       "  ANGL 0.1 0.2 0.3\n  TRANS 2\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->towMode, 2);
  EXPECT_DOUBLE_EQ(v->speed, 1.5);
  EXPECT_TRUE(v->parkingBrake);
  EXPECT_EQ(v->transmission, 2);  // the later line wins for the value it holds
  EXPECT_EQ(v->gearIndex, 3);     // and the earlier one keeps the rest
  EXPECT_DOUBLE_EQ(v->fuel, 100.25);
  EXPECT_DOUBLE_EQ(v->towbarLength, 7);
  EXPECT_DOUBLE_EQ(v->vesselLength, 13);
  EXPECT_DOUBLE_EQ(v->towbarPitch, 0.3);
}

TEST_F(ScenarioTest, ModeLineWithTwoValuesOrAPrefixedNameReleasesTheParkingBrake) {
  KVQ_R7700* v = LoadTug(WriteScenario("mode2.scn", "  MODE 1 0.5 1\n  MODE -1 0.25\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->towMode, -1);
  EXPECT_DOUBLE_EQ(v->speed, 0.25);
  EXPECT_FALSE(v->parkingBrake);
  sim::Shutdown();
  StartHost();
  v = LoadTug(WriteScenario("modexyz.scn", "  MODE 1 0.5 1\n  MODEXYZ 2 3 1\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->towMode, 1);  // the scan fails at once
  EXPECT_DOUBLE_EQ(v->speed, 0.5);
  EXPECT_FALSE(v->parkingBrake);  // only the parking brake changes
  sim::Shutdown();
  StartHost();
  v = LoadTug(WriteScenario("mode3.scn", "  MODE 0 0 2\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(v->parkingBrake);  // only 1 means set
}

TEST_F(ScenarioTest, IntegersAcceptHexAndOctalAndOutOfRangeValuesAreClamped) {
  KVQ_R7700* v = LoadTug(WriteScenario("radix.scn", "  TRANS 0x1 010 50\n  MODE 7 0 0\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->transmission, 1);
  EXPECT_EQ(v->gearIndex, 5);  // 010 is 8, brought into 0..5
  EXPECT_EQ(v->towMode, 2);
  sim::Shutdown();
  StartHost();
  v = LoadTug(WriteScenario("negative.scn", "  TRANS -9 -3 10\n  MODE -0x10 0 0\n"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->transmission, -1);
  EXPECT_EQ(v->gearIndex, 0);
  EXPECT_EQ(v->towMode, -2);
  for (int i = 0; i < 30; ++i) sim::RunFrame();  // the step tolerates the restored state
  EXPECT_TRUE(std::isfinite(v->speed));
  EXPECT_TRUE(std::isfinite(v->towbarYaw));
}

TEST_F(ScenarioTest, SaveLoadSaveKeepsEveryLine) {
  KVQ_R7700* v = NewTractor();
  ASSERT_NE(v, nullptr);
  v->towMode = -1;
  v->speed = 0.123456789;
  v->parkingBrake = true;
  v->transmission = -1;
  v->gearIndex = 2;
  v->fuel = 12.5;
  v->towbarHitchOffset = -3.41;
  v->towbarLength = 3.25;
  v->towbarYaw = 3.0;
  const std::string first = TempPath("round1.scn");
  ASSERT_TRUE(sim::SaveScenario(first));
  sim::Shutdown();
  StartHost();
  KVQ_R7700* w = LoadTug(first);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->towMode, -1);
  EXPECT_DOUBLE_EQ(w->speed, 0.123457);  // six decimals
  EXPECT_TRUE(w->parkingBrake);
  const std::string second = TempPath("round2.scn");
  ASSERT_TRUE(sim::SaveScenario(second));
  const auto a = BlockOf(ReadFile(first), "Tug:KVQ_R7700");
  const auto b = BlockOf(ReadFile(second), "Tug:KVQ_R7700");
  ASSERT_GE(a.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(a.end() - 4, a.end()), std::vector<std::string>(b.end() - 4, b.end()));
}

TEST_F(ScenarioTest, MalformedLinesNeverLeaveValuesOutOfRange) {
  const char* bad[] = {"MODE", "MODE ", "MODE 0x", "TRANS 1 99999999999999 3", "LENG a b", "ANGL 1e400 2",
                       "ANGL nan inf", "M", "", "TRANS 2147483647 -2147483648 -1e308"};
  for (const char* line : bad) {
    KVQ_R7700* v = NewTractor();
    ASSERT_NE(v, nullptr);
    ReadTractorLine(*v, line);
    EXPECT_GE(v->towMode, -2);
    EXPECT_LE(v->towMode, 2);
    EXPECT_GE(v->transmission, -1);
    EXPECT_LE(v->transmission, 2);
    EXPECT_GE(v->gearIndex, 0);
    EXPECT_LE(v->gearIndex, 5);
    EXPECT_TRUE(std::isfinite(v->towbarYaw)) << line;
    EXPECT_TRUE(std::isfinite(v->fuel)) << line;
    oapiDeleteVessel(v->GetHandle());
  }
}

}  // namespace

namespace {

TEST_F(ScenarioTest, ATractorSavedCoupledToAnAircraftComesBackCoupledWithTheSameGeometry) {
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(std::string(KVQ_ROOT) + "/Examples/pushback.scn", &error)) << error;
  auto* tug = static_cast<KVQ_R7700*>(oapiGetVesselInterface(oapiGetVesselByName("Tug")));
  OBJHANDLE jet = oapiGetVesselByName("Jet");
  ASSERT_NE(tug, nullptr);
  ASSERT_NE(jet, nullptr);
  ASSERT_TRUE(CoupleTowbar(*tug, true, true));
  tug->towMode = 1;
  ASSERT_TRUE(CoupleVessel(*tug, true, true));
  tug->towMode = 2;
  for (int i = 0; i < 10; ++i) sim::RunFrame();
  const double before[7] = {tug->towbarHitchOffset, tug->towbarLength, tug->vesselHitchOffset, tug->vesselLength,
                            tug->towbarYaw,         tug->vesselYaw,    tug->towbarPitch};
  const std::string path = TempPath("coupled.scn");
  ASSERT_TRUE(sim::SaveScenario(path));
  sim::Shutdown();

  StartHost();
  ASSERT_TRUE(sim::LoadScenario(path, &error)) << error;
  auto* again = static_cast<KVQ_R7700*>(oapiGetVesselInterface(oapiGetVesselByName("Tug")));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->towMode, 2);
  EXPECT_EQ(again->GetAttachmentStatus(again->vesselHitchFront), oapiGetVesselByName("Jet"));
  EXPECT_EQ(again->GetAttachmentStatus(again->towbarMountFront), oapiGetVesselByName("Tug_Towbar"));
  const double after[7] = {again->towbarHitchOffset, again->towbarLength, again->vesselHitchOffset,
                           again->vesselLength,      again->towbarYaw,    again->vesselYaw,
                           again->towbarPitch};
  for (int i = 0; i < 7; ++i) EXPECT_NEAR(after[i], before[i], 5e-7) << "geometry value " << i;  // six decimals
  EXPECT_NEAR(before[1], 7.0, 1e-6);  // a towbar with the airliner on it
}

}  // namespace
