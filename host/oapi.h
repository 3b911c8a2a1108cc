// The host's free functions (oapi...), as the vessel module calls them.
#pragma once

#include "host/sketchpad.h"
#include "host/types.h"

class VESSEL;

// Library start-up: every module calls this with its own instance.
OAPIFUNC void InitLib(HINSTANCE hModule);
// Date text "Mmm dd yyyy" as the integer yymmdd.
OAPIFUNC int Date2Int(const char* date);

// Time.
OAPIFUNC double oapiGetSimTime();
OAPIFUNC double oapiGetSimStep();
OAPIFUNC double oapiGetSysTime();
OAPIFUNC double oapiRand();  // 0..1, from a fixed seed

// Objects and vessels.
OAPIFUNC DWORD oapiGetVesselCount();
OAPIFUNC OBJHANDLE oapiGetVesselByIndex(int index);
OAPIFUNC OBJHANDLE oapiGetVesselByName(const char* name);
OAPIFUNC VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel);
OAPIFUNC OBJHANDLE oapiCreateVessel(const char* name, const char* classname, const VESSELSTATUS& status);
OAPIFUNC bool oapiDeleteVessel(OBJHANDLE hVessel, OBJHANDLE hAlternativeCameraTarget = nullptr);
OAPIFUNC OBJHANDLE oapiSetFocusObject(OBJHANDLE hVessel);
OAPIFUNC OBJHANDLE oapiGetFocusObject();
OAPIFUNC OBJHANDLE oapiGetObjectByName(const char* name);
OAPIFUNC void oapiGetObjectName(OBJHANDLE hObj, char* name, int n);
OAPIFUNC void oapiGetGlobalPos(OBJHANDLE hObj, VECTOR3* pos);
OAPIFUNC double oapiGetSize(OBJHANDLE hObj);
OAPIFUNC double oapiGetMass(OBJHANDLE hObj);
OAPIFUNC double oapiGetEmptyMass(OBJHANDLE hVessel);
OAPIFUNC void oapiSetEmptyMass(OBJHANDLE hVessel, double mass);
OAPIFUNC double oapiGetFuelMass(OBJHANDLE hVessel);

// Meshes, textures and drawing.
OAPIFUNC MESHHANDLE oapiLoadMeshGlobal(const char* fname);
OAPIFUNC SURFHANDLE oapiGetTextureHandle(MESHHANDLE hMesh, DWORD texidx);
OAPIFUNC bool oapiBlt(SURFHANDLE tgt, SURFHANDLE src, int tgtx, int tgty, int srcx, int srcy, int w, int h,
                      DWORD ck = SURF_NO_CK);
OAPIFUNC int oapiSetMaterial(DEVMESHHANDLE hMesh, int mat_idx, const MATERIAL* mat);
OAPIFUNC int oapiEditMeshGroup(DEVMESHHANDLE hMesh, DWORD grpidx, GROUPEDITSPEC* ges);
OAPIFUNC oapi::Sketchpad* oapiGetSketchpad(SURFHANDLE surf);
OAPIFUNC void oapiReleaseSketchpad(oapi::Sketchpad* skp);
OAPIFUNC oapi::Font* oapiCreateFont(int height, bool prop, const char* face, oapi::FontStyle style = FONT_NORMAL);
OAPIFUNC void oapiReleaseFont(oapi::Font* font);
OAPIFUNC oapi::Pen* oapiCreatePen(int style, int width, DWORD col);
OAPIFUNC void oapiReleasePen(oapi::Pen* pen);
OAPIFUNC void oapiCameraSetAperture(double aperture);

// Virtual cockpit.
OAPIFUNC void oapiVCSetNeighbours(int left, int right, int top, int bottom);
OAPIFUNC void oapiVCRegisterArea(int id, int draw_event, int mouse_event);
OAPIFUNC void oapiVCRegisterArea(int id, const RECT& tgtrect, int draw_event, int mouse_event, int bkmode,
                                 SURFHANDLE tgt);
OAPIFUNC void oapiVCSetAreaClickmode_Quadrilateral(int id, const VECTOR3& p1, const VECTOR3& p2, const VECTOR3& p3,
                                                   const VECTOR3& p4);
OAPIFUNC void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad);
OAPIFUNC void oapiVCTriggerRedrawArea(int vc_id, int area_id);

// Scenario files and class configuration files.
OAPIFUNC bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line);
// Copies the item's value of a class file; `string` must hold 256 characters.
OAPIFUNC bool oapiReadItem_string(FILEHANDLE f, const char* item, char* string);
OAPIFUNC void oapiWriteScenario_string(FILEHANDLE scn, const char* item, const char* string);

// User interface.
using InputBoxCallback = bool (*)(void* id, char* str, void* usrdata);
OAPIFUNC void oapiOpenInputBox(const char* title, InputBoxCallback Clbk, const char* buf = nullptr, int vislen = 20,
                               void* usrdata = nullptr);
OAPIFUNC char* oapiDebugString();  // 256 characters shown as the debug line
