// The state the page shows, read from the scene on the simulation thread
// without changing it, as the JSON objects of the page's protocol
// (page/README.md). The scene's part is made once per publication; each
// person then gets the vessels that changed since their last state, in full
// near the place they look at (the view they report) and as positions now
// and then farther away, so that the cost grows with what changed and what
// is seen, not with the scene. GET /state.json has everything.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/kvqsim/lua/pushback_task.h"
#include "apps/kvqsim/serve/event_log.h"
#include "apps/kvqsim/serve/plan_store.h"
#include "apps/kvqsim/serve/scene_assets.h"
#include "apps/kvqsim/serve/tracks.h"
#include "apps/kvqsim/session/session.h"
#include "host/orbiterapi.h"

namespace kvqsim {

struct PaceState {
  int accel = 1;
  bool paused = false;
  double realtime = 0;               // simulation seconds per wall second, lately
  double lateMean = 0, lateMax = 0;  // s frames started after their due time, lately
};

class Snapshot {
 public:
  using Clock = std::chrono::steady_clock;
  explicit Snapshot(AssetStore* assets) : assets_(assets) {}

  // Takes the scene's origin (the first vessel's position) and finds the
  // sound add-on's slot query.
  void Begin();
  // Reads the scene: what changed since the last call gets a new stamp.
  void Scene(const PaceState& pace, const Session& session, Clock::time_point now);
  // The state for one person: their own part and the vessels changed since
  // the last state made for them.
  std::string StateFor(const Session& session, const Person& person, Clock::time_point now);
  // Everything, as one person sees it (null: the person in the cockpit,
  // else the first one, else nobody).
  std::string FullState(const Session& session, const Person* person);

  // The place a person looks at: vessels within `radius` metres of (east,
  // north) come in full, the others as positions once a second.
  void SetView(int person, double east, double north, double radius);
  void Applied(int person, int64_t seq) { people_[person].seq = seq; }
  void Forget(int person) { people_.erase(person); }
  void VesselDeleted(OBJHANDLE h);

  // What happened, for every page (kept for the session).
  EventLog& Events() { return events_; }
  // The plans offered for the aircraft at their stands, by aircraft name,
  // with points by longitude and latitude.
  void SetOfferedPlans(const std::vector<StoredPlan>& plans);
  // The answer to a plan tried (a pushback input with check).
  std::string PlanMessage(const PushbackPreview& preview, int64_t seq) const;
  // East and north of the scene's origin.
  void ToEastNorth(double lng, double lat, double* east, double* north) const;

 private:
  struct VesselCache {
    std::string name;
    double lng = 0, lat = 0, hdg = 0, east = 0, north = 0, alt = 0;
    double axes[9] = {};  // x, y, z axes in east, north, up
    OBJHANDLE parent = nullptr;
    uint64_t lookSignature = 0;
    uint64_t motionVersion = 0;              // the host's animation version
    uint64_t poseStamp = 0, lookStamp = 0, motionStamp = 0;  // when they last changed
    std::string pose, look, motion;          // JSON members, without braces, made lazily
    uint64_t poseBuilt = 0, lookBuilt = 0, motionBuilt = 0;  // the stamps they were made at
    uint64_t read = 0;  // the stamp it was last read at
    std::string crew = "[]";  // the crew aboard, as its scenario lines list them
    uint64_t crewStamp = 0;
    Clock::time_point crewRead{};
  };
  struct Sent {
    uint64_t pose = 0, look = 0, motion = 0, crew = 0;  // stamps sent to a person
  };
  struct PersonView {
    bool hasView = false;
    double east = 0, north = 0, radius = 0;
    int64_t seq = -1;
    uint64_t built = 0;  // stamp of the last state made for this person
    Clock::time_point farRound{};
    std::unordered_map<OBJHANDLE, Sent> sent;
    std::vector<std::pair<std::string, uint64_t>>::size_type goneSeen = 0;
    uint64_t events = 0;  // events sent
    TrackLog::Sent tracks;
    uint64_t areas = 0, plans = 0, push = 0;  // stamps or numbers sent
  };
  void Refresh(OBJHANDLE h, VesselCache& c);
  void ReadVessel(OBJHANDLE h, VESSEL* v, VesselCache& c);
  const std::string& Pose(OBJHANDLE h, VesselCache& c);
  const std::string& Look(OBJHANDLE h, VesselCache& c);
  const std::string& Motion(OBJHANDLE h, VesselCache& c);
  std::string PersonPart(const Session& session, const Person* person, int64_t seq);
  void ReadCrew(OBJHANDLE h, VesselCache& c, Clock::time_point now);
  void ReadActionAreas(Clock::time_point now);
  void PollSounds(const Session& session);
  void SoundsOf(OBJHANDLE h);
  std::string PushbackPart(const PushbackProgress& p);
  std::string Extras(PersonView& p, bool first);

  AssetStore* assets_;
  SceneAssets sceneAssets_{assets_};
  bool hasOrigin_ = false;
  double lng0_ = 0, lat0_ = 0;
  void* soundSlots_ = nullptr;  // the add-on's GetVesselSoundSlots, or null
  uint64_t stamp_ = 0;
  std::string scene_;  // the scene's members, without braces
  std::vector<OBJHANDLE> order_;  // vessels in the host's order
  std::unordered_map<OBJHANDLE, VesselCache> vessels_;
  std::vector<std::pair<std::string, uint64_t>> gone_;  // deleted vessels, with the stamp
  std::unordered_map<int, PersonView> people_;

  EventLog events_;
  TrackLog tracks_;
  std::unordered_map<OBJHANDLE, std::string> names_;  // of the vessels tracked
  void* actionTable_ = nullptr;  // the crew add-on's action areas, or null
  std::string areas_ = "[]";
  uint64_t areasSignature_ = 0, areasStamp_ = 1;
  Clock::time_point areasRead_{};
  std::string plans_ = "[]";
  uint64_t plansStamp_ = 1;
  std::string pushback_ = "null", plan_;  // the push's progress; its plan and sweep
  uint64_t pushNumber_ = 0;
  // Sounds: plays seen by vessel and slot, the last event of each wave.
  std::unordered_map<OBJHANDLE, std::vector<unsigned>> plays_;
  std::unordered_map<std::string, double> soundTold_;
  size_t soundNext_ = 0;  // the next vessel of the round
};

}  // namespace kvqsim
