// The vessel base classes of the host. A vessel module derives from VESSEL3
// and overrides the callbacks it needs; the host holds every vessel through a
// VESSEL pointer and calls the callbacks on its one thread.
#pragma once

#include "host/light.h"
#include "host/types.h"

class VESSEL {
 public:
  VESSEL(OBJHANDLE hVessel, int fmodel = 1);
  virtual ~VESSEL();

  OBJHANDLE GetHandle() const { return hVessel; }
  const char* GetName() const;
  const char* GetClassName() const;
  int GetFlightModel() const { return flightModel; }

  // Definition.
  void SetSize(double size) const;
  double GetSize() const;
  void SetEmptyMass(double m) const;
  double GetEmptyMass() const;
  double GetMass() const;
  void SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const;
  void GetTouchdownPoints(VECTOR3& pt1, VECTOR3& pt2, VECTOR3& pt3) const;
  PROPELLANT_HANDLE CreatePropellantResource(double maxmass, double mass = -1.0, double efficiency = 1.0) const;
  void SetPropellantMass(PROPELLANT_HANDLE ph, double mass) const;
  double GetPropellantMass(PROPELLANT_HANDLE ph) const;
  double GetPropellantMaxMass(PROPELLANT_HANDLE ph) const;
  DWORD GetPropellantCount() const;
  THRUSTER_HANDLE CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0, PROPELLANT_HANDLE hp = nullptr,
                                 double isp1 = 0.0, double isp2 = 0.0, double p_ref = 101.4e3) const;
  THGROUP_HANDLE CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE thgt) const;
  double GetThrusterGroupLevel(THGROUP_TYPE thgt) const;
  void SetThrusterGroupLevel(THGROUP_TYPE thgt, double level) const;
  ATTACHMENTHANDLE CreateAttachment(bool toparent, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot,
                                    const char* id, bool loose = false) const;
  UINT AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs = nullptr) const;
  UINT AddMesh(const char* meshname, const VECTOR3* ofs = nullptr) const;
  void SetMeshVisibilityMode(UINT meshidx, WORD mode) const;
  UINT GetMeshCount() const;
  DEVMESHHANDLE GetDevMesh(VISHANDLE vis, UINT idx) const;

  // Camera.
  void SetCameraOffset(const VECTOR3& co) const;
  void GetCameraOffset(VECTOR3& co) const;
  void SetCameraDefaultDirection(const VECTOR3& cd) const;
  void GetCameraDefaultDirection(VECTOR3& cd) const;
  void SetCameraCatchAngle(double cangle) const;
  void SetCameraRotationRange(double left, double right, double up, double down) const;

  // Lights.
  void AddBeacon(BEACONLIGHTSPEC* bs);
  bool DelBeacon(BEACONLIGHTSPEC* bs);
  void ClearBeacons();
  const BEACONLIGHTSPEC* GetBeacon(DWORD idx) const;
  LightEmitter* AddSpotLight(const VECTOR3& pos, const VECTOR3& dir, double range, double att0, double att1,
                             double att2, double umbra, double penumbra, const COLOUR4& diffuse,
                             const COLOUR4& specular, const COLOUR4& ambient) const;
  DWORD LightEmitterCount() const;
  const LightEmitter* GetLightEmitter(DWORD i) const;
  void ClearLightEmitters() const;

  // Animations.
  UINT CreateAnimation(double initial_state) const;
  ANIMATIONCOMPONENT_HANDLE AddAnimationComponent(UINT anim, double state0, double state1, MGROUP_TRANSFORM* trans,
                                                  ANIMATIONCOMPONENT_HANDLE parent = nullptr) const;
  bool SetAnimation(UINT anim, double state) const;
  double GetAnimation(UINT anim) const;

  // State and motion.
  void GetStatus(VESSELSTATUS& status) const;
  void GetStatusEx(void* status) const;
  void DefSetStateEx(const void* status) const;
  int GetFlightStatus() const;
  double GetWheelbrakeLevel(int which) const;
  void SetWheelbrakeLevel(double level, int which = 0, bool permanent = true) const;
  double GetControlSurfaceLevel(AIRCTRL_TYPE type) const;
  void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const;
  int GetAttitudeMode() const;
  bool SetAttitudeMode(int mode) const;
  void SetADCtrlMode(DWORD mode) const;
  DWORD GetADCtrlMode() const;
  bool GetWeightVector(VECTOR3& G) const;
  OBJHANDLE GetGravityRef() const;
  void GetGlobalPos(VECTOR3& pos) const;
  void GetAngularVel(VECTOR3& avel) const;
  void GetRotationMatrix(MATRIX3& R) const;
  void SetRotationMatrix(const MATRIX3& R) const;
  void Local2Global(const VECTOR3& local, VECTOR3& global) const;
  void Global2Local(const VECTOR3& global, VECTOR3& local) const;
  void Local2Rel(const VECTOR3& local, VECTOR3& rel) const;
  void GlobalRot(const VECTOR3& rloc, VECTOR3& rglob) const;

  // Coupling.
  bool AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE child_attachment) const;
  bool DetachChild(ATTACHMENTHANDLE attachment, double vel = 0.0) const;
  DWORD AttachmentCount(bool toparent) const;
  ATTACHMENTHANDLE GetAttachmentHandle(bool toparent, DWORD i) const;
  const char* GetAttachmentId(ATTACHMENTHANDLE attachment) const;
  OBJHANDLE GetAttachmentStatus(ATTACHMENTHANDLE attachment) const;
  void GetAttachmentParams(ATTACHMENTHANDLE attachment, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const;
  void SetAttachmentParams(ATTACHMENTHANDLE attachment, const VECTOR3& pos, const VECTOR3& dir,
                           const VECTOR3& rot) const;
  DWORD GetAttachmentIndex(ATTACHMENTHANDLE attachment) const;

  // Docking.
  DOCKHANDLE CreateDock(const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const;
  UINT DockCount() const;
  DOCKHANDLE GetDockHandle(UINT n) const;
  OBJHANDLE GetDockStatus(DOCKHANDLE hDock) const;
  int Dock(OBJHANDLE target, UINT n, UINT tgtn, UINT mode) const;
  bool Undock(UINT n) const;

  // Scenario and interface.
  void ParseScenarioLineEx(char* line, void* status) const;
  int SendBufferedKey(DWORD key, bool down = true, char* kstate = nullptr);

  // Callbacks with their default behaviour.
  virtual void clbkSetClassCaps(FILEHANDLE cfg);
  virtual void clbkSaveState(FILEHANDLE scn);
  virtual void clbkLoadStateEx(FILEHANDLE scn, void* status);
  virtual void clbkPostCreation();
  virtual void clbkPreStep(double simt, double simdt, double mjd);
  virtual void clbkPostStep(double simt, double simdt, double mjd);
  virtual void clbkVisualCreated(VISHANDLE vis, int refcount);
  virtual void clbkVisualDestroyed(VISHANDLE vis, int refcount);
  virtual int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate);
  virtual bool clbkLoadGenericCockpit();
  virtual bool clbkLoadVC(int id);
  virtual bool clbkVCMouseEvent(int id, int event, VECTOR3& p);
  virtual bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf);

  VESSEL(const VESSEL&) = delete;
  VESSEL& operator=(const VESSEL&) = delete;

 protected:
  OBJHANDLE hVessel;
  int flightModel;
};

class VESSEL2 : public VESSEL {
 public:
  VESSEL2(OBJHANDLE hVessel, int fmodel = 1) : VESSEL(hVessel, fmodel) {}
  // Writes the host's own scenario lines of the vessel.
  void clbkSaveState(FILEHANDLE scn) override;
};

class VESSEL3 : public VESSEL2 {
 public:
  VESSEL3(OBJHANDLE hVessel, int fmodel = 1) : VESSEL2(hVessel, fmodel) {}
  // Generic message from the host; message 2 hands over the Lua state.
  virtual int clbkGeneric(int msgid = 0, int prm = 0, void* context = nullptr);
};

// Generic message ids of clbkGeneric.
constexpr int VMSG_LUAINTERPRETER = 1;
constexpr int VMSG_LUAINSTANCE = 2;
