// A small vessel module for the host's contract tests. It logs its
// callbacks so the tests can check what the host called, and in what order.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/orbiterapi.h"

namespace {

std::string g_events;

void Log(const char* name, const char* what) {
  g_events += name;
  g_events += ':';
  g_events += what;
  g_events += ';';
}

class TestVessel : public VESSEL3 {
 public:
  TestVessel(OBJHANDLE h, int fmodel) : VESSEL3(h, fmodel) { Log(GetName(), "ctor"); }
  ~TestVessel() override { Log(GetName(), "dtor"); }

  void clbkSetClassCaps(FILEHANDLE cfg) override {
    Log(GetName(), "caps");
    SetSize(5);
    SetEmptyMass(1000);
    SetTouchdownPoints(_V(0, -1.5, 2), _V(-1, -1.5, -2), _V(1, -1.5, -2));
    front = CreateAttachment(false, _V(0, 0.5, 3), _V(0, 0, 1), _V(0, 1, 0), "T");
    back = CreateAttachment(false, _V(0, 0.5, -3), _V(0, 0, -1), _V(0, 1, 0), "T");
    CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "P");
    tank = CreatePropellantResource(10, 10);
    THRUSTER_HANDLE th = CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 0, tank);
    CreateThrusterGroup(&th, 1, THGROUP_MAIN);
    char value[256] = {};
    if (oapiReadItem_string(cfg, "Colour", value)) Log(GetName(), value);
    for (int i = 0; i < 3; ++i) anim[i] = CreateAnimation(0.25 * i);
    vcMesh = oapiLoadMeshGlobal("kvq7700_vc");
    AddMesh(vcMesh);
  }
  void clbkLoadStateEx(FILEHANDLE scn, void* status) override {
    Log(GetName(), "load");
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
      if (std::strncmp(line, "COUNT", 5) == 0) {
        std::sscanf(line + 5, "%d", &count);
      } else {
        ParseScenarioLineEx(line, status);
      }
    }
  }
  void clbkSaveState(FILEHANDLE scn) override {
    VESSEL2::clbkSaveState(scn);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d", count);
    oapiWriteScenario_string(scn, "COUNT", buf);
  }
  void clbkPostCreation() override { Log(GetName(), "post"); }
  void clbkPreStep(double simt, double simdt, double mjd) override {
    ++count;
    if (!doomed.empty()) {
      OBJHANDLE h = oapiGetVesselByName(doomed.c_str());
      doomed.clear();
      oapiDeleteVessel(h);
    }
    lastSimt = simt;
    if (logSteps) Log(GetName(), "step");
    if (drive) {
      // Wander a little: forward by a random step, turning slowly.
      VESSELSTATUS2 st{};
      st.version = 2;
      GetStatusEx(&st);
      st.surf_lat += 1e-7 * oapiRand() * std::cos(st.surf_hdg);
      st.surf_lng += 1e-7 * oapiRand() * std::sin(st.surf_hdg);
      st.surf_hdg += 0.5 * simdt;
      st.status = 1;
      DefSetStateEx(&st);
    }
  }
  int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override {
    int held = 0;
    for (int i = 0; i < 256; ++i) held += (kstate[i] & 0x80) ? 1 : 0;
    lastKey = static_cast<int>(key);
    return 100 + held;
  }
  int clbkGeneric(int msgid, int prm, void* context) override {
    char buf[32];
    std::snprintf(buf, sizeof buf, "generic%d", msgid);
    Log(GetName(), buf);
    return 1;
  }
  void clbkVisualCreated(VISHANDLE vis, int refcount) override { devMesh = GetDevMesh(vis, 0); }
  void clbkVisualDestroyed(VISHANDLE vis, int refcount) override { devMesh = nullptr; }
  bool clbkLoadVC(int id) override {
    if (id != 0) return false;
    SURFHANDLE tex = oapiGetTextureHandle(vcMesh, 1);
    oapiVCSetNeighbours(1, 2, -1, -1);
    oapiVCRegisterArea(1, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE);
    oapiVCRegisterArea(3, RECT{10, 10, 60, 40}, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE, PANEL_MAP_BACKGROUND, tex);
    oapiVCRegisterArea(5, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBDOWN);
    oapiVCSetAreaClickmode_Quadrilateral(5, _V(0, 1, 0), _V(1, 1, 0), _V(0, 0, 0), _V(1, 0, 0));
    return true;
  }
  bool clbkVCMouseEvent(int id, int event, VECTOR3& p) override {
    clickX = p.x;
    clickY = p.y;
    ++clicks;
    return true;
  }
  bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf) override {
    ++redraws[id & 7];
    oapi::Sketchpad* skp = oapiGetSketchpad(surf);
    if (skp == nullptr) return false;
    oapi::Font* font = oapiCreateFont(12, true, "Arial");
    oapi::Pen* pen = oapiCreatePen(1, 1, 0x00FF00);
    skp->SetFont(font);
    skp->SetPen(pen);
    skp->SetTextColor(0xFFFFFF);
    char buf[32];
    std::snprintf(buf, sizeof buf, "area %d clicks %d", id, clicks);
    skp->Text(1, 2, buf, static_cast<int>(std::strlen(buf)));
    if (id == 3) skp->Line(12, 12, 20, 12);
    oapiReleaseSketchpad(skp);
    oapiReleaseFont(font);
    oapiReleasePen(pen);
    return true;
  }

  ATTACHMENTHANDLE front = nullptr, back = nullptr;
  PROPELLANT_HANDLE tank = nullptr;
  MESHHANDLE vcMesh = nullptr;
  DEVMESHHANDLE devMesh = nullptr;
  UINT anim[3] = {};
  int count = 0;
  double lastSimt = -1;
  bool logSteps = false;
  bool drive = false;
  std::string doomed;  // a vessel to delete in the next pre-step
  int lastKey = -1;
  double clickX = -1, clickY = -1;
  int clicks = 0;
  int redraws[8] = {};
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE h, int fmodel) { return new TestVessel(h, fmodel); }
DLLCLBK void ovcExit(VESSEL* v) { delete static_cast<TestVessel*>(v); }

// Hooks for the tests.
DLLCLBK const char* HostTestEvents() { return g_events.c_str(); }
DLLCLBK void HostTestClearEvents() { g_events.clear(); }
DLLCLBK int HostTestCount(VESSEL* v) { return static_cast<TestVessel*>(v)->count; }
DLLCLBK double HostTestLastSimt(VESSEL* v) { return static_cast<TestVessel*>(v)->lastSimt; }
DLLCLBK void HostTestLogSteps(VESSEL* v, bool on) { static_cast<TestVessel*>(v)->logSteps = on; }
DLLCLBK DEVMESHHANDLE HostTestDevMesh(VESSEL* v) { return static_cast<TestVessel*>(v)->devMesh; }
DLLCLBK void HostTestClick(VESSEL* v, double* x, double* y, int* clicks) {
  auto* t = static_cast<TestVessel*>(v);
  *x = t->clickX;
  *y = t->clickY;
  *clicks = t->clicks;
}
DLLCLBK int HostTestRedraws(VESSEL* v, int id) { return static_cast<TestVessel*>(v)->redraws[id & 7]; }
DLLCLBK void HostTestDrive(VESSEL* v, bool on) { static_cast<TestVessel*>(v)->drive = on; }
DLLCLBK void HostTestDeleteInStep(VESSEL* v, const char* name) { static_cast<TestVessel*>(v)->doomed = name; }
