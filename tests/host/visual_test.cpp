// Meshes, device meshes per visual, textures as pixel surfaces, and the
// virtual cockpit: areas, clicks, redraws and what they draw.
#include <cstring>
#include <vector>

#include "tests/host/fixture.h"

namespace {

// Draws a line through the host, as a module's redraw would; the host's
// background restore knows about drawing done through its own calls only.
void Paint(SURFHANDLE tex, int x0, int y0, int x1, int y1, DWORD colour) {
  oapi::Sketchpad* skp = oapiGetSketchpad(tex);
  oapi::Pen* pen = oapiCreatePen(1, 1, colour);
  skp->SetPen(pen);
  skp->Line(x0, y0, x1, y1);
  oapiReleasePen(pen);
  oapiReleaseSketchpad(skp);
}

}  // namespace

TEST_F(HostTest, PlaceholderMeshesHaveWhatTheCockpitUses) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  ASSERT_NE(vc, nullptr);
  EXPECT_EQ(oapiLoadMeshGlobal("KVQ7700_VC"), vc) << "loaded once";
  int w = 0, h = 0;
  ASSERT_TRUE(sim::SurfaceSize(oapiGetTextureHandle(vc, 1), &w, &h));
  EXPECT_GE(w, 512);
  EXPECT_GE(h, 512);
  ASSERT_TRUE(sim::SurfaceSize(oapiGetTextureHandle(vc, 5), &w, &h));
  EXPECT_GE(w, 1024);
  EXPECT_GE(h, 1024);
  EXPECT_EQ(oapiGetTextureHandle(vc, 0), nullptr) << "textures count from 1";
  EXPECT_EQ(oapiGetTextureHandle(vc, 6), nullptr);
  MESHHANDLE missing = oapiLoadMeshGlobal("no_such_mesh");
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(oapiGetTextureHandle(missing, 1), nullptr);
}

TEST_F(HostTest, DeviceMeshExistsWhileTheVesselHasAVisual) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  EXPECT_FALSE(sim::HasVisual(a));
  EXPECT_EQ(DevMesh(a), nullptr);
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::HasVisual(a));
  DEVMESHHANDLE d = DevMesh(a);
  ASSERT_NE(d, nullptr);
  GROUPEDITSPEC ges{GRPEDIT_SETUSERFLAG, 3, nullptr, 0, nullptr};
  EXPECT_EQ(oapiEditMeshGroup(d, 24, &ges), 0);
  EXPECT_EQ(sim::GetGroupUserFlag(d, 24), 3u);
  ges = {GRPEDIT_DELUSERFLAG, 1, nullptr, 0, nullptr};
  oapiEditMeshGroup(d, 24, &ges);
  EXPECT_EQ(sim::GetGroupUserFlag(d, 24), 2u);
  EXPECT_NE(oapiEditMeshGroup(d, 26, &ges), 0) << "past the last group";
  MATERIAL m{{0.1f, 0.6f, 0, 1}, {0.1f, 0.6f, 0, 1}, {0.9f, 0.9f, 0.9f, 1}, {0, 0.8f, 0, 1}, 40};
  EXPECT_EQ(oapiSetMaterial(d, 5, &m), 0);
  MATERIAL back{};
  ASSERT_TRUE(sim::GetMaterial(d, 5, &back));
  EXPECT_FLOAT_EQ(back.emissive.g, 0.8f);
  EXPECT_FLOAT_EQ(back.power, 40);
  EXPECT_NE(oapiSetMaterial(d, 10, &m), 0);
  sim::SetVisual(a, false);
  EXPECT_EQ(DevMesh(a), nullptr);
  sim::SetVisual(a, true);
  EXPECT_EQ(sim::GetGroupUserFlag(DevMesh(a), 24), 0u) << "a new visual starts from the mesh";
}

TEST_F(HostTest, BltCopiesPixelsWithColourKeyAndClipping) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  SURFHANDLE tex = oapiGetTextureHandle(vc, 5);
  int w = 0, h = 0;
  sim::SurfaceSize(tex, &w, &h);
  DWORD* px = const_cast<DWORD*>(sim::SurfacePixels(tex));
  ASSERT_NE(px, nullptr);
  px[0] = 0x112233;
  px[1] = 0xFF00FF;
  px[2] = 0x445566;
  EXPECT_TRUE(oapiBlt(tex, tex, 100, 200, 0, 0, 3, 1));
  EXPECT_EQ(px[200 * w + 100], 0x112233u);
  EXPECT_EQ(px[200 * w + 101], 0xFF00FFu);
  px[200 * w + 111] = 0x777777;
  EXPECT_TRUE(oapiBlt(tex, tex, 110, 200, 0, 0, 3, 1, 0xFF00FF));
  EXPECT_EQ(px[200 * w + 110], 0x112233u);
  EXPECT_EQ(px[200 * w + 111], 0x777777u) << "colour key not copied";
  // Overlapping copy within one surface, and clipping at the edge.
  for (int i = 0; i < 4; ++i) px[300 * w + i] = 10 + i;
  EXPECT_TRUE(oapiBlt(tex, tex, 1, 300, 0, 300, 4, 1));
  EXPECT_EQ(px[300 * w + 1], 10u);
  EXPECT_EQ(px[300 * w + 4], 13u);
  EXPECT_TRUE(oapiBlt(tex, tex, w - 2, h - 1, 0, 0, 10, 10));
  EXPECT_EQ(px[(h - 1) * w + w - 2], 0x112233u);
  EXPECT_FALSE(oapiBlt(tex, tex, w, h, 0, 0, 10, 10));
  EXPECT_FALSE(oapiBlt(nullptr, tex, 0, 0, 0, 0, 1, 1));
}

class CockpitTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    a = Landed("A", "HostTestVessel", 0, 0, 0);
  }
  OBJHANDLE a = nullptr;
};

TEST_F(CockpitTest, PositionsAndClicks) {
  EXPECT_EQ(sim::VCPosition(), -1);
  EXPECT_FALSE(sim::VCEnter(1)) << "the vessel refuses position 1";
  EXPECT_EQ(sim::VCPosition(), -1);
  ASSERT_TRUE(sim::VCEnter(0));
  EXPECT_EQ(sim::VCPosition(), 0);
  EXPECT_FALSE(sim::VCClick(2, PANEL_MOUSE_LBDOWN, 0.5, 0.5)) << "not registered";
  EXPECT_FALSE(sim::VCClick(1, PANEL_MOUSE_LBDOWN, 0.5, 0.5)) << "area ignores the mouse";
  EXPECT_FALSE(sim::VCClick(5, PANEL_MOUSE_RBDOWN, 0.5, 0.5)) << "area takes left button down only";
  EXPECT_TRUE(sim::VCClick(5, PANEL_MOUSE_LBDOWN, 0.25, 0.75));
  double x, y;
  int clicks = 0;
  Click(a, &x, &y, &clicks);
  EXPECT_EQ(clicks, 1);
  EXPECT_DOUBLE_EQ(x, 0.25);
  EXPECT_DOUBLE_EQ(y, 0.75);
  // Without a visual nothing is redrawn.
  EXPECT_EQ(Redraws(a, 5), 0);
  EXPECT_EQ(Redraws(a, 1), 0);
  sim::RunFrame();
  EXPECT_EQ(Redraws(a, 1), 0);
}

TEST_F(CockpitTest, RedrawsFollowTheAreasFlags) {
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::VCEnter(0));
  const int init1 = Redraws(a, 1), init5 = Redraws(a, 5);
  EXPECT_EQ(init1, 1) << "every area is drawn once when the position loads";
  sim::RunFrame();
  sim::RunFrame();
  EXPECT_EQ(Redraws(a, 1), init1 + 2) << "every frame";
  EXPECT_EQ(Redraws(a, 5), init5) << "mouse areas wait for a click";
  sim::VCClick(5, PANEL_MOUSE_LBDOWN, 0, 0);
  EXPECT_EQ(Redraws(a, 5), init5 + 1);
  oapiVCTriggerRedrawArea(-1, 5);
  EXPECT_EQ(Redraws(a, 5), init5 + 2);
  oapiVCTriggerRedrawArea(3, 5);
  EXPECT_EQ(Redraws(a, 5), init5 + 2) << "another position";
  const auto texts = sim::VCTexts(5);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "area 5 clicks 1");
  const auto items = sim::VCTextItems(5);
  EXPECT_EQ(items[0].x, 1);
  EXPECT_EQ(items[0].fontHeight, 12);
  EXPECT_EQ(items[0].colour, 0xFFFFFFu);
  // Leaving the visual stops the redraws.
  sim::SetVisual(a, false);
  const int n = Redraws(a, 1);
  sim::RunFrame();
  EXPECT_EQ(Redraws(a, 1), n);
}

TEST_F(CockpitTest, BackgroundAreaIsRestoredBeforeEachRedraw) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  SURFHANDLE tex = oapiGetTextureHandle(vc, 1);
  int w = 0;
  sim::SurfaceSize(tex, &w, nullptr);
  const DWORD bg = sim::SurfacePixels(tex)[12 * w + 30];
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::VCEnter(0));
  RECT r{};
  ASSERT_TRUE(sim::VCAreaRect(3, &r));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 40);
  EXPECT_EQ(sim::VCAreaSurface(3), tex);
  // The test vessel draws a green line along y = 12 from x 12 to 20.
  const DWORD* px = sim::SurfacePixels(tex);
  EXPECT_EQ(px[12 * w + 15], 0x00FF00u);
  const auto lines = sim::VCLines(3);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].x1, 20);
  // Paint over the area; the next redraw starts from the background again.
  Paint(tex, 30, 12, 30, 12, 0xABCDEF);
  ASSERT_EQ(px[12 * w + 30], 0xABCDEFu);
  sim::RunFrame();
  EXPECT_EQ(px[12 * w + 30], bg);
  EXPECT_EQ(px[12 * w + 15], 0x00FF00u);
}

TEST_F(CockpitTest, TheRestoreLeavesWhatWasDrawnBesideTheArea) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  SURFHANDLE tex = oapiGetTextureHandle(vc, 1);
  int w = 0;
  sim::SurfaceSize(tex, &w, nullptr);
  const DWORD* px = sim::SurfacePixels(tex);
  const std::vector<DWORD> bg(px + 21 * w, px + 21 * w + 80);  // row 21 as it was
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::VCEnter(0));  // area 3 covers x 10..59, y 10..39
  // A line across the area's right edge: the part inside goes, the rest stays.
  Paint(tex, 50, 21, 69, 21, 0x123456);
  sim::RunFrame();
  EXPECT_EQ(px[21 * w + 55], bg[55]);
  EXPECT_EQ(px[21 * w + 59], bg[59]);
  EXPECT_EQ(px[21 * w + 60], 0x123456u);
  EXPECT_EQ(px[21 * w + 69], 0x123456u);
  // More drawing on the same row inside the area, and frames after it.
  Paint(tex, 12, 21, 40, 21, 0x654321);
  Paint(tex, 5, 21, 8, 21, 0x654321);
  sim::RunFrame();
  sim::RunFrame();
  EXPECT_EQ(px[21 * w + 12], bg[12]);
  EXPECT_EQ(px[21 * w + 40], bg[40]);
  EXPECT_EQ(px[21 * w + 5], 0x654321u);
  EXPECT_EQ(px[21 * w + 65], 0x123456u);
  EXPECT_EQ(px[12 * w + 15], 0x00FF00u) << "the redraw's own line is drawn again";
}

TEST_F(CockpitTest, EnteringAgainKeepsTheFirstBackground) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  SURFHANDLE tex = oapiGetTextureHandle(vc, 1);
  int w = 0;
  sim::SurfaceSize(tex, &w, nullptr);
  const DWORD bg = sim::SurfacePixels(tex)[12 * w + 15];
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::VCEnter(0));
  EXPECT_EQ(sim::SurfacePixels(tex)[12 * w + 15], 0x00FF00u);
  // Entering again registers the area again over the drawn pixels.
  ASSERT_TRUE(sim::VCEnter(0));
  oapiVCRegisterArea(3, RECT{10, 10, 60, 40}, PANEL_REDRAW_NEVER, PANEL_MOUSE_IGNORE, PANEL_MAP_BACKGROUND, tex);
  oapiVCTriggerRedrawArea(0, 3);
  oapiVCRegisterArea(3, RECT{10, 10, 14, 11}, PANEL_REDRAW_NEVER, PANEL_MOUSE_IGNORE, PANEL_MAP_BACKGROUND, tex);
  Paint(tex, 12, 10, 12, 10, 0x123456);
  oapiVCTriggerRedrawArea(0, 3);
  EXPECT_EQ(sim::SurfacePixels(tex)[10 * w + 12], bg);
}

TEST_F(CockpitTest, VersionsGrowOnlyWhenWhatIsShownChanges) {
  MESHHANDLE vc = oapiLoadMeshGlobal("kvq7700_vc");
  SURFHANDLE tex = oapiGetTextureHandle(vc, 1);
  sim::SetVisual(a, true);
  ASSERT_TRUE(sim::VCEnter(0));
  sim::RunFrame();
  // The background area is wiped and drawn again every frame, the same.
  const uint64_t drawn = sim::SurfaceVersion(tex);
  sim::RunFrame();
  sim::RunFrame();
  EXPECT_EQ(sim::SurfaceVersion(tex), drawn);
  // Its text changes with the clicks: the surface shows something new.
  sim::VCClick(5, PANEL_MOUSE_LBDOWN, 0, 0);
  sim::RunFrame();
  EXPECT_GT(sim::SurfaceVersion(tex), drawn);
  // A copy that changes no pixel leaves the version; one that does not, grows it.
  SURFHANDLE pics = oapiGetTextureHandle(vc, 5);
  oapiBlt(pics, pics, 740, 874, 740, 874, 88, 70);
  const uint64_t copied = sim::SurfaceVersion(pics);
  oapiBlt(pics, pics, 740, 874, 103, 630, 88, 70);
  oapiBlt(pics, pics, 740, 874, 103, 630, 88, 70);
  const uint64_t once = sim::SurfaceVersion(pics);
  EXPECT_GT(once, copied);
  oapiBlt(pics, pics, 740, 874, 103, 630, 88, 70);
  EXPECT_EQ(sim::SurfaceVersion(pics), once);
  // Device mesh: a material set to what it is already changes nothing.
  DEVMESHHANDLE d = DevMesh(a);
  MATERIAL m{};
  ASSERT_TRUE(sim::GetMaterial(d, 2, &m));
  const uint64_t dev = sim::DevMeshVersion(d);
  oapiSetMaterial(d, 2, &m);
  EXPECT_EQ(sim::DevMeshVersion(d), dev);
  EXPECT_FALSE(sim::MaterialChanged(d, 2));
  m.emissive.g = 0.8f;
  oapiSetMaterial(d, 2, &m);
  EXPECT_GT(sim::DevMeshVersion(d), dev);
  EXPECT_TRUE(sim::MaterialChanged(d, 2));
  GROUPEDITSPEC hide{GRPEDIT_ADDUSERFLAG, 3, nullptr, 0, nullptr};
  EXPECT_FALSE(sim::GroupHidden(d, 24));
  oapiEditMeshGroup(d, 24, &hide);
  EXPECT_TRUE(sim::GroupHidden(d, 24));
}
