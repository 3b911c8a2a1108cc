#include "apps/kvqsim/session/record.h"

#include <cmath>
#include <sstream>

#include <nlohmann/json.hpp>

namespace kvqsim {

namespace {

using nlohmann::json;

constexpr size_t MAX_RECORD_LINE = 64 * 1024;  // bytes
constexpr const char* MAGIC = "kvqsim-record";
constexpr uint64_t MAX_PERSON = 1u << 30;

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

bool ReadHeader(const json& j, RecordHeader* h, std::string* error) {
  auto text = [&](const char* name, std::string* out) {
    auto it = j.find(name);
    if (it == j.end() || !it->is_string()) return false;
    *out = it->get<std::string>();
    return true;
  };
  auto version = j.find(MAGIC);
  if (!j.is_object() || version == j.end() || !version->is_number_integer()) {
    *error = "not a kvqsim record";
    return false;
  }
  if (version->get<int64_t>() != RECORD_VERSION) {
    *error = "record version " + std::to_string(version->get<int64_t>()) + " (this kvqsim reads version " +
             std::to_string(RECORD_VERSION) + ")";
    return false;
  }
  auto dt = j.find("dt");
  auto fm = j.find("flightModel");
  if (!text("scenario", &h->scenario) || !text("scenarioHash", &h->scenarioHash) || !text("script", &h->script) ||
      !text("scriptHash", &h->scriptHash) || !text("root", &h->root) || dt == j.end() || !dt->is_number() ||
      fm == j.end() || !fm->is_number_integer()) {
    *error = "malformed record header";
    return false;
  }
  h->dt = dt->get<double>();
  h->flightModel = static_cast<int>(fm->get<int64_t>());
  if (!(h->dt > 0) || !std::isfinite(h->dt)) {
    *error = "malformed record header (dt)";
    return false;
  }
  return true;
}

bool ReadFrame(const json& j, uint64_t limit, uint64_t* frame, std::string* error) {
  auto f = j.find("frame");
  if (f == j.end()) {
    *error = "no frame number";
    return false;
  }
  if (f->is_number_integer() && !f->is_number_unsigned()) {
    *error = "frame " + std::to_string(f->get<int64_t>()) + " is negative";
    return false;
  }
  if (!f->is_number_unsigned()) {
    *error = "the frame must be a whole number";
    return false;
  }
  *frame = f->get<uint64_t>();
  if (*frame > limit) {
    *error = "frame " + std::to_string(*frame) + " is past the " + std::to_string(limit) +
             " frames a replay runs (--until replays the first part of a longer record)";
    return false;
  }
  return true;
}

}  // namespace

RecordWriter::~RecordWriter() {
  if (!file_) return;
  Flush();
  std::fclose(file_);
}

bool RecordWriter::Open(const std::string& path, const RecordHeader& h, std::string* error) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    *error = "cannot write record '" + path + "'";
    return false;
  }
  json j;
  j[MAGIC] = RECORD_VERSION;
  j["scenario"] = h.scenario;
  j["scenarioHash"] = h.scenarioHash;
  j["script"] = h.script;
  j["scriptHash"] = h.scriptHash;
  j["root"] = h.root;
  j["dt"] = h.dt;
  j["flightModel"] = h.flightModel;
  Line(Dump(j));
  Flush();
  return !failed_;
}

void RecordWriter::Line(const std::string& text) {
  if (!file_) return;
  pending_ += text;
  pending_ += '\n';
}

void RecordWriter::Flush() {
  if (!file_ || pending_.empty()) return;
  if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size() || std::fflush(file_) != 0)
    failed_ = true;
  pending_.clear();
}

void RecordWriter::Add(uint64_t frame, int person, const Input& in) {
  json j;
  j["frame"] = frame;
  j["person"] = person;
  j["input"] = InputToJson(in);
  Line(Dump(j));
}

bool RecordWriter::Finish(uint64_t endFrame, std::string* error) {
  if (!file_) return true;
  json j;
  j["frame"] = endFrame;
  j["end"] = true;
  Line(Dump(j));
  Flush();
  bool ok = !failed_;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) *error = "writing the record failed";
  return ok;
}

bool ParseRecord(const std::string& text, Record* out, std::string* error, uint64_t frameLimit) {
  Record rec;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  bool ended = false;
  auto fail = [&](const std::string& why) {
    *error = "record line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.size() > MAX_RECORD_LINE) return fail("line too long");
    if (line.empty()) continue;
    if (ended) return fail("lines after the end line");
    json j;
    std::string why;
    if (!ParseJsonText(line, &j, &why)) {
      // A session killed while it wrote leaves its last line cut off, with
      // no newline after it: the record ends before it.
      if (in.eof() && number > 1) break;
      return fail(why);
    }
    if (!j.is_object()) return fail("not a JSON object");
    if (number == 1) {
      if (!ReadHeader(j, &rec.header, &why)) return fail(why);
      continue;
    }
    uint64_t frame = 0;
    if (!ReadFrame(j, frameLimit, &frame, &why)) return fail(why);
    const uint64_t last = rec.inputs.empty() ? 0 : rec.inputs.back().frame;
    if (frame < last) return fail("frame " + std::to_string(frame) + " before frame " + std::to_string(last));
    auto end = j.find("end");
    if (end != j.end()) {
      if (!end->is_boolean() || !end->get<bool>() || j.size() != 2) return fail("malformed end line");
      rec.endFrame = frame;
      ended = true;
      continue;
    }
    auto input = j.find("input");
    auto person = j.find("person");
    const size_t fields = 2 + (person != j.end());
    if (input == j.end() || j.size() != fields) return fail("malformed input line");
    RecordedInput ri;
    ri.frame = frame;
    if (person != j.end()) {
      if (!person->is_number_unsigned() || person->get<uint64_t>() < 1 || person->get<uint64_t>() > MAX_PERSON)
        return fail("malformed person (a number from 1)");
      ri.person = static_cast<int>(person->get<uint64_t>());
    }
    if (!InputFromJson(*input, true, &ri.input, &why)) return fail(why);
    // The session acts on these itself and records none of them.
    if (ri.input.kind == InputKind::Save || ri.input.kind == InputKind::Quit)
      return fail("a record holds no '" + input->at("type").get<std::string>() + "' lines");
    rec.inputs.push_back(std::move(ri));
  }
  if (number == 0) return fail("empty");
  if (!ended) {
    // A session that died wrote no end line: what it recorded ends at its
    // last input, as if it had been quit right then.
    rec.complete = false;
    rec.endFrame = rec.inputs.empty() ? 0 : rec.inputs.back().frame;
  }
  *out = std::move(rec);
  return true;
}

bool ReadRecord(const std::string& path, Record* out, std::string* error, uint64_t frameLimit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot read record '" + path + "'";
    return false;
  }
  std::string text;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  std::string why;
  if (!ParseRecord(text, out, &why, frameLimit)) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

std::string FileHash(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "";
  uint64_t h = 0xcbf29ce484222325ull;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    for (size_t i = 0; i < n; ++i) {
      h ^= buf[i];
      h *= 0x100000001b3ull;
    }
  }
  std::fclose(f);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return hex;
}

bool SameRun(const RecordHeader& r, const RecordHeader& now, std::string* error) {
  if (r.root != now.root) {
    *error = "the record was made with another simulator root (" + r.root + ", this run uses " + now.root + ")";
    return false;
  }
  if (r.scenarioHash != now.scenarioHash) {
    *error = "the record was made with another scenario (" + (r.scenario.empty() ? "none" : r.scenario) +
             ", this run loads " + (now.scenario.empty() ? "none" : now.scenario) + ")";
    return false;
  }
  if (r.scriptHash != now.scriptHash) {
    *error = "the record was made with another script (" + (r.script.empty() ? "none" : r.script) +
             ", this run has " + (now.script.empty() ? "none" : now.script) + ")";
    return false;
  }
  if (r.dt != now.dt || r.flightModel != now.flightModel) {
    *error = "the record was made with another --dt or --flight-model";
    return false;
  }
  return true;
}

}  // namespace kvqsim
