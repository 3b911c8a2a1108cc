#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "host/keys.h"
#include "towing/key_commands.h"

namespace {

struct Keys {
  char state[256] = {};
  Keys(std::initializer_list<int> held) {
    for (int k : held) state[k] = static_cast<char>(0x80);
  }
};

std::vector<KeyAction> Actions(DWORD key, const char* kstate) {
  const KeyPlan plan = PlanKeyCommands(key, kstate);
  std::vector<KeyAction> out;
  for (int i = 0; i < plan.count; ++i) out.push_back(plan.commands[i].action);
  return out;
}

using A = KeyAction;

}  // namespace

TEST(KeyCommands, PlainKeysActWhateverModifiersAreHeld) {
  const struct {
    int key;
    KeyAction action;
  } table[] = {{OAPI_KEY_W, A::GearUp},      {OAPI_KEY_S, A::GearDown},   {OAPI_KEY_V, A::TowbarFront},
               {OAPI_KEY_B, A::TowbarRear}, {OAPI_KEY_D, A::HitchFront}, {OAPI_KEY_A, A::HitchRear}};
  const Keys none{}, rshift{OAPI_KEY_RSHIFT}, rctrl{OAPI_KEY_RCONTROL};
  for (const auto& row : table) {
    for (const char* state : {static_cast<const char*>(nullptr), none.state, rshift.state, rctrl.state}) {
      EXPECT_EQ(Actions(row.key, state), std::vector<KeyAction>{row.action}) << row.key;
    }
  }
}

TEST(KeyCommands, LeftShiftAddsItsCommandAfterThePlainOne) {
  const Keys shift{OAPI_KEY_LSHIFT};
  EXPECT_EQ(Actions(OAPI_KEY_B, shift.state), (std::vector<KeyAction>{A::TowbarRear, A::ReleaseTowbar}));
  EXPECT_EQ(Actions(OAPI_KEY_D, shift.state), (std::vector<KeyAction>{A::HitchFront, A::ReleaseVesselFront}));
  EXPECT_EQ(Actions(OAPI_KEY_A, shift.state), (std::vector<KeyAction>{A::HitchRear, A::ReleaseVesselRear}));
  EXPECT_EQ(Actions(OAPI_KEY_H, shift.state), std::vector<KeyAction>{A::ToggleLights});
  EXPECT_EQ(Actions(OAPI_KEY_F, shift.state), std::vector<KeyAction>{A::ToggleBeacons});
  EXPECT_EQ(Actions(OAPI_KEY_P, shift.state), std::vector<KeyAction>{A::ToggleParkingBrake});
  // The right Shift is no modifier for the vessel's commands.
  const Keys rshift{OAPI_KEY_RSHIFT};
  EXPECT_TRUE(Actions(OAPI_KEY_H, rshift.state).empty());
  EXPECT_TRUE(Actions(OAPI_KEY_H, nullptr).empty());
}

TEST(KeyCommands, RedrawRequests) {
  const Keys shift{OAPI_KEY_LSHIFT}, ctrlO{OAPI_KEY_LCONTROL, OAPI_KEY_O};
  const struct {
    int key;
    const char* state;
    int area;
    bool both;
  } table[] = {{OAPI_KEY_W, nullptr, 6, true},     {OAPI_KEY_S, nullptr, 6, true},
               {OAPI_KEY_H, shift.state, 7, false}, {OAPI_KEY_F, shift.state, 8, false},
               {OAPI_KEY_P, shift.state, 5, true},  {OAPI_KEY_O, ctrlO.state, 9, false},
               {OAPI_KEY_V, nullptr, 0, false},     {OAPI_KEY_D, nullptr, 0, false}};
  for (const auto& row : table) {
    const KeyPlan plan = PlanKeyCommands(row.key, row.state);
    ASSERT_EQ(plan.count, 1) << row.key;
    EXPECT_EQ(plan.commands[0].redrawArea, row.area) << row.key;
    EXPECT_EQ(plan.commands[0].bothCockpits, row.both) << row.key;
  }
}

TEST(KeyCommands, CtrlCombinationsFireFromTheKeyboardState) {
  const Keys ctrlO{OAPI_KEY_LCONTROL, OAPI_KEY_O};
  EXPECT_EQ(Actions(OAPI_KEY_O, ctrlO.state), std::vector<KeyAction>{A::ToggleRealismMode});
  // Any key-down event while the combination is held.
  EXPECT_EQ(Actions(OAPI_KEY_X, ctrlO.state), std::vector<KeyAction>{A::ToggleRealismMode});
  const Keys ctrlEF{OAPI_KEY_LCONTROL, OAPI_KEY_E, OAPI_KEY_F};
  EXPECT_EQ(Actions(OAPI_KEY_E, ctrlEF.state), (std::vector<KeyAction>{A::ToggleEngine, A::Refuel}));
  // Shift and Ctrl together: plain, then Shift, then Ctrl.
  const Keys all{OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_E};
  EXPECT_EQ(Actions(OAPI_KEY_D, all.state),
            (std::vector<KeyAction>{A::HitchFront, A::ReleaseVesselFront, A::ToggleEngine}));
  // The right Ctrl does not count, nor a Ctrl without its partner key.
  const Keys rctrlO{OAPI_KEY_RCONTROL, OAPI_KEY_O}, ctrl{OAPI_KEY_LCONTROL};
  EXPECT_TRUE(Actions(OAPI_KEY_O, rctrlO.state).empty());
  EXPECT_TRUE(Actions(OAPI_KEY_O, ctrl.state).empty());
}

TEST(KeyCommands, OnlyAAndDAreHitchKeys) {
  EXPECT_TRUE(IsHitchKey(OAPI_KEY_A));
  EXPECT_TRUE(IsHitchKey(OAPI_KEY_D));
  for (int k : {OAPI_KEY_B, OAPI_KEY_V, OAPI_KEY_E, OAPI_KEY_S}) EXPECT_FALSE(IsHitchKey(k));
}
