// What a page (or anything that reaches the socket) can send kvqsim, and
// the session records --replay reads. First byte: 0 a WebSocket message,
// 1 a record. An accepted message must come back the same from its own
// JSON form, and an accepted record must hold only valid inputs in frame
// order; nothing may crash or throw.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "apps/kvqsim/session/protocol.h"
#include "apps/kvqsim/session/record.h"

namespace {

void Broken(const char* what, const std::string& text) {
  std::fprintf(stderr, "fuzz: invariant broken after %s: %s\n", what, text.c_str());
  std::abort();
}

void Message(const std::string& text) {
  kvqsim::Input in;
  std::string error;
  if (!kvqsim::DecodeInput(text, &in, &error)) {
    if (error.empty()) Broken("a refusal without a reason", text);
    return;
  }
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
  if (!kvqsim::ParseRecord(text, &rec, &error)) return;
  uint64_t last = 0;
  for (const kvqsim::RecordedInput& r : rec.inputs) {
    if (r.frame < last || r.frame > rec.endFrame) Broken("a record out of frame order was taken", text);
    last = r.frame;
    for (int c : r.input.held)
      if (c < 0 || c > 255) Broken("a held key out of range was taken", text);
  }
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
