// The headless host's own records: the scene, its vessels and everything a
// vessel owns towards the host. Internal to sim/.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/mesh_file.h"
#include "sim/sim.h"

namespace host {

constexpr double EARTH_RADIUS = 6371010.0;     // m
constexpr double EARTH_GM = 3.986004418e14;    // m^3/s^2
constexpr double GRAV_CONST = 6.67430e-11;     // m^3/(kg s^2)
constexpr double MJD_START = 51544.5;          // simulation time 0
constexpr size_t ITEM_LEN = 256;               // text item and scenario line buffers
// A vessel's name, with room to spare in a child's "ATTACHED i:j,parent"
// line and in every name buffer of ITEM_LEN.
constexpr size_t MAX_VESSEL_NAME = 200;

// Tags the first word of every object a handle points to.
enum class Kind : uint32_t { Planet = 0x504c4e54, Vessel = 0x56534c21 };

struct Vessel;

struct ClassFile {
  std::string path;
  std::string className;
  std::vector<std::pair<std::string, std::string>> items;  // in file order
  const char* Find(const char* key) const;  // case-insensitive, first match
};

struct Attachment {
  Vessel* owner = nullptr;
  bool toParent = false;
  VECTOR3 pos{}, dir{0, 0, 1}, rot{0, 1, 0};
  char id[64] = {};
  bool loose = false;
  // Parent-side point: the child attached to it and the child's point.
  // To-parent point: the parent and the parent's point.
  Vessel* peer = nullptr;
  Attachment* peerPoint = nullptr;
  // The frame placing uses, (dir, rot) made orthonormal with dir reversed
  // on a parent-side point, and the dir and rot it was made from.
  MATRIX3 frame{};
  VECTOR3 frameDir{}, frameRot{};
  bool frameKnown = false;
};

struct Propellant {
  double maxMass = 0, mass = 0, efficiency = 1;
};

struct Thruster {
  VECTOR3 pos{}, dir{0, 0, 1};
  double maxThrust = 0;
  Propellant* tank = nullptr;
  double isp = 0;
  double level = 0;
};

struct ThrusterGroup {
  THGROUP_TYPE type = THGROUP_MAIN;
  std::vector<Thruster*> thrusters;
};

struct Dock {
  Vessel* owner = nullptr;
  VECTOR3 pos{}, dir{0, 0, 1}, rot{0, 1, 0};
  Vessel* docked = nullptr;
  Dock* peerDock = nullptr;
};

struct Animation;

struct AnimationComponent {
  const Animation* animation = nullptr;  // the one it belongs to
  double state0 = 0, state1 = 1;
  MGROUP_TRANSFORM* transform = nullptr;
  AnimationComponent* parent = nullptr;
};

struct Animation {
  double initial = 0, state = 0;
  std::vector<AnimationComponent*> components;
};

// The group transforms a vessel's animations give, kept until a state
// changes.
struct AnimationPose {
  uint64_t version = 0;    // Vessel::animVersion they were evaluated for
  bool evaluated = false;
  std::vector<sim::GroupTransform> groups;
};

struct Surface {
  int w = 0, h = 0;
  uint64_t version = 0;         // a new stamp (World::stamp) whenever its pixels change
  std::vector<DWORD> pixels;    // 0xRRGGBB
  std::vector<DWORD> original;  // the pixels when a background area first used it
  // Once there is an original: per row, the columns [dirtyLo, dirtyHi) that
  // may differ from it, so that restoring a background copies only what
  // was drawn over. Every pixel outside a row's span equals the original.
  std::vector<int> dirtyLo, dirtyHi;
  // While a background area is redrawn: its rectangle, and whether anything
  // was drawn outside it.
  const RECT* watch = nullptr;
  bool drawnOutside = false;
};

struct MeshGroup {
  DWORD userFlag = 0;  // starts as the file's FLAG
};

struct Mesh {
  std::string name;  // as loaded ("kvq7700", "UMmu\\UMMu")
  sim::MeshFile data;  // empty when the file is missing or bad
  std::vector<std::unique_ptr<Surface>> textures;  // texture i is textures[i-1]; null where unreadable
};

// A device instance of a mesh, one per visual: its own group flags and
// materials; it shares the template's textures.
struct DevMesh {
  Mesh* tmpl = nullptr;
  std::vector<MeshGroup> groups;
  std::vector<MATERIAL> materials;
  uint64_t version = 0;  // a new stamp whenever a material or flag changes
};

struct VesselMesh {
  Mesh* mesh = nullptr;
  VECTOR3 ofs{};
  WORD visibility = MESHVIS_EXTERNAL;
};

struct Visual {
  Vessel* owner = nullptr;
  std::vector<std::unique_ptr<DevMesh>> meshes;
};

struct Module {
  std::string name;  // as in the class file
  HMODULE lib = nullptr;
  VESSEL* (*init)(OBJHANDLE, int) = nullptr;
  void (*exit)(VESSEL*) = nullptr;
};

struct Vessel {
  Kind kind = Kind::Vessel;
  std::string name;
  std::string className;
  const ClassFile* cls = nullptr;
  Module* module = nullptr;  // null for generic vessels
  VESSEL* iface = nullptr;
  bool genericSent = false;  // clbkGeneric(1) handed over
  bool deleted = false;

  double size = 1, emptyMass = 1000;
  VECTOR3 touchdown[3] = {{0, -1, 1}, {-1, -1, -1}, {1, -1, -1}};
  std::vector<std::unique_ptr<Propellant>> tanks;
  std::vector<std::unique_ptr<Thruster>> thrusters;
  std::vector<std::unique_ptr<ThrusterGroup>> groups;
  std::vector<std::unique_ptr<Attachment>> toParent, toChild;
  std::vector<std::unique_ptr<Dock>> docks;
  std::vector<VesselMesh> meshes;
  std::vector<std::unique_ptr<Animation>> animations;
  std::vector<std::unique_ptr<AnimationComponent>> components;
  uint64_t animVersion = 0;  // a new stamp whenever a state or a component changes
  AnimationPose pose;
  std::vector<BEACONLIGHTSPEC*> beacons;
  std::vector<std::unique_ptr<LightEmitter>> lights;
  std::unique_ptr<Visual> visual;

  // Where the vessel is: landed vessels by surface coordinates, carried
  // children by their parent; pos and R are kept up to date for both.
  bool landed = true;
  double lng = 0, lat = 0, hdg = 0;
  VECTOR3 pos{EARTH_RADIUS, 0, 0};
  MATRIX3 R{1, 0, 0, 0, 1, 0, 0, 0, 1};
  VECTOR3 vel{}, avel{};
  Attachment* parentPoint = nullptr;  // own to-parent point while carried

  double brake[2] = {0, 0};      // left, right, as the vessel reads them
  double brakeHeld[2] = {0, 0};  // the permanent levels, back after each frame
  double ctrlSurface[6] = {};
  int attMode = ATTMODE_DISABLED;
  DWORD adCtrlMode = 7;

  VECTOR3 cameraOffset{0, 0, 0}, cameraDir{0, 0, 1};
  double cameraCatch = 0;
  double cameraRange[4] = {};
};

struct Planet {
  Kind kind = Kind::Planet;
  const char* name = "Earth";
};

struct VCArea {
  static constexpr int MAX_TEXTS = 64;
  static constexpr int MAX_LINES = 256;
  static constexpr int TEXT_LEN = 128;
  struct Text {
    int x, y;
    char text[TEXT_LEN];
    int fontHeight;
    DWORD colour;
    char face[64];
    int fontStyle;
  };
  int id = -1;
  int redraw = PANEL_REDRAW_NEVER;
  int mouse = PANEL_MOUSE_IGNORE;
  int clickMode = 0;  // 0 none, 1 quadrilateral, 2 spherical
  VECTOR3 quad[4]{};
  VECTOR3 centre{};
  double radius = 0;
  RECT rect{};
  SURFHANDLE surf = nullptr;
  int bkmode = PANEL_MAP_NONE;
  bool pending = false;  // redraw asked for while another one ran
  bool drawChanged = false;  // the redraw under way records something the last one did not
  Text texts[MAX_TEXTS];
  int nTexts = 0;
  sim::VCLine lines[MAX_LINES];
  int nLines = 0;
};

struct VCState {
  Vessel* vessel = nullptr;  // whose cockpit is loaded
  int position = -1;
  int neighbours[4] = {-1, -1, -1, -1};
  std::vector<std::unique_ptr<VCArea>> areas;
  VCArea* redrawing = nullptr;  // area of the redraw under way
  bool inRedraw = false;
  // What a background area showed before its redraw: per row of the area
  // its drawn span and those pixels (kept between redraws, so no frame
  // allocates once they are large enough).
  std::vector<int> spans;
  std::vector<DWORD> drawn;
};

struct InputBox {
  bool open = false;
  char title[ITEM_LEN] = {};
  char text[ITEM_LEN] = {};
  InputBoxCallback clbk = nullptr;
  void* user = nullptr;
  uint64_t serial = 0;
};

// An ATTACHED line waiting until every vessel of the scenario exists.
struct PendingAttach {
  Vessel* child;
  int childPoint, parentPoint;
  std::string parent;
};

struct Plugin {
  std::string name;
  HMODULE lib = nullptr;
  void (*preStep)(double, double, double) = nullptr;
};

struct World {
  bool running = false;
  sim::Options options;
  std::vector<std::unique_ptr<Vessel>> vessels;  // index order
  std::unordered_set<const void*> live;          // the records in vessels, for handle checks
  std::vector<std::unique_ptr<Vessel>> doomed;   // deleted, destroyed when no callback runs
  std::vector<std::unique_ptr<ClassFile>> classes;
  std::vector<std::unique_ptr<Module>> modules;
  std::vector<std::unique_ptr<Mesh>> meshes;
  std::vector<std::unique_ptr<Surface>> surfaces;  // created outside meshes
  std::vector<Plugin> plugins;
  Planet planet;
  Vessel* focus = nullptr;
  std::vector<Vessel*> focusChanges;  // oapiSetFocusObject's targets, for the runner
  bool focusInCockpit = true;  // whoever acts now sits in the loaded cockpit
  double simt = 0, simdt = 0, systime = 0;
  uint64_t frames = 0;
  uint64_t rng = 0;
  uint64_t stamp = 0;  // grows by one at every change the page may want to see

  int depth = 0;          // vessel callbacks running
  int frameIndex = -1;    // index of the vessel in its pre-step, -1 outside
  // During the frame's pre-steps children are placed once, after the last
  // pre-step, rather than whenever a parent or an attachment point moves.
  bool deferChildren = false;
  VCState vc;
  InputBox box;
  char debug[256] = {};
  void* lua = nullptr;
  sim::VesselHook hook = nullptr;
  void* hookUser = nullptr;
  sim::AttachHook attachHook = nullptr;
  void* attachHookUser = nullptr;
  std::string description;
  std::vector<PendingAttach> pending;
  VESSELSTATUS2* loading = nullptr;  // host status of the vessel whose block is being read
};

World& W();

// A stamp for a change: larger than every one before.
inline uint64_t NextStamp() { return ++W().stamp; }

// Keeps track of vessel callbacks (sim.h).
using CallbackScope = sim::ModuleCall;

// Handles.
Vessel* AsVessel(OBJHANDLE h);      // null unless h is a live vessel
Vessel* VesselOf(const VESSEL* v);  // the record of an interface
int IndexOf(const Vessel* v);
Vessel* FindVessel(const char* name);

// Class files and creation.
const ClassFile* LoadClass(const char* className, std::string* error);
Vessel* CreateVessel(const char* name, const char* className, const VESSELSTATUS2* state,
                     const std::vector<std::string>* scenarioLines, std::string* error);
bool DeleteVessel(Vessel* v);
void FlushDeleted();
void SendGeneric(Vessel* v);

// Placement.
void PlaceLanded(Vessel* v);
// Places v's children on their points (deferred during the pre-steps).
void PlaceChildren(Vessel* v);
void PlaceChildrenNow(Vessel* v);
void SurfaceOf(const Vessel* v, double* lng, double* lat, double* hdg);
void SetLanded(Vessel* v, double lng, double lat, double hdg);
void SettleAt(Vessel* v, const VECTOR3& pos, const MATRIX3& R);
MATRIX3 EulerToMatrix(const VECTOR3& a);
VECTOR3 MatrixToEuler(const MATRIX3& R);
bool Attach(Vessel* parent, Attachment* pp, Vessel* child, Attachment* cp);
void Detach(Attachment* pp);

// Meshes, surfaces, visuals.
Mesh* LoadMesh(const char* name);
void CreateVisual(Vessel* v);
void DestroyVisual(Vessel* v);
Surface* AsSurface(SURFHANDLE s);
// Keeps the surface's current pixels as its original (first time only).
void KeepOriginal(Surface* s);
// Notes that row y, columns [x0, x1), may now differ from the original.
void MarkDrawn(Surface* s, int y, int x0, int x1);
// Copies the original back over the rectangle [x0, x1) x [y0, y1), only
// where something was drawn.
void RestoreOriginal(Surface* s, int x0, int y0, int x1, int y1);

// Cockpit.
void VCReset();
void VCFrame();
// The font and pen are those selected on the Sketchpad (null: none).
void VCRecordText(int x, int y, const char* str, int len, const oapi::Font* font, DWORD colour);
void VCRecordLine(int x0, int y0, int x1, int y1, const oapi::Pen* pen);

// Scenario files.
// True when a saved scenario carries the vessel name back; else false with
// what is wrong with it.
bool ScenarioCarriesName(const char* name, std::string* why);
void ParseHostLine(Vessel* v, const char* line, VESSELSTATUS2* st);
void WriteHostLines(Vessel* v, FILEHANDLE scn);
void ApplyAttachedLines();
void LoadVesselState(Vessel* v, const std::vector<std::string>& lines);

// Library handles loaded by the host (modules and plug-ins), by simulator
// path.
HMODULE LoadHostLibrary(const char* path);
bool FreeHostLibrary(HMODULE module);
void UnloadAllLibraries();

// The process's working folder while a module runs.
// A simulator path ("Modules\\Ummu.dll") as a path of this system: relative
// ones against the root, each existing part in the letter case found on disk.
std::string Resolve(const char* path);

#if defined(_WIN32)
void EnterRootFolder();
void LeaveRootFolder();
#else
inline void EnterRootFolder() {}
inline void LeaveRootFolder() {}
#endif

// Bounded copy into a fixed buffer; always terminates.
void CopyBounded(char* dst, size_t size, const char* src);
bool EqualNoCase(const char* a, const char* b);
double Wrap2Pi(double a);

}  // namespace host
