// The record of a session: what run it was made in, every input with the
// frame at which it took effect, and the frame the session ended at. One
// JSON object per line: a header, the inputs in the order they were
// applied, and an end line. --replay applies it to the same run headless.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "apps/kvqsim/session/protocol.h"

namespace kvqsim {

constexpr int RECORD_VERSION = 1;
// The most frames a replay runs unless --until ends it sooner: about 46
// hours at the default step. A record edited to end at frame 10^12 would
// otherwise replay for years.
constexpr uint64_t MAX_REPLAY_FRAMES = 10'000'000;

// What makes two runs the same: the scenario and script by their contents,
// the simulator root by its real path, the step and the flight model.
struct RecordHeader {
  std::string scenario, scenarioHash;  // empty: none
  std::string script, scriptHash;
  std::string root;
  double dt = 0;
  int flightModel = 0;
};

struct RecordedInput {
  uint64_t frame = 0;
  int person = 1;  // records of one page name nobody: the one person
  Input input;
};

struct Record {
  RecordHeader header;
  std::vector<RecordedInput> inputs;  // frames never decrease
  uint64_t endFrame = 0;
  // False when the end line is missing (the session was killed): the
  // record then ends at its last input.
  bool complete = true;
};

// Lines are kept and written in batches: the simulation thread that adds
// them never waits for the disk per input.
class RecordWriter {
 public:
  ~RecordWriter();
  bool Open(const std::string& path, const RecordHeader& header, std::string* error);
  void Add(uint64_t frame, int person, const Input& in);
  // Writes what was added since the last flush.
  void Flush();
  // Writes the end line and closes the file.
  bool Finish(uint64_t endFrame, std::string* error);

 private:
  void Line(const std::string& text);
  FILE* file_ = nullptr;
  std::string pending_;
  bool failed_ = false;
};

// Reads and checks a whole record. False with a message naming the line;
// no frame may be above frameLimit. A record without its end line (a last
// line cut off as well) is read to its last input, with complete false.
bool ReadRecord(const std::string& path, Record* out, std::string* error,
                uint64_t frameLimit = MAX_REPLAY_FRAMES);
bool ParseRecord(const std::string& text, Record* out, std::string* error,
                 uint64_t frameLimit = MAX_REPLAY_FRAMES);

// FNV-1a (64 bits) of a file's bytes as 16 hex digits; empty when it
// cannot be read.
std::string FileHash(const std::string& path);

// False with a message naming what differs between the recorded run and
// this one.
bool SameRun(const RecordHeader& recorded, const RecordHeader& now, std::string* error);

}  // namespace kvqsim
