// Basic records and handles of the simulator's programming interface, as the
// vessel module uses them. Handles are opaque; null means none.
#pragma once

#include <cstdint>
#include <cstddef>

#if defined(_WIN32)
// On Windows the basic types, RECT and the library handles are the
// system's own. Neither drawing nor windows are used: without their headers
// no macro renames a name of ours (DrawText, PostMessage...).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef NOGDI
#define NOGDI
#endif
#ifndef NOUSER
#define NOUSER
#endif
#include <windows.h>
#define DLLEXPORT __declspec(dllexport)
// The host's functions are exported by the host library and imported by
// everything that calls them.
#if defined(KVQ_HOST_BUILD)
#define OAPIFUNC __declspec(dllexport)
#else
#define OAPIFUNC __declspec(dllimport)
#endif
#else
#define DLLEXPORT __attribute__((visibility("default")))
#define OAPIFUNC DLLEXPORT

using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using UINT = unsigned int;

using HINSTANCE = void*;
using HMODULE = void*;
#endif
#define DLLCLBK extern "C" DLLEXPORT

using OBJHANDLE = void*;
using VISHANDLE = void*;
using MESHHANDLE = void*;
using DEVMESHHANDLE = void*;
using SURFHANDLE = void*;
using FILEHANDLE = void*;
using ATTACHMENTHANDLE = void*;
using THRUSTER_HANDLE = void*;
using THGROUP_HANDLE = void*;
using PROPELLANT_HANDLE = void*;
using DOCKHANDLE = void*;
using ANIMATIONCOMPONENT_HANDLE = void*;

struct VECTOR3 {
  double x, y, z;
};

struct VECTOR4 {
  double x, y, z, w;
};

// Row-major 3x3 matrix.
struct MATRIX3 {
  double m11, m12, m13, m21, m22, m23, m31, m32, m33;
};

struct COLOUR4 {
  float r, g, b, a;
};

struct MATERIAL {
  COLOUR4 diffuse, ambient, specular, emissive;
  float power;
};

#if !defined(_WIN32)
struct RECT {
  long left, top, right, bottom;
};
#endif

inline VECTOR3 _V(double x, double y, double z) { return VECTOR3{x, y, z}; }

inline VECTOR3 operator+(const VECTOR3& a, const VECTOR3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline VECTOR3 operator-(const VECTOR3& a, const VECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline VECTOR3 operator*(const VECTOR3& a, double f) { return {a.x * f, a.y * f, a.z * f}; }
inline double dotp(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
VECTOR3 crossp(const VECTOR3& a, const VECTOR3& b);
double length(const VECTOR3& a);
double dist(const VECTOR3& a, const VECTOR3& b);
VECTOR3 unit(const VECTOR3& a);
VECTOR3 mul(const MATRIX3& m, const VECTOR3& v);   // m * v
VECTOR3 tmul(const MATRIX3& m, const VECTOR3& v);  // transpose(m) * v
MATRIX3 mul(const MATRIX3& a, const MATRIX3& b);

constexpr double PI = 3.14159265358979323846;
constexpr double PI05 = PI * 0.5;
constexpr double PI2 = PI * 2.0;
constexpr double RAD = PI / 180.0;
constexpr double DEG = 180.0 / PI;

// Vessel status record, version 1 (GetStatus, oapiCreateVessel).
struct VESSELSTATUS {
  VECTOR3 rpos;   // position relative to rbody, ecliptic frame (m)
  VECTOR3 rvel;   // velocity relative to rbody (m/s)
  VECTOR3 vrot;   // angular velocity (rad/s)
  VECTOR3 arot;   // orientation, Euler angles (rad)
  double fuel;    // fuel level of the default tank, 0..1
  double eng_main, eng_hovr;
  OBJHANDLE rbody;
  OBJHANDLE base;
  int port;
  int status;     // 0 free flight, 1 landed
  VECTOR3 vdata[10];  // vdata[0]: surface longitude, latitude, heading while landed
  double fdata[10];
  DWORD flag[10];
};

// Vessel status record, version 2 (GetStatusEx, DefSetStateEx).
struct VESSELSTATUS2 {
  DWORD version;  // 2
  DWORD flag;
  OBJHANDLE rbody;
  OBJHANDLE base;
  int port;
  int status;     // 0 free flight, 1 landed
  VECTOR3 rpos, rvel, vrot, arot;
  double surf_lng, surf_lat, surf_hdg;
  DWORD nfuel;
  struct FUELSPEC { DWORD idx; double level; }* fuel;
  DWORD nthruster;
  struct THRUSTSPEC { DWORD idx; double level; }* thruster;
  DWORD ndockinfo;
  struct DOCKINFOSPEC { DWORD idx, ridx; OBJHANDLE rvessel; }* dockinfo;
  DWORD xpdr;
};

struct BEACONLIGHTSPEC {
  DWORD shape;     // BEACONSHAPE_*
  VECTOR3* pos;
  VECTOR3* col;
  double size;
  double falloff;
  double period;   // s, 0 continuous
  double duration; // s
  double tofs;     // s
  bool active;
};
constexpr DWORD BEACONSHAPE_COMPACT = 0;
constexpr DWORD BEACONSHAPE_DIFFUSE = 1;
constexpr DWORD BEACONSHAPE_STAR = 2;

// Mesh group edit (oapiEditMeshGroup).
struct NTVERTEX;
struct GROUPEDITSPEC {
  DWORD flags;
  DWORD UsrFlag;
  NTVERTEX* Vtx;
  DWORD nVtx;
  WORD* vIdx;
};
constexpr DWORD GRPEDIT_SETUSERFLAG = 0x01;
constexpr DWORD GRPEDIT_ADDUSERFLAG = 0x02;
constexpr DWORD GRPEDIT_DELUSERFLAG = 0x04;

// Animation transforms. The host keeps pointers to them: they must outlive
// the animation components that use them.
struct MGROUP_TRANSFORM {
  enum TYPE { NULLTRANSFORM, ROTATE, TRANSLATE, SCALE };
  MGROUP_TRANSFORM(TYPE t, UINT mesh_, UINT* grp_, UINT ngrp_) : type(t), mesh(mesh_), grp(grp_), ngrp(ngrp_) {}
  virtual ~MGROUP_TRANSFORM() = default;
  TYPE type;
  UINT mesh;
  UINT* grp;
  UINT ngrp;
};

struct MGROUP_ROTATE : MGROUP_TRANSFORM {
  MGROUP_ROTATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& ref_, const VECTOR3& axis_, float angle_)
      : MGROUP_TRANSFORM(ROTATE, mesh_, grp_, ngrp_), ref(ref_), axis(axis_), angle(angle_) {}
  VECTOR3 ref;
  VECTOR3 axis;
  float angle;  // rad
};

struct MGROUP_TRANSLATE : MGROUP_TRANSFORM {
  MGROUP_TRANSLATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& shift_)
      : MGROUP_TRANSFORM(TRANSLATE, mesh_, grp_, ngrp_), shift(shift_) {}
  VECTOR3 shift;
};

enum THGROUP_TYPE { THGROUP_MAIN, THGROUP_RETRO, THGROUP_HOVER, THGROUP_USER = 0x40 };
enum AIRCTRL_TYPE { AIRCTRL_ELEVATOR, AIRCTRL_RUDDER, AIRCTRL_AILERON, AIRCTRL_FLAP, AIRCTRL_ELEVATORTRIM, AIRCTRL_RUDDERTRIM };

// Attitude modes.
constexpr int ATTMODE_DISABLED = 0;
constexpr int ATTMODE_ROT = 1;
constexpr int ATTMODE_LIN = 2;

// Cockpit area redraw and mouse flags.
constexpr int PANEL_REDRAW_NEVER = 0x00;
constexpr int PANEL_REDRAW_ALWAYS = 0x01;
constexpr int PANEL_REDRAW_MOUSE = 0x02;
constexpr int PANEL_REDRAW_INIT = 0x03;
constexpr int PANEL_MOUSE_IGNORE = 0x00;
constexpr int PANEL_MOUSE_LBDOWN = 0x01;
constexpr int PANEL_MOUSE_RBDOWN = 0x02;
constexpr int PANEL_MOUSE_LBUP = 0x04;
constexpr int PANEL_MOUSE_RBUP = 0x08;
constexpr int PANEL_MOUSE_LBPRESSED = 0x10;
constexpr int PANEL_MOUSE_RBPRESSED = 0x20;
constexpr int PANEL_MOUSE_DOWN = 0x03;
constexpr int PANEL_MOUSE_UP = 0x0C;
constexpr int PANEL_MOUSE_PRESSED = 0x30;
constexpr int PANEL_MAP_NONE = 0x00;
constexpr int PANEL_MAP_BACKGROUND = 0x01;
constexpr int PANEL_MAP_CURRENT = 0x02;

constexpr DWORD SURF_NO_CK = 0xFFFFFFFF;

// Mesh visibility modes.
constexpr WORD MESHVIS_NEVER = 0x00;
constexpr WORD MESHVIS_EXTERNAL = 0x01;
constexpr WORD MESHVIS_COCKPIT = 0x02;
constexpr WORD MESHVIS_ALWAYS = 0x03;
