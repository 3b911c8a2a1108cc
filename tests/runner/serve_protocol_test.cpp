// The served session's pure parts: the page's messages as kvqsim checks
// them, the record of a session, the checks of a request's Host and Origin,
// the listening address and the real-time schedule, the tracks and events
// kept for the pages, and the pushback plans kept per stand.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "apps/kvqsim/serve/event_log.h"
#include "apps/kvqsim/serve/pacing.h"
#include "apps/kvqsim/serve/plan_store.h"
#include "apps/kvqsim/serve/tracks.h"
#include "apps/kvqsim/session/protocol.h"
#include "apps/kvqsim/session/record.h"
#include "apps/kvqsim/serve/requests.h"

using namespace kvqsim;

namespace {

Input Decode(const std::string& text) {
  Input in;
  std::string error;
  EXPECT_TRUE(DecodeInput(text, &in, &error)) << text << ": " << error;
  return in;
}

std::string Refusal(const std::string& text, int64_t* seq = nullptr) {
  Input in;
  std::string error;
  EXPECT_FALSE(DecodeInput(text, &in, &error)) << text;
  if (seq) *seq = in.seq;
  return error;
}

}  // namespace

TEST(Protocol, EveryKindOfInputReadsAsThePageSendsIt) {
  Input k = Decode(R"({"type":"key","code":18,"down":true,"seq":7})");
  EXPECT_EQ(k.kind, InputKind::Key);
  EXPECT_EQ(k.code, 18);
  EXPECT_TRUE(k.down);
  EXPECT_EQ(k.seq, 7);

  Input m = Decode(R"({"type":"mouse","area":6,"event":"down","button":"right","x":0.25,"y":1})");
  EXPECT_EQ(m.area, 6);
  EXPECT_EQ(m.action, MouseAction::Down);
  EXPECT_TRUE(m.right);
  EXPECT_DOUBLE_EQ(m.x, 0.25);
  EXPECT_DOUBLE_EQ(m.y, 1.0);

  EXPECT_DOUBLE_EQ(Decode(R"({"type":"control","control":"rudder","level":-1})").level, -1.0);
  EXPECT_EQ(Decode(R"({"type":"control","control":"attmode","level":2})").control, HostControl::AttMode);
  Input box = Decode(R"({"type":"inputbox","action":"enter","text":"Anna Berg"})");
  EXPECT_FALSE(box.escape);
  EXPECT_EQ(box.text, "Anna Berg");
  EXPECT_TRUE(Decode(R"({"type":"inputbox","action":"escape"})").escape);
  EXPECT_EQ(Decode(R"({"type":"focus","vessel":"Jet"})").vessel, "Jet");
  EXPECT_EQ(Decode(R"({"type":"cockpit","position":3})").position, 3);
  EXPECT_EQ(Decode(R"({"type":"time","accel":10})").accel, 10);
  EXPECT_TRUE(Decode(R"({"type":"pause","paused":true})").paused);
  EXPECT_EQ(Decode(R"({"type":"save"})").kind, InputKind::Save);
  EXPECT_EQ(Decode(R"({"type":"quit"})").kind, InputKind::Quit);
}

TEST(Protocol, BadMessagesAreRefusedWithAReason) {
  const std::pair<std::string, std::string> cases[] = {
      {"{", "not valid JSON"},
      {"[1,2]", "JSON object"},
      {R"({"code":18})", "needs a 'type'"},
      {R"({"type":"warp"})", "unknown message type"},
      {R"({"type":"join"})", "unknown message type"},  // only the server says who arrives
      {R"({"type":"key","code":18})", "missing field 'down'"},
      {R"({"type":"key","code":256,"down":true})", "0..255"},
      {R"({"type":"key","code":-1,"down":true})", "0..255"},
      {R"({"type":"key","code":1.5,"down":true})", "integer"},
      {R"({"type":"key","code":18,"down":"yes"})", "true or false"},
      {R"({"type":"key","code":18,"down":true,"held":[42]})", "unknown field 'held'"},
      {R"({"type":"mouse","area":5,"event":"down","button":"left","x":1.01,"y":0})", "'x' must be within 0..1"},
      {R"({"type":"mouse","area":"5","event":"down","button":"left","x":0,"y":0})", "integer"},
      {R"({"type":"mouse","area":5,"event":"click","button":"left","x":0,"y":0})", "one of down, up, move"},
      {R"({"type":"control","control":"main","level":1e999})", "not valid JSON"},
      {R"({"type":"control","control":"rudder","level":1.5})", "within -1..1"},
      {R"({"type":"control","control":"attmode","level":1.5})", "0, 1 or 2"},
      {R"({"type":"inputbox","action":"enter","text":"a\u0007b"})", "control character"},
      {R"({"type":"inputbox","action":"enter"})", "missing field 'text'"},
      {R"({"type":"focus","vessel":""})", "1 to 255 bytes"},
      {R"({"type":"cockpit","position":4})", "0..3"},
      {R"({"type":"time","accel":3})", "1, 2, 4 or 10"},
      {R"({"type":"quit","seq":"1"})", "integer"},
      {R"({"type":"quit","seq":9007199254740993})", "within 0.."},
      // Which of two values would count is written down nowhere: the last
      // one once won, and this message ended the session.
      {R"({"type":"key","type":"quit"})", "field 'type' given twice"},
      {R"({"type":"key","code":18,"down":true,"down":false})", "field 'down' given twice"},
  };
  for (const auto& [text, reason] : cases) EXPECT_NE(Refusal(text).find(reason), std::string::npos) << text;

  const std::string longText(MAX_INPUTBOX_TEXT + 1, 'x');
  EXPECT_NE(Refusal(R"({"type":"inputbox","action":"enter","text":")" + longText + "\"}").find("255 bytes"),
            std::string::npos);
  std::string huge = R"({"type":"quit","pad":")" + std::string(MAX_MESSAGE_BYTES, ' ') + "\"}";
  EXPECT_NE(Refusal(huge).find("longer than"), std::string::npos);

  // The answer names the message it refuses.
  int64_t seq = -1;
  Refusal(R"({"type":"key","code":999,"down":true,"seq":41})", &seq);
  EXPECT_EQ(seq, 41);
}

TEST(Protocol, PushbackPlansStartAreTriedAndStop) {
  Input start = Decode(R"({"type":"pushback","points":[{"e":-30,"n":0},{"e":-40.5,"n":2}],"heading":90,"seq":3})");
  EXPECT_EQ(start.kind, InputKind::Pushback);
  ASSERT_EQ(start.points.size(), 2u);
  EXPECT_DOUBLE_EQ(start.points[1].e, -40.5);
  EXPECT_DOUBLE_EQ(start.points[1].n, 2.0);
  EXPECT_DOUBLE_EQ(start.heading, 90.0);
  EXPECT_FALSE(start.stop || start.check);
  EXPECT_TRUE(Decode(R"({"type":"pushback","points":[{"e":1,"n":2}],"heading":-45,"check":true})").check);
  EXPECT_TRUE(Decode(R"({"type":"pushback","stop":true})").stop);

  std::string many = R"({"type":"pushback","heading":0,"points":[)";
  for (size_t i = 0; i <= MAX_PLAN_POINTS; ++i) many += std::string(i ? "," : "") + R"({"e":1,"n":1})";
  many += "]}";
  const std::pair<std::string, std::string> cases[] = {
      {R"({"type":"pushback","stop":false})", "'stop' must be true"},
      {R"({"type":"pushback","stop":true,"heading":3})", "unknown field 'heading'"},
      {R"({"type":"pushback","points":[{"e":1,"n":2}]})", "missing field 'heading'"},
      {R"({"type":"pushback","points":[],"heading":0})", "list of 1 to"},
      {R"({"type":"pushback","points":[{"e":1}],"heading":0})", "{\"e\": metres, \"n\": metres}"},
      {R"({"type":"pushback","points":[{"e":1,"n":2,"x":0}],"heading":0})", "{\"e\": metres"},
      {R"({"type":"pushback","points":[{"e":"1","n":2}],"heading":0})", "{\"e\": metres"},
      {R"({"type":"pushback","points":[{"e":1e8,"n":2}],"heading":0})", "out of range"},
      {R"({"type":"pushback","points":[{"e":1,"n":2}],"heading":400})", "within -360..360"},
      {R"({"type":"pushback","points":[{"e":1,"n":2}],"heading":0,"speed":3})", "unknown field 'speed'"},
      {many, "list of 1 to"},
  };
  for (const auto& [text, reason] : cases)
    EXPECT_NE(Refusal(text).find(reason), std::string::npos) << text << ": " << Refusal(text);

  // A record keeps a push as it was sent, and reads it back the same.
  for (const Input& in : {start, Decode(R"({"type":"pushback","stop":true})")}) {
    Input back;
    std::string error;
    ASSERT_TRUE(InputFromJson(InputToJson(in), true, &back, &error)) << error;
    EXPECT_EQ(InputToJson(back), InputToJson(in));
  }
}

TEST(Tracks, AJumpStartsANewPieceAndEachPageGetsOnlyWhatItLacks) {
  TrackLog log;
  int tug = 0, bar = 0;
  const OBJHANDLE a = &tug, b = &bar;
  const std::unordered_map<OBJHANDLE, std::string> names{{a, "Tug"}, {b, "Tug_Towbar"}};
  // The tractor drives 1 m a frame (60 m/s would be a jump; this is 10 m/s).
  for (int i = 0; i <= 10; ++i) log.Sample(a, i * 0.1, i * 1.0, 0, nullptr);
  // The towbar stands 40 m off, then is attached to the tractor: it jumps.
  log.Sample(b, 0.0, 40, 0, nullptr);
  log.Sample(b, 0.1, 40, 0, nullptr);  // stood still: nothing new
  log.Sample(b, 0.2, 5, 0, a);
  // A vessel moved by a script 30 m within one frame jumps as well.
  log.Sample(a, 1.1, 40, 0, nullptr);

  TrackLog::Sent first;
  const nlohmann::json j = nlohmann::json::parse(log.Since(&first, names));
  ASSERT_EQ(j["Tug"].size(), 12u);
  EXPECT_EQ(j["Tug"][10], nlohmann::json({10.0, 0.0}));
  EXPECT_EQ(j["Tug"][11], nlohmann::json({40.0, 0.0, 1}));  // a new piece
  ASSERT_EQ(j["Tug_Towbar"].size(), 2u);
  EXPECT_EQ(j["Tug_Towbar"][1], nlohmann::json({5.0, 0.0, 1}));
  EXPECT_EQ(log.Since(&first, names), "{}");  // nothing new for this page

  log.Sample(a, 1.2, 41, 0, nullptr);
  TrackLog::Sent later;  // a page that connects later gets everything
  EXPECT_EQ(nlohmann::json::parse(log.Since(&later, names))["Tug"].size(), 13u);
  EXPECT_EQ(nlohmann::json::parse(log.Since(&first, names))["Tug"], nlohmann::json::parse("[[41.0,0.0]]"));
}

TEST(Events, APageThatComesLaterGetsTheWholeSession) {
  EventLog log;
  log.Add(0, "Tug created (KVQ_R7700)");
  log.Add(6.5, "Tug_Towbar attached to Tug");
  const uint64_t seen = log.End();
  log.Add(7.25, "Jet attached to Tug");
  EXPECT_EQ(nlohmann::json::parse(log.Since(0)).size(), 3u);
  const nlohmann::json fresh = nlohmann::json::parse(log.Since(seen));
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh[0]["text"], "Jet attached to Tug");
  EXPECT_DOUBLE_EQ(fresh[0]["t"].get<double>(), 7.25);
  EXPECT_EQ(log.Since(log.End()), "[]");
}

TEST(Plans, KeptPerScenarioAndStandAndReadInTheNextSession) {
  const std::string path = ::testing::TempDir() + "/kvq_plans_test.json";
  std::remove(path.c_str());
  constexpr double R = 6371010.0, M = 1.0 / R;  // a metre of latitude (rad)
  const double lng = -1.408, lat = 0.4978, hdg = PI / 2;
  StoredPlan p;
  p.scenario = "pushback.scn";
  p.aircraft = "Jet";
  p.lng = lng;
  p.lat = lat;
  p.hdg = hdg;
  p.points = {{lng - 30 * M, lat}, {lng - 40 * M, lat + 5 * M}};
  p.heading = 180;
  {
    PlanStore store;
    store.Load(path);  // none yet
    EXPECT_TRUE(store.At("pushback.scn", lng, lat, hdg, R).empty());
    ASSERT_TRUE(store.Keep(p, R));
    ASSERT_TRUE(store.Keep(p, R));  // the same plan once
    StoredPlan other = p;
    other.heading = 90;
    ASSERT_TRUE(store.Keep(other, R));
  }
  PlanStore next;
  next.Load(path);
  const std::vector<StoredPlan> here = next.At("pushback.scn", lng + 2 * M, lat, hdg + 0.05, R);
  ASSERT_EQ(here.size(), 2u);
  EXPECT_DOUBLE_EQ(here[0].heading, 90);  // the newest first
  EXPECT_EQ(here[1].aircraft, "Jet");
  ASSERT_EQ(here[1].points.size(), 2u);
  EXPECT_NEAR(here[1].points[1].second, lat + 5 * M, 1e-12);
  EXPECT_TRUE(next.At("other.scn", lng, lat, hdg, R).empty());
  EXPECT_TRUE(next.At("pushback.scn", lng, lat + 30 * M, hdg, R).empty());  // another stand
  EXPECT_TRUE(next.At("pushback.scn", lng, lat, hdg + PI, R).empty());      // facing the other way

  // A damaged file offers nothing and is written anew.
  std::ofstream(path) << "{\"plans\": [{\"scenario\": 1}";
  PlanStore damaged;
  damaged.Load(path);
  EXPECT_TRUE(damaged.At("pushback.scn", lng, lat, hdg, R).empty());
  EXPECT_TRUE(damaged.Keep(p, R));
  std::remove(path.c_str());
}

TEST(Record, WrittenAndReadBackTheSame) {
  const std::string path = ::testing::TempDir() + "/kvq_record_test.jsonl";
  RecordHeader h;
  h.scenario = "/r/Examples/pushback.scn";
  h.scenarioHash = "0123456789abcdef";
  h.root = "/r";
  h.dt = 1.0 / 60.0;
  h.flightModel = 1;
  std::vector<std::string> messages = {
      R"({"type":"key","code":18,"down":true})",
      R"({"type":"mouse","area":6,"event":"down","button":"left","x":0.1,"y":0.3333333333333333})",
      R"({"type":"inputbox","action":"enter","text":"Jörg \"J\" Ek"})",
      R"({"type":"time","accel":4})",
  };
  {
    RecordWriter w;
    std::string error;
    ASSERT_TRUE(w.Open(path, h, &error)) << error;
    uint64_t frame = 0;
    Input join;
    join.kind = InputKind::Join;
    w.Add(frame, 2, join);
    for (const std::string& m : messages) {
      Input in = Decode(m);
      if (in.kind == InputKind::Key) {
        in.held = {18, 29};
        in.hasHeld = true;
      }
      w.Add(frame += 3, 2, in);
    }
    ASSERT_TRUE(w.Finish(40, &error)) << error;
  }
  Record rec;
  std::string error;
  ASSERT_TRUE(ReadRecord(path, &rec, &error)) << error;
  EXPECT_EQ(rec.header.scenarioHash, h.scenarioHash);
  EXPECT_EQ(rec.header.dt, h.dt);  // exactly: the replay steps with it
  EXPECT_EQ(rec.header.flightModel, 1);
  EXPECT_EQ(rec.endFrame, 40u);
  ASSERT_EQ(rec.inputs.size(), messages.size() + 1);
  EXPECT_EQ(rec.inputs[0].input.kind, InputKind::Join);
  EXPECT_EQ(rec.inputs[1].frame, 3u);
  EXPECT_EQ(rec.inputs[1].person, 2);
  EXPECT_EQ(rec.inputs[1].input.held, (std::vector<int>{18, 29}));
  EXPECT_EQ(rec.inputs[2].input.y, 1.0 / 3.0);
  EXPECT_EQ(rec.inputs[3].input.text, "Jörg \"J\" Ek");
  EXPECT_EQ(rec.inputs[4].input.accel, 4);

  // A record of one page names nobody: its inputs are the one person's.
  ASSERT_TRUE(ParseRecord(R"({"kvqsim-record":1,"scenario":"","scenarioHash":"","script":"","scriptHash":"",)"
                          R"("root":"/r","dt":0.1,"flightModel":0})"
                          "\n{\"frame\":2,\"input\":{\"type\":\"pause\",\"paused\":true}}\n{\"frame\":3,\"end\":true}\n",
                          &rec, &error))
      << error;
  EXPECT_EQ(rec.inputs[0].person, 1);
  std::remove(path.c_str());
}

TEST(Record, DamagedRecordsAreRefused) {
  const std::string header =
      R"({"kvqsim-record":1,"scenario":"","scenarioHash":"","script":"","scriptHash":"","root":"/r","dt":0.1,"flightModel":0})";
  const std::string key = R"({"type":"key","code":18,"down":true,"held":[18]})";
  const std::pair<std::string, std::string> cases[] = {
      {header + "\n{\"frame\":-5,\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n", "frame -5 is negative"},
      {header + "\n{\"frame\":5.5,\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n", "whole number"},
      {header + "\n{\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n", "no frame number"},
      {header + "\n{\"frame\":1000000000000,\"end\":true}\n", "past the 10000000 frames a replay runs"},
      {header + "\n{\"frame\":5,\"input\":{\"type\":\"save\"}}\n{\"frame\":9,\"end\":true}\n",
       "a record holds no 'save' lines"},
      {header + "\n{\"frame\":5,\"input\":{\"type\":\"quit\"}}\n{\"frame\":9,\"end\":true}\n",
       "a record holds no 'quit' lines"},
      {header + "\n{\"frame\":5,\"frame\":6,\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n",
       "field 'frame' given twice"},
      {header + "\n{\"frame\":5,\"input\":" + key + "}\n{\"frame\":4,\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n",
       "before frame"},
      {header + "\n{\"frame\":5,\"input\":" + key + "}\n{\"frame\":4,\"end\":true}\n", "before frame"},
      {header + "\n{\"frame\":9,\"end\":true}\n{\"frame\":9,\"end\":true}\n", "after the end line"},
      {header + "\n{\"frame\":5,\"input\":{\"type\":\"key\",\"code\":300,\"down\":true}}\n{\"frame\":9,\"end\":true}\n",
       "0..255"},
      {R"({"kvqsim-record":2})" "\n", "version 2"},
      {header + "\n{\"frame\":5,\"person\":0,\"input\":" + key + "}\n{\"frame\":9,\"end\":true}\n", "person"},
      {"{\"hello\":1}\n", "not a kvqsim record"},
  };
  for (const auto& [text, reason] : cases) {
    Record rec;
    std::string error;
    EXPECT_FALSE(ParseRecord(text, &rec, &error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

TEST(Record, ARecordWithoutItsEndLineEndsAtItsLastInput) {
  // A session killed with SIGKILL writes no end line, perhaps not even the
  // whole of its last line: what it recorded is still read.
  const std::string header =
      R"({"kvqsim-record":1,"scenario":"","scenarioHash":"","script":"","scriptHash":"","root":"/r","dt":0.1,"flightModel":0})";
  const std::string key = R"({"frame":7,"input":{"type":"key","code":18,"down":true,"held":[18]}})";
  for (const std::string& text : {header + "\n" + key + "\n", header + "\n" + key + "\n{\"frame\":9,\"inp"}) {
    Record rec;
    std::string error;
    ASSERT_TRUE(ParseRecord(text, &rec, &error)) << error;
    EXPECT_FALSE(rec.complete);
    EXPECT_EQ(rec.endFrame, 7u);
    EXPECT_EQ(rec.inputs.size(), 1u);
  }
  Record rec;
  std::string error;
  ASSERT_TRUE(ParseRecord(header + "\n" + key + "\n{\"frame\":9,\"end\":true}\n", &rec, &error)) << error;
  EXPECT_TRUE(rec.complete);
  EXPECT_EQ(rec.endFrame, 9u);
  // A damaged line before the last one is damage, not a cut-off end.
  EXPECT_FALSE(ParseRecord(header + "\n{\"frame\":9,\"inp\n" + key + "\n", &rec, &error));
  // Frames past the limit are for a replay that --until ends sooner.
  EXPECT_TRUE(ParseRecord(header + "\n{\"frame\":1000000000000,\"end\":true}\n", &rec, &error, UINT64_MAX));
}

TEST(Record, AnotherScenarioOrRootIsNamed) {
  RecordHeader a;
  a.root = "/r";
  a.scenario = "a.scn";
  a.scenarioHash = "1";
  a.dt = 0.1;
  RecordHeader b = a;
  std::string error;
  EXPECT_TRUE(SameRun(a, b, &error));
  b.scenarioHash = "2";
  EXPECT_FALSE(SameRun(a, b, &error));
  EXPECT_NE(error.find("another scenario"), std::string::npos);
  b = a;
  b.root = "/elsewhere";
  EXPECT_FALSE(SameRun(a, b, &error));
  EXPECT_NE(error.find("another simulator root"), std::string::npos);
  EXPECT_EQ(FileHash("/nonexistent/file"), "");
}

TEST(Serve, OnlyThePagesOwnHostAndOriginReachTheScene) {
  EXPECT_TRUE(HostAllowed("127.0.0.1:8570", 8570));
  EXPECT_TRUE(HostAllowed("localhost:8570", 8570));
  EXPECT_TRUE(HostAllowed("192.168.1.20:8570", 8570));
  EXPECT_FALSE(HostAllowed("127.0.0.1:8571", 8570));
  EXPECT_FALSE(HostAllowed("127.0.0.1", 8570));
  EXPECT_FALSE(HostAllowed("attacker.example:8570", 8570));  // a name pointed at this machine
  EXPECT_FALSE(HostAllowed(nullptr, 8570));

  EXPECT_TRUE(OriginAllowed(nullptr, "127.0.0.1:8570"));
  EXPECT_TRUE(OriginAllowed("http://127.0.0.1:8570", "127.0.0.1:8570"));
  EXPECT_TRUE(OriginAllowed("http://LOCALHOST:8570", "localhost:8570"));
  EXPECT_FALSE(OriginAllowed("http://attacker.example", "127.0.0.1:8570"));
  EXPECT_FALSE(OriginAllowed("http://127.0.0.1:8571", "127.0.0.1:8570"));
  EXPECT_FALSE(OriginAllowed("null", "127.0.0.1:8570"));
}

TEST(Serve, ListeningAddress) {
  ServeAddress a;
  std::string error;
  ASSERT_TRUE(ParseServeAddress("8570", &a, &error));
  EXPECT_EQ(a.host, "127.0.0.1");
  EXPECT_FALSE(a.explicitHost);
  ASSERT_TRUE(ParseServeAddress("localhost:9000", &a, &error));
  EXPECT_EQ(a.host, "127.0.0.1");
  ASSERT_TRUE(ParseServeAddress("0.0.0.0:80", &a, &error));
  EXPECT_TRUE(a.explicitHost);
  EXPECT_FALSE(IsLoopback(a.host));
  for (const char* bad : {"70000", "", "x", "example.com:80", "1.2.3:80", "256.1.1.1:80", "[::1]:80"})
    EXPECT_FALSE(ParseServeAddress(bad, &a, &error)) << bad;
}

TEST(Pacing, FramesAreDueAtTheStepOverTheAcceleration) {
  using namespace std::chrono;
  const Pacer::Clock::time_point t0{};
  Pacer p(0.1, t0);
  p.FrameRun(t0);
  EXPECT_EQ(p.Due(), t0 + milliseconds(100));
  p.SetAccel(10, t0 + milliseconds(100));
  p.FrameRun(t0 + milliseconds(100));
  EXPECT_EQ(p.Due(), t0 + milliseconds(110));
  // Far behind after a stall: the schedule starts again from now, no burst.
  p.FrameRun(t0 + seconds(5));
  EXPECT_EQ(p.Due(), t0 + seconds(5));
}
