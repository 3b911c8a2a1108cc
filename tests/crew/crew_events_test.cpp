// The crew keys, the add-crew dialogue through the host's input boxes, and
// the hitch action areas in the add-on's shared table.
#include <gtest/gtest.h>

#include <string>

#include "crew/action_area_table.h"
#include "drive/crew_events.h"
#include "host/keys.h"
#include "tests/crew/crew_test_root.h"
#include "towing/crew_keys.h"

namespace {

class CrewEventsTest : public CrewHostTest {
 protected:
  void Start(const TestRootOptions& options = {}) {
    StartWithTractor(options);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(v->crew.IsReady());
  }
  int Key(DWORD key, DWORD modifier = 0) {
    char kstate[256] = {};
    if (modifier != 0) kstate[modifier] = static_cast<char>(0x80);
    return HandleCrewKeys(*v, key, kstate);
  }
  // Runs the three boxes; returns the message posted.
  std::string Dialogue(const char* name, const char* age, const char* function) {
    EXPECT_EQ(Key(OAPI_KEY_4), 0);
    sim::RunFrame();
    EXPECT_TRUE(sim::InputBoxOpen());
    EXPECT_STREQ(sim::InputBoxTitle(), "Enter new crew's name (or escape)");
    EXPECT_TRUE(sim::InputBoxEnter(name));
    sim::RunFrame();
    EXPECT_STREQ(sim::InputBoxTitle(), "Enter crew's age");
    EXPECT_TRUE(sim::InputBoxEnter(age));
    sim::RunFrame();
    EXPECT_STREQ(sim::InputBoxTitle(), "Enter function (Capt,Sec,Vip,Sci,Doc,Tech,Crew,Pax)");
    EXPECT_TRUE(sim::InputBoxEnter(function));
    sim::RunFrame();
    EXPECT_EQ(v->crewPrompt.crewPromptState, 0);
    return v->messageText;
  }
  ActionAreaEntry* Area(int id) {
    ActionAreaTable* t = v->crew.actionTable;
    for (int i = 0; t != nullptr && i < ACTION_AREA_ENTRIES; ++i)
      if (t->entries[i].inUse == 1 && t->entries[i].owner == tug && t->entries[i].id == id) return &t->entries[i];
    return nullptr;
  }
};

TEST_F(CrewEventsTest, TheDialogueAddsAMemberWithTheTypedAgeClamped) {
  Start();
  ASSERT_EQ(v->crew.SetMaxCrew(8), 1);
  EXPECT_EQ(Dialogue("Zoe Park", "42abc", "Doc"), "Crew \"Zoe Park\" aged 42 added to vessel");
  EXPECT_EQ(v->crew.GetCrewAge("zoe park"), 42);
  EXPECT_STREQ(v->crew.GetCrewFunction("Zoe Park"), "Doc");
  EXPECT_EQ(v->crew.GetCrewWeight(1), 70);
  EXPECT_EQ(v->crew.roster[1].pulse, 70);
  // A one-character text never passes the box, so 3 is typed with a blank.
  EXPECT_EQ(Dialogue("Young One", " 3", "Pax"), "Crew \"Young One\" aged 5 added to vessel");
  EXPECT_EQ(Dialogue("Old One", "250", "Crew"), "Crew \"Old One\" aged 100 added to vessel");
  EXPECT_EQ(Dialogue("No Age", "about ten", "Crew"), "Crew \"No Age\" aged 5 added to vessel");
  EXPECT_EQ(v->messageTime, 15.0);
  // Beyond every integer width: the largest age, not a wrapped one.
  EXPECT_EQ(Dialogue("Huge Age", "4294967300", "Crew"), "Crew \"Huge Age\" aged 100 added to vessel");
  EXPECT_EQ(Dialogue("Huger Age", "30000000000", "Crew"), "Crew \"Huger Age\" aged 100 added to vessel");
}

TEST_F(CrewEventsTest, AMemberAddedWithADashInTheCodeSurvivesSaveAndLoad) {
  Start();
  ASSERT_EQ(v->crew.RemoveMember(v->crew.GetCrewName(0)), 1) << "two seats free";
  EXPECT_EQ(Dialogue("Cy Young", "40", "a-b"), "Crew \"Cy Young\" aged 40 added to vessel");
  EXPECT_EQ(Dialogue("Di Blank", "33", "Do c"), "Crew \"Di Blank\" aged 33 added to vessel");
  const std::string path = root + "/dialogue.scn";
  ASSERT_TRUE(sim::SaveScenario(path));
  ASSERT_TRUE(oapiDeleteVessel(tug));
  sim::RunFrame();
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(path, &error)) << error;
  KVQ_R7700* back = Tractor(oapiGetVesselByName("Tug"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->crew.GetCrewCount(), 2);
  const CrewMember& cy = back->crew.roster[0];
  EXPECT_STREQ(cy.name, "Cy Young");
  EXPECT_STREQ(cy.functionCode, "ab");
  EXPECT_EQ(cy.age, 40);
  EXPECT_EQ(cy.pulse, 70);
  EXPECT_EQ(cy.weight, 70);
  EXPECT_STREQ(back->crew.roster[1].functionCode, "Doc") << "a blank is left out, not saved as \"_\"";
}

TEST_F(CrewEventsTest, AFullTractorReportsTheRefusal) {
  Start();
  ASSERT_EQ(v->crew.AddMember("Bo", 30, 60, 60, ""), 1);
  EXPECT_EQ(Dialogue("Extra", "30", "Sec"), "ERROR: Crew not added (vessel full?)");
  EXPECT_EQ(v->crew.GetCrewCount(), 2);
}

TEST_F(CrewEventsTest, TheNameBoxTakesTwoToThirtyEightCharacters) {
  Start();
  ASSERT_EQ(Key(OAPI_KEY_4), 0);
  sim::RunFrame();
  EXPECT_FALSE(sim::InputBoxEnter("A"));
  EXPECT_FALSE(sim::InputBoxEnter(std::string(39, 'b').c_str()));
  EXPECT_EQ(v->crewPrompt.crewPromptState, 2);
  EXPECT_TRUE(sim::InputBoxEnter(std::string(38, 'c').c_str()));
  EXPECT_EQ(v->crewPrompt.crewPromptState, 3);
  EXPECT_EQ(std::string(v->crewPrompt.crewPromptName), std::string(38, 'c'));

  CrewPromptBlock idle{};
  char text[] = "Ann";
  EXPECT_TRUE(CrewPromptInput(nullptr, text, &idle)) << "a text in no box is taken and dropped";
  EXPECT_EQ(idle.crewPromptName[0], '\0');
  EXPECT_FALSE(CrewPromptInput(nullptr, text, nullptr));
}

TEST_F(CrewEventsTest, AnEscapedBoxStallsUntilTheKeyRestartsTheDialogue) {
  Start();
  ASSERT_EQ(Key(OAPI_KEY_4), 0);
  sim::RunFrame();
  ASSERT_TRUE(sim::InputBoxEnter("Half Done"));
  sim::RunFrame();
  sim::InputBoxCancel();
  for (int i = 0; i < 10; ++i) sim::RunFrame();
  EXPECT_EQ(v->crewPrompt.crewPromptState, 4);
  EXPECT_FALSE(sim::InputBoxOpen());
  ASSERT_EQ(Key(OAPI_KEY_4), 0);
  EXPECT_EQ(v->crewPrompt.crewPromptName[0], '\0') << "a restart clears what was typed";
  EXPECT_EQ(v->crewPrompt.crewPromptState, 1);
}

TEST_F(CrewEventsTest, CrewKeysSelectSendOutAndIgnoreModifiers) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_EQ(c.SetMaxCrew(3), 1);
  ASSERT_EQ(c.AddMember("Bo", 30, 60, 60, ""), 1);
  ASSERT_EQ(c.AddMember("Cy", 30, 60, 60, ""), 1);
  const int expected[] = {1, 2, 2};
  for (int e : expected) {
    EXPECT_EQ(Key(OAPI_KEY_1), 1);
    EXPECT_EQ(v->selectedCrewSlot, e);
  }
  for (int e : {1, 0, 0}) {
    EXPECT_EQ(Key(OAPI_KEY_2), 1);
    EXPECT_EQ(v->selectedCrewSlot, e);
  }
  EXPECT_EQ(Key(OAPI_KEY_E, OAPI_KEY_LSHIFT), 0);
  EXPECT_EQ(Key(OAPI_KEY_E, OAPI_KEY_RCONTROL), 0);
  EXPECT_EQ(c.GetCrewCount(), 3);
  v->speed = 0.5;
  EXPECT_EQ(Key(OAPI_KEY_E), 1);
  EXPECT_EQ(c.GetCrewCount(), 3) << "nobody leaves a moving tractor";
  v->speed = 0;
  EXPECT_EQ(Key(OAPI_KEY_E), 1);
  EXPECT_EQ(c.GetCrewCount(), 2);
  EXPECT_EQ(Key(OAPI_KEY_4, OAPI_KEY_LCONTROL), 0);
  EXPECT_EQ(v->crewPrompt.crewPromptState, 0);
  EXPECT_EQ(Key(OAPI_KEY_F), 0);
}

TEST_F(CrewEventsTest, SelectionKeysDoNothingWithoutCrew) {
  Start();
  ASSERT_EQ(v->crew.RemoveMember(v->crew.GetCrewName(0)), 1);
  EXPECT_EQ(Key(OAPI_KEY_1), 1);
  EXPECT_EQ(Key(OAPI_KEY_2), 1);
  EXPECT_EQ(v->selectedCrewSlot, 0);
}

TEST_F(CrewEventsTest, TheHitchAreasAreDeclaredOnceAndRelabelled) {
  Start();
  CrewClient& c = v->crew;
  ASSERT_NE(c.actionTable, nullptr);
  // The add-on's table outlives the vessels of earlier tests in this process,
  // and a new vessel may get a dead one's handle and with it its entries.
  const int declared = c.actionAreaCount;
  EXPECT_LE(declared, 2);
  ActionAreaEntry* back = Area(0);
  ActionAreaEntry* front = Area(1);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(front, nullptr);
  EXPECT_STREQ(back->label, "Vessel Attached to the back");
  EXPECT_STREQ(front->soundFile, "action_activated.wav");
  EXPECT_EQ(front->position.z, 10.01);
  EXPECT_EQ(front->radius, 5);
  EXPECT_EQ(front->option, 1);
  const int taken = c.actionTable->entriesTaken;
  EXPECT_EQ(c.DeclareActionArea(1, {0, 1, 10}, 2, 1, "other.wav", "again"), 1);
  EXPECT_EQ(Area(1), front) << "the same id reuses its entry";
  EXPECT_STREQ(front->label, "again");
  EXPECT_EQ(front->radius, 2);
  EXPECT_EQ(c.actionTable->entriesTaken, taken);
  EXPECT_EQ(c.actionAreaCount, declared);
  EXPECT_EQ(c.DeclareActionArea(5, {0, 0, 0}, 0.5, 1, nullptr, nullptr), 0);
  EXPECT_EQ(c.SetActionAreaText(0, std::string(80, 'L').c_str()), 1);
  EXPECT_EQ(std::string(back->label), std::string(50, 'L')) << "labels are cut at the field";
  EXPECT_EQ(c.SetActionAreaText(7, "none"), 0);
}

TEST_F(CrewEventsTest, AnActivationIsReportedOnceAndOnlyToItsOwner) {
  Start();
  OBJHANDLE other = CreateTractor("Tug2", 0.001, 0, 0);
  KVQ_R7700* w = Tractor(other);
  ActionAreaTable* t = v->crew.actionTable;
  ASSERT_EQ(t, w->crew.actionTable) << "one table for the whole scene";
  t->activatedVessel = other;
  t->activatedId = 1;
  EXPECT_EQ(v->crew.PollActionArea(), -1);
  EXPECT_EQ(t->activatedVessel, other) << "another vessel's activation stays";
  EXPECT_EQ(w->crew.PollActionArea(), 1);
  EXPECT_EQ(w->crew.PollActionArea(), -1);
  EXPECT_EQ(t->activatedVessel, nullptr);
}

TEST_F(CrewEventsTest, AnOutdatedAddOnGetsNoActionAreas) {
  TestRootOptions options;
  options.version = "1.5";
  Start(options);
  EXPECT_EQ(v->crew.actionAreaCount, 0);
  EXPECT_EQ(v->crew.DeclareActionArea(0, {0, 0, 0}, 5, 1, nullptr, nullptr), 0);
  EXPECT_EQ(v->crew.PollActionArea(), -1);
}

TEST_F(CrewEventsTest, TheBackAreaSendsTheHitchKeyAndRelabels) {
  Start();
  ActionAreaTable* t = v->crew.actionTable;
  ASSERT_NE(t, nullptr);
  t->activatedVessel = tug;
  t->activatedId = 0;
  v->towMode = -2;
  StepCrewEvents(*v);
  EXPECT_STREQ(Area(0)->label, "Vessel Dettached from the back");
  t->activatedVessel = tug;
  t->activatedId = 0;
  v->towMode = 0;
  StepCrewEvents(*v);
  EXPECT_STREQ(Area(0)->label, "Vessel Attached to the back");
}

}  // namespace
