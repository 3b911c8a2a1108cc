// The messages between the page and kvqsim, as apps/kvqsim/page/README.md
// describes them: what a person does (keys, clicks, texts, focus, time) as
// validated inputs, and their one JSON form, used on the wire and in the
// session record alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace kvqsim {

constexpr size_t MAX_MESSAGE_BYTES = 4096;
constexpr size_t MAX_INPUTBOX_TEXT = 255;  // bytes
constexpr int64_t MAX_SEQ = int64_t{1} << 53;
constexpr size_t MAX_PLAN_POINTS = 200;  // points of a pushback plan

// Join and Leave are a person's arrival and departure: the server makes
// them, records hold them, a page never sends them. Blur: the page's window
// lost the keyboard.
// View: where the page looks (for what the server sends it; not a scene
// input, never recorded). Pushback: a hands-off pushback started, tried
// (check) or stopped.
enum class InputKind { Key, Mouse, Control, InputBox, Focus, Cockpit, Time, Pause, Save, Quit, Blur, Join, Leave, View,
                       Pushback };
enum class MouseAction { Down, Up, Move };
enum class HostControl { Main, Brake, Rudder, AttMode };

struct Input {
  InputKind kind = InputKind::Quit;
  int64_t seq = -1;  // -1: none given
  // key
  int code = 0;
  bool down = false;
  std::vector<int> held;  // the keys held, as delivered (a record's key lines)
  bool hasHeld = false;
  // mouse
  int area = 0;
  MouseAction action = MouseAction::Down;
  bool right = false;
  double x = 0, y = 0;
  // control
  HostControl control = HostControl::Main;
  double level = 0;
  // inputbox: escape, or enter with text
  bool escape = false;
  std::string text;
  // focus
  std::string vessel;
  // view: metres east and north of the scene's origin, radius in metres
  double east = 0, north = 0, radius = 0;
  // pushback: the plan's points (metres east and north of the scene's
  // origin) and final heading (degrees), or stop; check only tries it
  struct PlanPoint {
    double e = 0, n = 0;
  };
  std::vector<PlanPoint> points;
  double heading = 0;
  bool stop = false, check = false;
  // cockpit, time, pause
  int position = 0;
  int accel = 1;
  bool paused = false;
};

// Parses one JSON text as the messages and the records are read: false
// with a reason for bad syntax and for an object that names a field twice
// (which of the two values counts is nowhere written down).
bool ParseJsonText(std::string_view text, nlohmann::json* out, std::string* error);

// Decodes one message from the page. False with a reason on anything the
// protocol does not allow (size, syntax, kinds, fields, ranges); the seq is
// set when it could be read, so the error can name it.
bool DecodeInput(std::string_view message, Input* out, std::string* error);

// The same from a parsed object; `fromRecord` admits what only records
// hold: a key line's "held" list, a person's arrival and departure.
bool InputFromJson(const nlohmann::json& j, bool fromRecord, Input* out, std::string* error);

// The input's canonical JSON object (with "held" for a key that has it).
nlohmann::json InputToJson(const Input& in);

// Messages to the page.
std::string ErrorMessage(const std::string& message, int64_t seq);
std::string ByeMessage();
// Something the page should tell its person (their vessel went, the
// cockpit was taken).
std::string NoticeMessage(const std::string& text);

}  // namespace kvqsim
