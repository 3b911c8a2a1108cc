#include "vessel/crew_setup.h"

#include "vessel/kvq_r7700.h"

void SetUpCrew(KVQ_R7700& v) {
  CrewClient& crew = v.crew;
  crew.Init(v.GetHandle());
  crew.DefineAirlock(1, -4, 4, 0, 3, 2, 5);
  crew.SetEvaPlacement({-2, 1.2, 3.5}, {0, 0, 0});
  crew.SetMaxCrew(2);
  crew.AddMember(DEFAULT_CREW_NAME, 28, 65, 74, "Eng");
  v.selectedCrewSlot = 0;
  // A person on foot at either hitch can make the tractor couple or release.
  crew.DeclareActionArea(0, {0, 0.45, -9.91}, 5, 1, "action_activated.wav", "Vessel Attached to the back");
  crew.DeclareActionArea(1, {0, 0.45, 10.01}, 5, 1, "action_activated.wav", "Vessel Attached to the front");
}
