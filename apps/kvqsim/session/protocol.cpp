#include "apps/kvqsim/session/protocol.h"

#include <cmath>
#include <initializer_list>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

namespace kvqsim {

namespace {

using nlohmann::json;

constexpr int MAX_KEY_CODE = 255;
constexpr int MAX_COCKPIT_POSITION = 3;
constexpr size_t MAX_NAME = 255;  // bytes of a vessel name
constexpr int ACCELERATIONS[] = {1, 2, 4, 10};
constexpr double MAX_DISTANCE = 1e7;  // m, east, north or radius of a view

struct KindName {
  InputKind kind;
  const char* name;
};
constexpr KindName KINDS[] = {{InputKind::Key, "key"},           {InputKind::Mouse, "mouse"},
                              {InputKind::Control, "control"},   {InputKind::InputBox, "inputbox"},
                              {InputKind::Focus, "focus"},       {InputKind::Cockpit, "cockpit"},
                              {InputKind::Time, "time"},         {InputKind::Pause, "pause"},
                              {InputKind::Save, "save"},         {InputKind::Quit, "quit"},
                              {InputKind::Blur, "blur"},         {InputKind::Join, "join"},
                              {InputKind::Leave, "leave"},       {InputKind::View, "view"},
                              {InputKind::Pushback, "pushback"}};

const char* KindNameOf(InputKind k) {
  for (const KindName& n : KINDS)
    if (n.kind == k) return n.name;
  return "?";
}

const char* const MOUSE_ACTIONS[] = {"down", "up", "move"};
const char* const CONTROLS[] = {"main", "brake", "rudder", "attmode"};

// Reads the fields of one message; the first failure is kept.
class Reader {
 public:
  Reader(const json& j, std::string* error) : j_(j), error_(error) {}

  bool Fail(const std::string& why) {
    if (ok_) *error_ = why;
    ok_ = false;
    return false;
  }
  bool Ok() const { return ok_; }

  // Only the named fields (besides "type" and "seq") may be present.
  void Only(std::initializer_list<const char*> allowed) {
    for (auto it = j_.begin(); it != j_.end(); ++it) {
      const std::string& key = it.key();
      bool known = key == "type" || key == "seq";
      for (const char* a : allowed) known = known || key == a;
      if (!known) Fail("unknown field '" + key + "'");
    }
  }

  const json* Field(const char* name) {
    auto it = j_.find(name);
    if (it == j_.end()) {
      Fail(std::string("missing field '") + name + "'");
      return nullptr;
    }
    return &*it;
  }

  bool Bool(const char* name, bool* out) {
    const json* f = Field(name);
    if (f == nullptr) return false;
    if (!f->is_boolean()) return Fail(std::string("'") + name + "' must be true or false");
    *out = f->get<bool>();
    return true;
  }

  bool Integer(const char* name, int64_t lo, int64_t hi, int64_t* out) {
    const json* f = Field(name);
    if (f == nullptr) return false;
    return IntegerValue(*f, name, lo, hi, out);
  }

  bool IntegerValue(const json& f, const char* name, int64_t lo, int64_t hi, int64_t* out) {
    int64_t v = 0;
    if (f.is_number_unsigned()) {
      const uint64_t u = f.get<uint64_t>();
      if (u > static_cast<uint64_t>(hi)) return OutOfRange(name, lo, hi);
      v = static_cast<int64_t>(u);
    } else if (f.is_number_integer()) {
      v = f.get<int64_t>();
    } else {
      return Fail(std::string("'") + name + "' must be an integer");
    }
    if (v < lo || v > hi) return OutOfRange(name, lo, hi);
    *out = v;
    return true;
  }

  bool Number(const char* name, double lo, double hi, double* out) {
    const json* f = Field(name);
    if (f == nullptr) return false;
    if (!f->is_number()) return Fail(std::string("'") + name + "' must be a number");
    const double v = f->get<double>();
    if (!std::isfinite(v) || v < lo || v > hi)
      return Fail(std::string("'") + name + "' must be within " + Format(lo) + ".." + Format(hi));
    *out = v;
    return true;
  }

  bool Text(const char* name, size_t minLen, size_t maxLen, std::string* out) {
    const json* f = Field(name);
    if (f == nullptr) return false;
    if (!f->is_string()) return Fail(std::string("'") + name + "' must be a string");
    const std::string& s = f->get_ref<const std::string&>();
    if (s.size() < minLen || s.size() > maxLen)
      return Fail(std::string("'") + name + "' must be " + std::to_string(minLen) + " to " +
                  std::to_string(maxLen) + " bytes long");
    for (unsigned char c : s)
      if (c < 0x20 || c == 0x7F) return Fail(std::string("'") + name + "' holds a control character");
    *out = s;
    return true;
  }

  // One of a list of words; its index.
  template <size_t N>
  bool Word(const char* name, const char* const (&words)[N], int* out) {
    const json* f = Field(name);
    if (f == nullptr) return false;
    if (f->is_string()) {
      for (size_t i = 0; i < N; ++i) {
        if (f->get_ref<const std::string&>() == words[i]) {
          *out = static_cast<int>(i);
          return true;
        }
      }
    }
    std::string list;
    for (size_t i = 0; i < N; ++i) list += (i ? ", " : "") + std::string(words[i]);
    return Fail(std::string("'") + name + "' must be one of " + list);
  }

 private:
  static std::string Format(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
  }
  bool OutOfRange(const char* name, int64_t lo, int64_t hi) {
    return Fail(std::string("'") + name + "' must be within " + std::to_string(lo) + ".." + std::to_string(hi));
  }

  const json& j_;
  std::string* error_;
  bool ok_ = true;
};

bool ReadKey(Reader& r, const json& j, bool allowHeld, Input* in) {
  int64_t code = 0;
  if (allowHeld)
    r.Only({"code", "down", "held"});
  else
    r.Only({"code", "down"});
  if (!r.Integer("code", 0, MAX_KEY_CODE, &code) || !r.Bool("down", &in->down)) return false;
  in->code = static_cast<int>(code);
  auto held = j.find("held");
  if (allowHeld && held != j.end()) {
    if (!held->is_array() || held->size() > static_cast<size_t>(MAX_KEY_CODE) + 1)
      return r.Fail("'held' must be a list of key codes");
    for (const json& h : *held) {
      int64_t c = 0;
      if (!r.IntegerValue(h, "held", 0, MAX_KEY_CODE, &c)) return false;
      in->held.push_back(static_cast<int>(c));
    }
    in->hasHeld = true;
  }
  return r.Ok();
}

bool ReadMouse(Reader& r, Input* in) {
  r.Only({"area", "event", "button", "x", "y"});
  int64_t area = 0;
  int action = 0, button = 0;
  static const char* const BUTTONS[] = {"left", "right"};
  if (!r.Integer("area", 0, 0xFFFF, &area) || !r.Word("event", MOUSE_ACTIONS, &action) ||
      !r.Word("button", BUTTONS, &button) || !r.Number("x", 0, 1, &in->x) || !r.Number("y", 0, 1, &in->y))
    return false;
  in->area = static_cast<int>(area);
  in->action = static_cast<MouseAction>(action);
  in->right = button == 1;
  return r.Ok();
}

bool ReadControl(Reader& r, Input* in) {
  r.Only({"control", "level"});
  int control = 0;
  if (!r.Word("control", CONTROLS, &control)) return false;
  in->control = static_cast<HostControl>(control);
  switch (in->control) {
    case HostControl::Main:
    case HostControl::Brake:
      return r.Number("level", 0, 1, &in->level) && r.Ok();
    case HostControl::Rudder:
      return r.Number("level", -1, 1, &in->level) && r.Ok();
    case HostControl::AttMode:
      if (!r.Number("level", 0, 2, &in->level)) return false;
      if (in->level != std::floor(in->level)) return r.Fail("'level' of attmode must be 0, 1 or 2");
      return r.Ok();
  }
  return false;
}

bool ReadInputBox(Reader& r, const json& j, Input* in) {
  static const char* const ACTIONS[] = {"enter", "escape"};
  int action = 0;
  if (!r.Word("action", ACTIONS, &action)) return false;
  in->escape = action == 1;
  if (in->escape) {
    r.Only({"action"});
    return r.Ok();
  }
  r.Only({"action", "text"});
  return r.Text("text", 0, MAX_INPUTBOX_TEXT, &in->text) && r.Ok();
}

bool ReadTime(Reader& r, Input* in) {
  r.Only({"accel"});
  int64_t a = 0;
  if (!r.Integer("accel", 1, 10, &a)) return false;
  for (int allowed : ACCELERATIONS) {
    if (a == allowed) {
      in->accel = allowed;
      return r.Ok();
    }
  }
  return r.Fail("'accel' must be 1, 2, 4 or 10");
}

// {"points": [{"e", "n"}, ...], "heading", "check"?} or {"stop": true}.
bool ReadPushback(Reader& r, const json& j, Input* in) {
  if (j.contains("stop")) {
    r.Only({"stop"});
    if (!r.Bool("stop", &in->stop)) return false;
    if (!in->stop) return r.Fail("'stop' must be true (a plan starts with 'points' and 'heading')");
    return r.Ok();
  }
  r.Only({"points", "heading", "check"});
  if (j.contains("check") && !r.Bool("check", &in->check)) return false;
  if (!r.Number("heading", -360, 360, &in->heading)) return false;
  const json* pts = r.Field("points");
  if (pts == nullptr) return false;
  if (!pts->is_array() || pts->empty() || pts->size() > MAX_PLAN_POINTS)
    return r.Fail("'points' must be a list of 1 to " + std::to_string(MAX_PLAN_POINTS) + " points {\"e\", \"n\"}");
  for (const json& p : *pts) {
    Input::PlanPoint pt;
    const auto e = p.is_object() ? p.find("e") : p.end();
    const auto n = p.is_object() ? p.find("n") : p.end();
    if (!p.is_object() || p.size() != 2 || e == p.end() || n == p.end() || !e->is_number() || !n->is_number())
      return r.Fail("each of 'points' must be {\"e\": metres, \"n\": metres}");
    pt.e = e->get<double>();
    pt.n = n->get<double>();
    if (!std::isfinite(pt.e) || !std::isfinite(pt.n) || std::fabs(pt.e) > MAX_DISTANCE ||
        std::fabs(pt.n) > MAX_DISTANCE)
      return r.Fail("a point of 'points' is out of range");
    in->points.push_back(pt);
  }
  return r.Ok();
}

}  // namespace

bool InputFromJson(const json& j, bool fromRecord, Input* out, std::string* error) {
  Input in;
  if (!j.is_object()) {
    *error = "a message must be a JSON object";
    return false;
  }
  Reader r(j, error);
  auto seq = j.find("seq");
  if (seq != j.end()) {
    int64_t s = 0;
    if (!r.IntegerValue(*seq, "seq", 0, MAX_SEQ, &s)) return false;
    in.seq = s;
    out->seq = s;
  }
  auto type = j.find("type");
  if (type == j.end() || !type->is_string()) return r.Fail("a message needs a 'type'");
  const std::string& name = type->get_ref<const std::string&>();
  bool known = false;
  for (const KindName& k : KINDS) {
    if (name == k.name) {
      in.kind = k.kind;
      known = true;
    }
  }
  if (!known || (!fromRecord && (in.kind == InputKind::Join || in.kind == InputKind::Leave)))
    return r.Fail("unknown message type '" + name + "'");

  bool ok = false;
  switch (in.kind) {
    case InputKind::Key:
      ok = ReadKey(r, j, fromRecord, &in);
      break;
    case InputKind::Mouse:
      ok = ReadMouse(r, &in);
      break;
    case InputKind::Control:
      ok = ReadControl(r, &in);
      break;
    case InputKind::InputBox:
      ok = ReadInputBox(r, j, &in);
      break;
    case InputKind::Focus:
      r.Only({"vessel"});
      ok = r.Text("vessel", 1, MAX_NAME, &in.vessel) && r.Ok();
      break;
    case InputKind::Cockpit: {
      r.Only({"position"});
      int64_t p = 0;
      ok = r.Integer("position", 0, MAX_COCKPIT_POSITION, &p) && r.Ok();
      in.position = static_cast<int>(p);
      break;
    }
    case InputKind::Time:
      ok = ReadTime(r, &in);
      break;
    case InputKind::Pause:
      r.Only({"paused"});
      ok = r.Bool("paused", &in.paused) && r.Ok();
      break;
    case InputKind::View:
      r.Only({"east", "north", "radius"});
      ok = r.Number("east", -MAX_DISTANCE, MAX_DISTANCE, &in.east) &&
           r.Number("north", -MAX_DISTANCE, MAX_DISTANCE, &in.north) &&
           r.Number("radius", 0, MAX_DISTANCE, &in.radius) && r.Ok();
      break;
    case InputKind::Pushback:
      ok = ReadPushback(r, j, &in);
      break;
    case InputKind::Save:
    case InputKind::Quit:
    case InputKind::Blur:
    case InputKind::Join:
    case InputKind::Leave:
      r.Only({});
      ok = r.Ok();
      break;
  }
  if (ok) *out = in;
  return ok;
}

bool ParseJsonText(std::string_view text, json* out, std::string* error) {
  // The keys seen in each object that is open while the parser reads.
  std::vector<std::set<std::string>> open;
  std::string twice;
  const json::parser_callback_t note = [&](int, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
        open.emplace_back();
        break;
      case json::parse_event_t::object_end:
        if (!open.empty()) open.pop_back();
        break;
      case json::parse_event_t::key:
        if (!open.empty() && parsed.is_string() && !open.back().insert(parsed.get<std::string>()).second &&
            twice.empty())
          twice = parsed.get<std::string>();
        break;
      default:
        break;
    }
    return true;
  };
  json j = json::parse(text.begin(), text.end(), note, false);
  if (j.is_discarded()) {
    *error = "not valid JSON";
    return false;
  }
  if (!twice.empty()) {
    *error = "field '" + twice + "' given twice";
    return false;
  }
  *out = std::move(j);
  return true;
}

bool DecodeInput(std::string_view message, Input* out, std::string* error) {
  if (message.size() > MAX_MESSAGE_BYTES) {
    *error = "message longer than " + std::to_string(MAX_MESSAGE_BYTES) + " bytes";
    return false;
  }
  json j;
  if (!ParseJsonText(message, &j, error)) return false;
  return InputFromJson(j, false, out, error);
}

json InputToJson(const Input& in) {
  json j;
  j["type"] = KindNameOf(in.kind);
  if (in.seq >= 0) j["seq"] = in.seq;
  switch (in.kind) {
    case InputKind::Key:
      j["code"] = in.code;
      j["down"] = in.down;
      if (in.hasHeld) j["held"] = in.held;
      break;
    case InputKind::Mouse:
      j["area"] = in.area;
      j["event"] = MOUSE_ACTIONS[static_cast<int>(in.action)];
      j["button"] = in.right ? "right" : "left";
      j["x"] = in.x;
      j["y"] = in.y;
      break;
    case InputKind::Control:
      j["control"] = CONTROLS[static_cast<int>(in.control)];
      j["level"] = in.level;
      break;
    case InputKind::InputBox:
      j["action"] = in.escape ? "escape" : "enter";
      if (!in.escape) j["text"] = in.text;
      break;
    case InputKind::Focus:
      j["vessel"] = in.vessel;
      break;
    case InputKind::Cockpit:
      j["position"] = in.position;
      break;
    case InputKind::Time:
      j["accel"] = in.accel;
      break;
    case InputKind::Pause:
      j["paused"] = in.paused;
      break;
    case InputKind::View:
      j["east"] = in.east;
      j["north"] = in.north;
      j["radius"] = in.radius;
      break;
    case InputKind::Pushback:
      if (in.stop) {
        j["stop"] = true;
        break;
      }
      j["points"] = json::array();
      for (const Input::PlanPoint& p : in.points) j["points"].push_back({{"e", p.e}, {"n", p.n}});
      j["heading"] = in.heading;
      if (in.check) j["check"] = true;
      break;
    case InputKind::Save:
    case InputKind::Quit:
    case InputKind::Blur:
    case InputKind::Join:
    case InputKind::Leave:
      break;
  }
  return j;
}

std::string ErrorMessage(const std::string& message, int64_t seq) {
  json j;
  j["type"] = "error";
  j["message"] = message;
  j["seq"] = seq >= 0 ? json(seq) : json(nullptr);
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ByeMessage() { return "{\"type\":\"bye\"}"; }

std::string NoticeMessage(const std::string& text) {
  json j;
  j["type"] = "notice";
  j["message"] = text;
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace kvqsim
