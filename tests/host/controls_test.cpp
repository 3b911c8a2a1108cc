// Controls and interface: masses, thrusters, brakes, control surfaces,
// attitude modes, keys, the input box, the debug line, docking, lamps and
// animations as the host keeps them.
#include <cstring>

#include "tests/host/fixture.h"

TEST_F(HostTest, MassesAndThrusterGroups) {
  OBJHANDLE a = Landed("A", "HostTestVessel", 0, 0, 0);
  VESSEL* v = Iface(a);
  EXPECT_DOUBLE_EQ(v->GetMass(), 1010) << "empty mass plus the full 10 kg tank";
  PROPELLANT_HANDLE tank = nullptr;
  ASSERT_EQ(v->GetPropellantCount(), 1u);
  tank = v->CreatePropellantResource(5, 2);
  v->SetPropellantMass(tank, 9);
  EXPECT_DOUBLE_EQ(v->GetPropellantMass(tank), 5) << "clamped to the tank";
  EXPECT_DOUBLE_EQ(oapiGetFuelMass(a), 15);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_MAIN), 0);
  v->SetThrusterGroupLevel(THGROUP_MAIN, 0.4);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_MAIN), 0.4);
  v->SetThrusterGroupLevel(THGROUP_MAIN, 3);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_MAIN), 1);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_HOVER), 0) << "no such group";
  VESSELSTATUS vs;
  v->GetStatus(vs);
  EXPECT_DOUBLE_EQ(vs.eng_main, 1);
}

TEST_F(HostTest, BrakesSurfacesAndAttitudeMode) {
  VESSEL* v = Iface(Landed("A", "HostTestVessel", 0, 0, 0));
  v->SetWheelbrakeLevel(0.8);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(1), 0.8);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(2), 0.8);
  v->SetWheelbrakeLevel(0.2, 2);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(1), 0.8);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(2), 0.2);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(0), 0.5);
  v->SetWheelbrakeLevel(1, 1, false);
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(1), 1);
  sim::RunFrame();
  EXPECT_DOUBLE_EQ(v->GetWheelbrakeLevel(1), 0.8) << "a brake for one step only";

  EXPECT_EQ(v->GetADCtrlMode(), 7u);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, -0.6);
  EXPECT_DOUBLE_EQ(v->GetControlSurfaceLevel(AIRCTRL_RUDDER), -0.6);
  v->SetADCtrlMode(5);
  EXPECT_DOUBLE_EQ(v->GetControlSurfaceLevel(AIRCTRL_RUDDER), 0) << "rudder excluded";
  v->SetADCtrlMode(2);
  EXPECT_DOUBLE_EQ(v->GetControlSurfaceLevel(AIRCTRL_RUDDER), -0.6);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 7);
  EXPECT_DOUBLE_EQ(v->GetControlSurfaceLevel(AIRCTRL_RUDDER), 1);

  EXPECT_EQ(v->GetAttitudeMode(), 0);
  EXPECT_TRUE(v->SetAttitudeMode(2));
  EXPECT_EQ(v->GetAttitudeMode(), 2);
  EXPECT_FALSE(v->SetAttitudeMode(3));
  EXPECT_FALSE(v->SetAttitudeMode(-1));
  EXPECT_EQ(v->GetAttitudeMode(), 2);
}

TEST_F(HostTest, BufferedKeysReachTheVesselWithTheirKeyState) {
  VESSEL* v = Iface(Landed("A", "HostTestVessel", 0, 0, 0));
  // The test vessel answers 100 + the number of keys held.
  EXPECT_EQ(v->SendBufferedKey(OAPI_KEY_D), 100) << "no key state: every key released";
  char kstate[256] = {};
  kstate[OAPI_KEY_LSHIFT] = static_cast<char>(0x80);
  kstate[OAPI_KEY_D] = static_cast<char>(0x80);
  EXPECT_EQ(v->SendBufferedKey(OAPI_KEY_D, true, kstate), 102);
  EXPECT_EQ(v->SendBufferedKey(OAPI_KEY_A), 100);
}

namespace {

int g_calls = 0;
std::string g_seen;

bool AcceptNumbers(void* id, char* str, void* user) {
  ++g_calls;
  g_seen = str;
  *static_cast<int*>(user) += 1;
  return std::strlen(str) > 0 && str[0] >= '0' && str[0] <= '9';
}

}  // namespace

TEST_F(HostTest, InputBoxStaysOpenUntilAnswered) {
  EXPECT_FALSE(sim::InputBoxOpen());
  EXPECT_EQ(sim::InputBoxTitle(), nullptr);
  EXPECT_FALSE(sim::InputBoxEnter("x"));
  int user = 0;
  oapiOpenInputBox("Crew name?", AcceptNumbers, nullptr, 30, &user);
  EXPECT_TRUE(sim::InputBoxOpen());
  EXPECT_STREQ(sim::InputBoxTitle(), "Crew name?");
  EXPECT_FALSE(sim::InputBoxEnter("abc"));
  EXPECT_TRUE(sim::InputBoxOpen()) << "refused text keeps it open";
  EXPECT_TRUE(sim::InputBoxEnter("42"));
  EXPECT_FALSE(sim::InputBoxOpen());
  EXPECT_EQ(g_seen, "42");
  EXPECT_EQ(user, 2);
  oapiOpenInputBox("Again", AcceptNumbers, nullptr, 30, &user);
  sim::InputBoxCancel();
  EXPECT_FALSE(sim::InputBoxOpen());
  EXPECT_EQ(g_calls, 2) << "cancel does not call back";
}

TEST_F(HostTest, DebugLineIsAFixedBuffer) {
  EXPECT_STREQ(sim::DebugString(), "");
  char* d = oapiDebugString();
  std::snprintf(d, 256, "%s", std::string(400, 'y').c_str());
  EXPECT_EQ(std::strlen(sim::DebugString()), 255u);
}

TEST_F(HostTest, DockingPortsCoupleTwoVessels) {
  VESSEL* a = Iface(Landed("A", "HostTestVessel", 0, 0, 0));
  OBJHANDLE bh = Landed("B", "HostTestVessel", 0, 0, 0);
  VESSEL* b = Iface(bh);
  DOCKHANDLE da = a->CreateDock(_V(0, 1, 0), _V(0, 1, 0), _V(0, 0, 1));
  b->CreateDock(_V(0, 1, 0), _V(0, 1, 0), _V(0, 0, 1));
  EXPECT_EQ(a->DockCount(), 1u);
  EXPECT_EQ(a->GetDockHandle(0), da);
  EXPECT_EQ(a->GetDockStatus(da), nullptr);
  EXPECT_EQ(a->Dock(bh, 0, 0, 0), 0);
  EXPECT_EQ(a->GetDockStatus(da), bh);
  EXPECT_EQ(b->GetDockStatus(b->GetDockHandle(0)), a->GetHandle());
  EXPECT_NE(a->Dock(bh, 0, 0, 0), 0) << "port taken";
  EXPECT_TRUE(a->Undock(0));
  EXPECT_EQ(b->GetDockStatus(b->GetDockHandle(0)), nullptr);
  EXPECT_FALSE(a->Undock(0));
}

TEST_F(HostTest, BeaconsLightsAndAnimationsAreTheModulesRecords) {
  VESSEL* v = Iface(Landed("A", "HostTestVessel", 0, 0, 0));
  VECTOR3 pos{0, 2, 0}, col{1, 0, 0};
  BEACONLIGHTSPEC b1{BEACONSHAPE_DIFFUSE, &pos, &col, 0.2, 0.4, 0, 0, 0, true};
  BEACONLIGHTSPEC b2 = b1;
  v->AddBeacon(&b1);
  v->AddBeacon(&b2);
  b2.active = false;
  EXPECT_EQ(v->GetBeacon(0), &b1);
  EXPECT_FALSE(v->GetBeacon(1)->active) << "the host reads the module's record";
  EXPECT_EQ(v->GetBeacon(2), nullptr);
  EXPECT_TRUE(v->DelBeacon(&b1));
  EXPECT_EQ(v->GetBeacon(0), &b2);
  v->ClearBeacons();
  EXPECT_EQ(v->GetBeacon(0), nullptr);

  LightEmitter* l = v->AddSpotLight(_V(0, 0.5, 4), _V(0, 0, 1), 50, 0.001, 0, 0.001, 0.4, 1.0, {1, 1, 1, 0},
                                    {1, 1, 1, 0}, {0, 0, 0, 0});
  ASSERT_NE(l, nullptr);
  l->Activate(false);
  EXPECT_EQ(v->LightEmitterCount(), 1u);
  EXPECT_FALSE(v->GetLightEmitter(0)->IsActive());
  EXPECT_DOUBLE_EQ(static_cast<const SpotLight*>(v->GetLightEmitter(0))->penumbra, 1.0);
  v->ClearLightEmitters();
  EXPECT_EQ(v->LightEmitterCount(), 0u);

  // The test vessel made animations 0, 1, 2 with states 0, 0.25, 0.5.
  EXPECT_DOUBLE_EQ(v->GetAnimation(1), 0.25);
  const UINT id = v->CreateAnimation(0.75);
  EXPECT_EQ(id, 3u);
  UINT grp[1] = {4};
  MGROUP_ROTATE rot(0, grp, 1, _V(0, 0, 0), _V(1, 0, 0), 1.0f);
  ANIMATIONCOMPONENT_HANDLE parent = v->AddAnimationComponent(id, 0, 1, &rot);
  MGROUP_TRANSLATE tr(0, grp, 1, _V(0, 0, 1));
  EXPECT_NE(v->AddAnimationComponent(id, 0, 0.5, &tr, parent), nullptr);
  EXPECT_EQ(v->AddAnimationComponent(99, 0, 1, &tr), nullptr);
  EXPECT_TRUE(v->SetAnimation(id, 0.1));
  EXPECT_DOUBLE_EQ(v->GetAnimation(id), 0.1);
  EXPECT_FALSE(v->SetAnimation(99, 0.1));
}

TEST_F(HostTest, CameraSettingsAreKept) {
  VESSEL* v = Iface(Landed("A", "HostTestVessel", 0, 0, 0));
  v->SetCameraOffset(_V(-0.65, 1.8, 3.5));
  v->SetCameraDefaultDirection(_V(0, 0, -1));
  VECTOR3 o, d;
  v->GetCameraOffset(o);
  v->GetCameraDefaultDirection(d);
  EXPECT_DOUBLE_EQ(o.x, -0.65);
  EXPECT_DOUBLE_EQ(d.z, -1);
}
