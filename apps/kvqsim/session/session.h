// What people do, applied to the scene between frames on the simulation
// thread. Each person has a focus vessel, a keyboard and a mouse button of
// their own: a key or click goes to that person's vessel, with that
// person's keyboard state, while the host's focus is that vessel. The
// cockpit is one at a time, as in the simulator: entering one takes it.
// The same code serves a live session and its replay, so that both reach
// the same end state.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "apps/kvqsim/lua/pushback_task.h"
#include "apps/kvqsim/session/person.h"
#include "apps/kvqsim/session/protocol.h"
#include "host/orbiterapi.h"

namespace kvqsim {

class Session {
 public:
  // Applies one input of a person: their arrival, departure or lost window,
  // or a scene input (not time, pause, save or quit, which the caller
  // handles). False with a reason when it is refused; nothing then
  // changed. A key gets the keyboard state it was delivered with in
  // in->held. A person not seen before arrives first.
  bool Apply(int person, Input* in, std::string* error);
  // Before each frame: the held event of the cockpit's held mouse button.
  void BeforeFrame();
  // After each frame: focus changes a module made during it go to the
  // person they concern; a person whose vessel went moves on.
  void AfterFrame();
  // A vessel is being deleted: whoever looked at it needs another.
  void VesselDeleted(OBJHANDLE h);
  // The scene's origin (the first vessel's starting point), for positions
  // given in metres east and north of it.
  void SetOrigin(double lng, double lat) { lng0_ = lng, lat0_ = lat; }
  // Tries a pushback plan for the person's focus tractor (a pushback input
  // with check) without changing anything.
  bool PreviewPushback(int id, const Input& in, PushbackPreview* out, std::string* error);
  const PushbackTask& Pushback() const { return pushback_; }

  const std::vector<Person>& People() const { return people_; }
  const Person* Find(int id) const;
  int CockpitOwner() const { return cockpit_; }
  // What people should be told (their vessel went, the cockpit was taken),
  // by person; the caller empties it.
  std::vector<std::pair<int, std::string>>& Notices() { return notices_; }

 private:
  Person* FindMutable(int id);
  Person& Arrive(int id);
  void Release(Person& p);
  void Leave(int id);
  bool ApplyKey(Person& p, Input* in);
  void HostKey(Person& p, int code, bool down);
  bool ApplyMouse(Person& p, const Input& in, std::string* error);
  bool ApplyControl(Person& p, const Input& in, std::string* error);
  bool ApplyFocus(Person& p, const Input& in, std::string* error);
  bool ApplyCockpit(Person& p, const Input& in, std::string* error);
  bool EnterCockpit(Person& p, int position);
  bool ApplyPushback(Person& p, const Input& in, std::string* error);
  PushbackPlan PlanOf(const Input& in) const;
  void StopPushbackFor(const Person& p);
  void TakeFocusChanges(Person* actor);
  void MoveOn(Person& p, OBJHANDLE to);
  void FollowWithCockpit(Person& p);

  std::vector<Person> people_;
  int cockpit_ = 0;  // the person in the cockpit, 0 for nobody
  OBJHANDLE frameFocus_ = nullptr;  // the host's focus as the frame began
  std::vector<OBJHANDLE> changes_;  // reused
  std::vector<std::pair<int, std::string>> notices_;
  PushbackTask pushback_;
  double lng0_ = 0, lat0_ = 0;
};

// The scene's origin: where the first vessel stands. False without vessels.
bool SceneOrigin(double* lng, double* lat);

}  // namespace kvqsim
