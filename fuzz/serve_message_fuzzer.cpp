// What a page (or anything that reaches the socket) can send kvqsim, and
// the session records --replay reads. First byte: 0 a WebSocket message,
// 1 a record. An accepted message must come back the same from its own
// JSON form (so it named no field twice: its own form would then differ),
// and an accepted record must hold only valid inputs in frame order, none
// a record never holds, no frame past the replay's limit, and end at its
// end line or else at its last input; nothing may crash or throw.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/kvqsim/session/protocol.h"
#include "apps/kvqsim/session/record.h"

namespace {

void Broken(const char* what, const std::string& text) {
  std::fprintf(stderr, "fuzz: invariant broken after %s: %s\n", what, text.c_str());
  std::abort();
}

// The message read with the first of repeated fields winning (the
// parser's callback drops a key it has seen in that object) and with the
// last winning (a plain parse): an accepted message reads the same both
// ways, or which one counts would be a guess.
void SameWhicheverFieldWins(const std::string& text, const kvqsim::Input& in) {
  using nlohmann::json;
  std::vector<std::set<std::string>> open;
  const json::parser_callback_t firstWins = [&](int, json::parse_event_t event, json& parsed) {
    if (event == json::parse_event_t::object_start) open.emplace_back();
    if (event == json::parse_event_t::object_end && !open.empty()) open.pop_back();
    if (event == json::parse_event_t::key && !open.empty()) return open.back().insert(parsed.dump()).second;
    return true;
  };
  for (const json& j : {json::parse(text, firstWins, false), json::parse(text, nullptr, false)}) {
    kvqsim::Input other;
    std::string error;
    if (j.is_discarded() || !kvqsim::InputFromJson(j, false, &other, &error) ||
        kvqsim::InputToJson(other) != kvqsim::InputToJson(in))
      Broken("a message whose repeated fields disagree was taken", text);
  }
}

void Message(const std::string& text) {
  kvqsim::Input in;
  std::string error;
  if (!kvqsim::DecodeInput(text, &in, &error)) {
    if (error.empty()) Broken("a refusal without a reason", text);
    return;
  }
  SameWhicheverFieldWins(text, in);
  if (text.size() > kvqsim::MAX_MESSAGE_BYTES) Broken("an oversized message was taken", text);
  const std::string again = kvqsim::InputToJson(in).dump();
  kvqsim::Input back;
  if (!kvqsim::DecodeInput(again, &back, &error)) Broken("its own JSON was refused", again);
  if (kvqsim::InputToJson(back).dump() != again) Broken("a different input from its own JSON", again);
  const bool inRange = in.code >= 0 && in.code <= 255 && in.x >= 0 && in.x <= 1 && in.y >= 0 && in.y <= 1 &&
                       in.text.size() <= kvqsim::MAX_INPUTBOX_TEXT && in.seq <= kvqsim::MAX_SEQ;
  if (!inRange) Broken("an input out of range was taken", text);
}

void RecordText(const std::string& text) {
  kvqsim::Record rec;
  std::string error;
  if (!kvqsim::ParseRecord(text, &rec, &error)) {
    if (error.empty()) Broken("a refused record without a reason", text);
    return;
  }
  uint64_t last = 0;
  for (const kvqsim::RecordedInput& r : rec.inputs) {
    if (r.frame < last || r.frame > rec.endFrame) Broken("a record out of frame order was taken", text);
    last = r.frame;
    for (int c : r.input.held)
      if (c < 0 || c > 255) Broken("a held key out of range was taken", text);
    if (r.input.kind == kvqsim::InputKind::Save || r.input.kind == kvqsim::InputKind::Quit)
      Broken("a record with a save or quit line was taken", text);
    // Each input line reads back the same from its own JSON form.
    std::string again;
    kvqsim::Input back;
    if (!kvqsim::InputFromJson(kvqsim::InputToJson(r.input), true, &back, &again) ||
        kvqsim::InputToJson(back) != kvqsim::InputToJson(r.input))
      Broken("a recorded input that does not read back", text);
  }
  if (rec.endFrame > kvqsim::MAX_REPLAY_FRAMES) Broken("a record past the frame limit was taken", text);
  if (!rec.complete && rec.endFrame != last) Broken("a record without its end line ends elsewhere", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    if (data[0] % 2 == 0)
      Message(text);
    else
      RecordText(text);
  } catch (const std::exception& e) {
    Broken(e.what(), text);
  }
  return 0;
}
