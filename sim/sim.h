// Control interface of the headless host: what the runner (kvqsim), the
// tests and the stand-in add-ons use to drive the simulation. The vessel
// module never includes this file; it sees only host/.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/mesh_file.h"

namespace sim {

struct Options {
  std::string root;         // the simulator's working folder
  double dt = 1.0 / 60.0;   // fixed step (s)
  int flightModel = 0;      // handed to every ovcInit
  std::vector<std::pair<std::string, std::string>> extra;  // named options for plug-ins ("sound-log", ...)
};

// Held by the host while it calls into a module, and by code that calls a
// module's functions directly, as tests do. Deletions asked for meanwhile are
// finished when the outermost one ends. On Windows the process works in the
// simulator's root meanwhile, as the simulator always does, so that a
// relative path a module hands to the system (a library, a directory
// listing, a file) names a file there; elsewhere the host resolves those
// paths against the root itself.
class ModuleCall {
 public:
  ModuleCall();
  ~ModuleCall();
  ModuleCall(const ModuleCall&) = delete;
  ModuleCall& operator=(const ModuleCall&) = delete;
};

// Starts the host: sets the root, loads the plug-ins listed in
// Config/Plugins.cfg (a missing one gives a warning on stderr). False with a
// message when the root does not exist.
bool Start(const Options& options, std::string* error);
// Deletes every vessel, calls the plug-ins' ExitModule and lets go of every
// library it loaded (their code stays mapped, so a module linked into an
// executable never keeps pointers into vanished code). Start may be called
// again afterwards.
void Shutdown();
bool IsRunning();
// Whether a library handed its instance to InitLib: its standard start-up
// ran when it was loaded.
bool LibraryStarted(HINSTANCE instance);

const Options& GetOptions();
// A named option of Options::extra, or null.
const char* GetOption(const char* name);

// Reads a scenario file and creates its vessels (constructor, class caps,
// scenario lines, post-creation), then restores ATTACHED couplings. On bad
// input returns false with a message naming file, line and class.
bool LoadScenario(const std::string& path, std::string* error);
// Writes the current scene as a scenario file.
bool SaveScenario(const std::string& path, std::string* error = nullptr);
// One vessel's block: its clbkSaveState lines written to f as a saved
// scenario has them, and lines handed to its clbkLoadStateEx as a scenario
// load does (the vessel is then placed where they put it). False for an
// unknown vessel or a null file.
bool WriteVesselState(OBJHANDLE h, FILE* f);
bool ReadVesselState(OBJHANDLE h, const std::vector<std::string>& lines);

// One frame of Options::dt: clbkPreStep of every vessel in index order,
// children placed on their parents' attachment points, time advanced.
void RunFrame();
uint64_t FrameCount();
// One vessel's clbkPreStep at simt as a frame runs it: its children are
// placed once, after the step, and time does not advance. False for an
// unknown vessel. For benchmarks and tests of a single step.
bool PreStepVessel(OBJHANDLE h, double simt);

// Creates a landed vessel at a surface position (radians).
OBJHANDLE CreateLandedVessel(const char* name, const char* classname, double lng, double lat, double hdg,
                             std::string* error);

// Surface position of a vessel (radians); carried children report where
// they are carried.
bool GetSurfacePos(OBJHANDLE h, double* lng, double* lat, double* hdg);
// Surface position (radians) under a point given in a vessel's own frame
// (x right, y up, z forward), e.g. to place a new vessel beside it.
bool SurfaceAt(OBJHANDLE ref, const VECTOR3& local, double* lng, double* lat);
OBJHANDLE GetParent(OBJHANDLE h);
const char* GetClassNameOf(OBJHANDLE h);
OBJHANDLE GetPlanet();  // "Earth"

// How many animations and beacons a vessel has (0 for an unknown one).
int AnimationCount(OBJHANDLE h);
int BeaconCount(OBJHANDLE h);

// Visuals.
void SetVisual(OBJHANDLE h, bool on);
bool HasVisual(OBJHANDLE h);

// Input box.
bool InputBoxOpen();
const char* InputBoxTitle();
// Hands the text to the box's callback; the box closes when it returns true.
bool InputBoxEnter(const char* text);
void InputBoxCancel();

// Several people may share a scene, each acting on a vessel of their own.
// The host's focus is the vessel of the person whose input it is handling:
// ActFor sets it without a focus change (no cockpit is reset, nothing is
// reported). A focus change through oapiSetFocusObject (by a module, a
// script or a person) is kept for the runner, which hands it to the person
// it concerns: TakeFocusChanges gives the vessels focused since the last
// call, in order (a vessel deleted since is null).
void ActFor(OBJHANDLE focus, bool inCockpit = true);
void TakeFocusChanges(std::vector<OBJHANDLE>* out);

// The virtual cockpit: VCEnter loads the focus vessel's at a position; it
// stays that vessel's while others act, until it is left, its vessel is
// deleted, or the focus of the person in it moves elsewhere.
bool VCEnter(int position);
void VCLeave();
int VCPosition();  // -1 when none loaded
OBJHANDLE VCVessel();  // whose cockpit is loaded, or null
// A mouse event on an area of the current position, dispatched as the host
// does; false when the area is not registered there or its mouse flags do
// not take the event.
bool VCClick(int area, int event, double x, double y);
// Texts written in an area's last redraw, in order.
std::vector<std::string> VCTexts(int area);
// What the Sketchpad drew in a redraw: lines with the pen selected then
// (without one, a solid white pen one pixel wide), texts with the font and
// text colour (0xRRGGBB).
struct VCLine {
  int x0, y0, x1, y1;
  int penStyle = 1;  // 0 invisible, 1 solid, 2 dashed
  int penWidth = 1;
  DWORD penColour = 0xFFFFFF;
};
struct VCTextItem {
  int x, y;
  std::string text;
  int fontHeight;  // 0 without a font
  DWORD colour;
  std::string face;  // the font's face name, "" without a font
  int fontStyle;     // FONT_BOLD, FONT_ITALIC, FONT_UNDERLINE bits
};
std::vector<VCTextItem> VCTextItems(int area);
std::vector<VCLine> VCLines(int area);
// The current position's neighbours (left, right, top, bottom; -1 none).
void VCNeighbours(int out[4]);
// The areas registered at the current position with their mouse flags and
// click geometry: clickMode 0 none, 1 the quadrilateral p1 p2 p3 p4 (the
// click's x runs along p1 to p2, y along p1 to p3), 2 the sphere.
struct VCAreaInfo {
  int id, mouse;
  int clickMode = 0;
  VECTOR3 quad[4]{};
  VECTOR3 centre{};
  double radius = 0;
};
std::vector<VCAreaInfo> VCAreas();
// Pixel size and the RECT of an area's target on its surface.
bool VCAreaRect(int area, RECT* rect);
SURFHANDLE VCAreaSurface(int area);

// Surfaces (textures) as pixel arrays, 0xRRGGBB per pixel, to read: the
// host keeps track of what is drawn through its own calls only (oapiBlt,
// Sketchpad), so that a background restore copies back just that.
bool SurfaceSize(SURFHANDLE s, int* w, int* h);
const DWORD* SurfacePixels(SURFHANDLE s);

// Material and user flags of a device mesh, for tests.
bool GetMaterial(DEVMESHHANDLE m, int idx, MATERIAL* mat);
DWORD GetGroupUserFlag(DEVMESHHANDLE m, DWORD grp);

// The scene as the simulator's renderer sees it. Versions are stamps from
// one counter that grows at every change, so "changed since" is a
// comparison with the largest stamp a reader has seen; reading allocates
// nothing.

// A surface's stamp: new whenever its pixels change (oapiBlt, Sketchpad
// lines, the background restore) or the texts drawn on it in a cockpit
// area's redraw differ from the redraw before. 0 for null.
uint64_t SurfaceVersion(SURFHANDLE s);

// A loaded mesh file (oapiLoadMeshGlobal, VESSEL::AddMesh, a class's
// MeshName): its name as loaded and its parsed content, which is empty when
// the file was missing or bad. Its textures are oapiGetTextureHandle(m, 1..n),
// null where a texture file could not be read.
const char* MeshName(MESHHANDLE m);
const MeshFile* MeshData(MESHHANDLE m);
// A mesh loaded already under this name (any letter case), or null: this
// loads nothing.
MESHHANDLE FindLoadedMesh(const char* name);

// A vessel's meshes in the order they were added.
struct VesselMeshInfo {
  MESHHANDLE mesh;  // null when added from a null handle
  const char* name;  // "" then
  VECTOR3 ofs;       // where AddMesh put the mesh's origin in the vessel frame
  WORD visibility;   // MESHVIS_ flags
  bool shown;        // visibility is not MESHVIS_NEVER and the mesh has groups
};
int VesselMeshCount(OBJHANDLE h);
bool GetVesselMesh(OBJHANDLE h, int index, VesselMeshInfo* out);
// The device instance of a vessel's mesh while the vessel has a visual.
DEVMESHHANDLE GetVesselDevMesh(OBJHANDLE h, int index);

// A device mesh's stamp: new whenever oapiSetMaterial or oapiEditMeshGroup
// changes something in it, and when the visual is created.
uint64_t DevMeshVersion(DEVMESHHANDLE d);
// Whether material idx differs from the mesh file's (oapiSetMaterial).
bool MaterialChanged(DEVMESHHANDLE d, int idx);
// Whether a group is hidden: its user flag has bit 0x2 ("do not render"),
// from the file's FLAG or oapiEditMeshGroup.
bool GroupHidden(DEVMESHHANDLE d, DWORD grp);

// Where a vessel's animations put the mesh groups they move: for each group
// (mesh index, group index) a vertex v of the modelled pose is drawn at
// R v + t, in the mesh's frame (the vessel frame for a mesh added without an
// offset). Sorted by mesh, then group; groups no animation moves are absent.
struct GroupTransform {
  int mesh, group;
  double R[9];  // row by row
  double t[3];
};
// The vessel's stamp for its animation states: new whenever a state
// changes value or an animation or component is added. 0 for an unknown vessel.
uint64_t AnimationVersion(OBJHANDLE h);
// The transforms for the current states, evaluated again only when
// AnimationVersion changed. Valid until the next call for the vessel or its
// deletion; null (count 0) for an unknown vessel.
const GroupTransform* GroupTransforms(OBJHANDLE h, int* count);

// The Lua state the runner created; vessels get clbkGeneric(1, 0, L) once
// both exist. Null to clear.
void SetLuaState(void* L);
void* GetLuaState();

// Debug line ("" when empty).
const char* DebugString();

// Called by the host whenever a vessel is created or is about to be deleted,
// so a runner can keep per-vessel data (trace, Lua userdata).
using VesselHook = void (*)(OBJHANDLE h, bool created, void* user);
void SetVesselHook(VesselHook hook, void* user);

// Called by the host whenever a child is attached to a parent or released
// from it, so a runner can tell what happened.
using AttachHook = void (*)(OBJHANDLE parent, OBJHANDLE child, bool attached, void* user);
void SetAttachHook(AttachHook hook, void* user);

}  // namespace sim
