// Scenario files: reading a vessel's block line by line, the host's own
// lines (STATUS, POS, HEADING, ATTACHED), writing, and class-file items.
#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sim/world.h"

namespace host {
namespace {

constexpr uint32_t READER_TAG = 0x52454144;
constexpr uint32_t WRITER_TAG = 0x57524954;

struct Reader {
  uint32_t tag = READER_TAG;
  const std::vector<std::string>* lines = nullptr;
  size_t next = 0;
  char buf[ITEM_LEN] = {};
};

struct Writer {
  uint32_t tag = WRITER_TAG;
  FILE* f = nullptr;
};

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

// Does `line` start with the item `key` followed by a blank or its end?
const char* ItemValue(const char* line, const char* key) {
  while (*line == ' ' || *line == '\t') ++line;
  const size_t n = std::strlen(key);
  if (strncasecmp(line, key, n) != 0) return nullptr;
  const char c = line[n];
  if (c != 0 && c != ' ' && c != '\t' && c != '\r' && c != '\n') return nullptr;
  return line + n;
}

struct Block {
  std::string name, className;
  int line = 0;
  std::vector<std::string> lines;
};

FILE* OpenScenario(const std::string& path, const char* mode) {
  if (FILE* f = std::fopen(path.c_str(), mode)) return f;
  return OpenHostFile(path.c_str(), mode);
}

}  // namespace

bool ScenarioCarriesName(const char* name, std::string* why) {
  auto refuse = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  if (name == nullptr || *name == '\0') return refuse("a vessel needs a name");
  const std::string quoted = "vessel name '" + std::string(name) + "'";
  if (std::strlen(name) > MAX_VESSEL_NAME)
    return refuse(quoted + " is longer than " + std::to_string(MAX_VESSEL_NAME) + " characters");
  // The header line is "name:class"; a line starting with ';' is a comment.
  if (*name == ';') return refuse(quoted + " starts with ';' (a saved scenario reads that line as a comment)");
  for (const char* c = name; *c != '\0'; ++c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (u == ' ' || u == '\t') return refuse(quoted + " holds a blank");
    if (u < 0x20 || u == 0x7F) return refuse(quoted + " holds a control character");
    if (u == ':') return refuse(quoted + " holds ':' (it separates name and class in a saved scenario)");
  }
  return true;
}

void ParseHostLine(Vessel* v, const char* line, VESSELSTATUS2* st) {
  World& w = W();
  if (st == nullptr) st = w.loading;
  if (const char* p = ItemValue(line, "STATUS")) {
    char what[32] = {};
    if (st != nullptr && std::sscanf(p, "%31s", what) == 1) st->status = strcasecmp(what, "Landed") == 0 ? 1 : 0;
  } else if (const char* p = ItemValue(line, "POS")) {
    double lng = 0, lat = 0;
    if (st != nullptr && std::sscanf(p, "%lf %lf", &lng, &lat) == 2 && std::isfinite(lng) && std::isfinite(lat)) {
      st->surf_lng = lng * RAD;
      st->surf_lat = lat * RAD;
    }
  } else if (const char* p = ItemValue(line, "HEADING")) {
    double hdg = 0;
    if (st != nullptr && std::sscanf(p, "%lf", &hdg) == 1 && std::isfinite(hdg)) st->surf_hdg = hdg * RAD;
  } else if (const char* p = ItemValue(line, "RPOS")) {
    // Free flight: position relative to the planet (m); the vessel settles
    // on the ground under it.
    VECTOR3 r;
    if (st != nullptr && std::sscanf(p, "%lf %lf %lf", &r.x, &r.y, &r.z) == 3 && std::isfinite(r.x) &&
        std::isfinite(r.y) && std::isfinite(r.z) && length(r) > 0)
      st->rpos = r;
  } else if (const char* p = ItemValue(line, "AROT")) {
    VECTOR3 a;
    if (st != nullptr && std::sscanf(p, "%lf %lf %lf", &a.x, &a.y, &a.z) == 3 && std::isfinite(a.x) &&
        std::isfinite(a.y) && std::isfinite(a.z))
      st->arot = a * RAD;
  } else if (const char* p = ItemValue(line, "ATTACHED")) {
    int i = -1, j = -1;
    char parent[ITEM_LEN] = {};
    if (std::sscanf(p, " %d:%d,%255s", &i, &j, parent) == 3 && i >= 0 && j >= 0) {
      w.pending.push_back({v, i, j, parent});
    } else {
      std::fprintf(stderr, "host: vessel %s: malformed line '%s' ignored\n", v->name.c_str(), line);
    }
  }
  // Anything else is not the host's.
}

void WriteHostLines(Vessel* v, FILEHANDLE scn) {
  double lng, lat, hdg;
  SurfaceOf(v, &lng, &lat, &hdg);
  char buf[ITEM_LEN];
  oapiWriteScenario_string(scn, "STATUS", "Landed Earth");
  std::snprintf(buf, sizeof buf, "%.9f %.9f", lng * DEG, lat * DEG);
  oapiWriteScenario_string(scn, "POS", buf);
  std::snprintf(buf, sizeof buf, "%.6f", hdg * DEG);
  oapiWriteScenario_string(scn, "HEADING", buf);
  if (Attachment* cp = v->parentPoint) {
    Vessel* parent = cp->peer;
    int i = 0, j = 0;
    for (size_t k = 0; k < v->toParent.size(); ++k) {
      if (v->toParent[k].get() == cp) i = static_cast<int>(k);
    }
    for (size_t k = 0; k < parent->toChild.size(); ++k) {
      if (parent->toChild[k].get() == cp->peerPoint) j = static_cast<int>(k);
    }
    std::snprintf(buf, sizeof buf, "%d:%d,%s", i, j, parent->name.c_str());
    oapiWriteScenario_string(scn, "ATTACHED", buf);
  }
}

void ApplyAttachedLines() {
  World& w = W();
  std::vector<PendingAttach> todo;
  todo.swap(w.pending);
  for (const auto& p : todo) {
    Vessel* child = AsVessel(p.child);
    Vessel* parent = FindVessel(p.parent.c_str());
    const bool ok = child != nullptr && parent != nullptr && static_cast<size_t>(p.childPoint) < child->toParent.size() &&
                    static_cast<size_t>(p.parentPoint) < parent->toChild.size() &&
                    Attach(parent, parent->toChild[static_cast<size_t>(p.parentPoint)].get(), child,
                           child->toParent[static_cast<size_t>(p.childPoint)].get());
    if (!ok) {
      std::fprintf(stderr, "host: cannot restore coupling ATTACHED %d:%d,%s of %s\n", p.childPoint, p.parentPoint,
                   p.parent.c_str(), child ? child->name.c_str() : "?");
    }
  }
}

// Hands a vessel's block to its clbkLoadStateEx.
void LoadVesselState(Vessel* v, const std::vector<std::string>& lines) {
  Reader r;
  r.lines = &lines;
  VESSELSTATUS2 st{};
  st.version = 2;
  v->iface->GetStatusEx(&st);
  World& w = W();
  VESSELSTATUS2* outer = w.loading;
  w.loading = &st;
  {
    CallbackScope scope;
    v->iface->clbkLoadStateEx(&r, &st);
  }
  w.loading = outer;
  if (st.status == 1) {
    SetLanded(v, st.surf_lng, st.surf_lat, st.surf_hdg);
  } else {
    SettleAt(v, st.rpos, EulerToMatrix(st.arot));
  }
}

}  // namespace host

bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
  auto* r = static_cast<host::Reader*>(scn);
  if (r == nullptr || r->tag != host::READER_TAG || r->lines == nullptr || r->next >= r->lines->size()) return false;
  host::CopyBounded(r->buf, sizeof r->buf, (*r->lines)[r->next++].c_str());
  line = r->buf;
  return true;
}

bool oapiReadItem_string(FILEHANDLE f, const char* item, char* string) {
  if (f == nullptr || item == nullptr || string == nullptr) return false;
  for (auto& c : host::W().classes) {
    if (c.get() != f) continue;
    const char* v = c->Find(item);
    if (v == nullptr) return false;
    // The caller's buffer holds at least an item line.
    host::CopyBounded(string, host::ITEM_LEN, v);
    return true;
  }
  return false;
}

void oapiWriteScenario_string(FILEHANDLE scn, const char* item, const char* string) {
  auto* w = static_cast<host::Writer*>(scn);
  if (w == nullptr || w->tag != host::WRITER_TAG || w->f == nullptr || item == nullptr) return;
  std::fprintf(w->f, "  %s %s\n", item, string ? string : "");
}

namespace sim {

bool LoadScenario(const std::string& path, std::string* error) {
  using namespace host;
  World& w = W();
  auto fail = [&](const std::string& msg) {
    if (error) *error = msg;
    return false;
  };
  if (!w.running) return fail(path + ": the host is not started");
  FILE* f = OpenScenario(path, "r");
  if (f == nullptr) return fail(path + ": cannot read scenario file");
  std::vector<std::string> text;
  {
    char buf[4096];
    std::string cur;
    while (std::fgets(buf, sizeof buf, f)) {
      cur += buf;
      if (!cur.empty() && cur.back() == '\n') {
        cur.pop_back();
        if (!cur.empty() && cur.back() == '\r') cur.pop_back();
        text.push_back(cur);
        cur.clear();
      }
    }
    if (!cur.empty()) text.push_back(cur);
    std::fclose(f);
  }
  std::vector<Block> blocks;
  std::string focus, desc;
  enum { NONE, DESC, FOCUS, SHIPS, BLOCK, OTHER } sect = NONE;
  std::string otherEnd;
  for (size_t n = 0; n < text.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    const std::string raw = text[n];
    const std::string t = Trim(raw);
    const std::string where = path + ":" + std::to_string(lineNo) + ": ";
    switch (sect) {
      case NONE:
        if (t == "BEGIN_DESC") sect = DESC;
        else if (t == "BEGIN_FOCUS") sect = FOCUS;
        else if (t == "BEGIN_SHIPS") sect = SHIPS;
        else if (t.rfind("BEGIN_", 0) == 0) {
          sect = OTHER;
          otherEnd = "END_" + t.substr(6);
        }
        break;
      case DESC:
        if (t == "END_DESC") sect = NONE;
        else desc += raw + "\n";
        break;
      case FOCUS:
        if (t == "END_FOCUS") {
          sect = NONE;
        } else if (const char* v = ItemValue(t.c_str(), "Ship")) {
          focus = Trim(v);
        }
        break;
      case OTHER:
        if (t == otherEnd) sect = NONE;
        break;
      case SHIPS: {
        if (t.empty() || t[0] == ';') break;
        if (t == "END_SHIPS") {
          sect = NONE;
          break;
        }
        const size_t colon = t.find(':');
        Block b;
        if (colon != std::string::npos) {
          b.name = Trim(t.substr(0, colon));
          b.className = Trim(t.substr(colon + 1));
        }
        if (colon == std::string::npos || b.name.empty() || b.className.empty() ||
            b.name.find_first_of(" \t") != std::string::npos || b.className.find_first_of(" \t") != std::string::npos)
          return fail(where + "malformed vessel header '" + t + "' (expected Name:Class)");
        for (const auto& o : blocks) {
          if (EqualNoCase(o.name.c_str(), b.name.c_str()))
            return fail(where + "vessel name '" + b.name + "' (class " + b.className + ") used twice");
        }
        b.line = lineNo;
        blocks.push_back(b);
        sect = BLOCK;
        break;
      }
      case BLOCK:
        if (t == "END") {
          sect = SHIPS;
        } else if (t == "END_SHIPS") {
          return fail(where + "vessel '" + blocks.back().name + "' (class " + blocks.back().className +
                      ") has no END line");
        } else if (!t.empty()) {
          blocks.back().lines.push_back(t);
        }
        break;
    }
  }
  if (sect == BLOCK)
    return fail(path + ":" + std::to_string(text.size()) + ": vessel '" + blocks.back().name + "' (class " +
                blocks.back().className + ") has no END line");
  // Every class must exist before anything is created.
  for (const auto& b : blocks) {
    std::string e;
    if (LoadClass(b.className.c_str(), &e) == nullptr)
      return fail(path + ":" + std::to_string(b.line) + ": vessel '" + b.name + "': " + e);
    if (FindVessel(b.name.c_str()) != nullptr)
      return fail(path + ":" + std::to_string(b.line) + ": vessel '" + b.name + "' (class " + b.className +
                  ") already exists");
  }
  w.description = desc;
  for (const auto& b : blocks) {
    std::string e;
    if (FindVessel(b.name.c_str()) != nullptr) {
      // Made meanwhile by a vessel of an earlier block.
      std::fprintf(stderr, "host: %s:%d: vessel '%s' already created by the scene; block skipped\n", path.c_str(),
                   b.line, b.name.c_str());
      continue;
    }
    if (CreateVessel(b.name.c_str(), b.className.c_str(), nullptr, &b.lines, &e) == nullptr)
      return fail(path + ":" + std::to_string(b.line) + ": vessel '" + b.name + "': " + e);
  }
  ApplyAttachedLines();
  if (!focus.empty()) {
    if (Vessel* v = FindVessel(focus.c_str())) oapiSetFocusObject(v);
  }
  if (w.focus == nullptr && !w.vessels.empty()) oapiSetFocusObject(w.vessels.front().get());
  return true;
}

bool WriteVesselState(OBJHANDLE h, FILE* f) {
  host::Vessel* v = host::AsVessel(h);
  if (v == nullptr || f == nullptr) return false;
  host::Writer wr;
  wr.f = f;
  host::CallbackScope scope;
  v->iface->clbkSaveState(&wr);
  return true;
}

bool ReadVesselState(OBJHANDLE h, const std::vector<std::string>& lines) {
  host::Vessel* v = host::AsVessel(h);
  if (v == nullptr) return false;
  host::LoadVesselState(v, lines);
  return true;
}

bool SaveScenario(const std::string& path, std::string* error) {
  using namespace host;
  World& w = W();
  FILE* f = OpenScenario(path, "wb");  // the same bytes on every system
  if (f == nullptr) {
    if (error) *error = path + ": cannot write scenario file";
    return false;
  }
  std::fprintf(f, "BEGIN_DESC\n%sEND_DESC\n\n", w.description.c_str());
  if (w.focus != nullptr) std::fprintf(f, "BEGIN_FOCUS\n  Ship %s\nEND_FOCUS\n\n", w.focus->name.c_str());
  std::fprintf(f, "BEGIN_SHIPS\n");
  Writer wr;
  wr.f = f;
  for (size_t i = 0; i < w.vessels.size(); ++i) {
    Vessel* v = w.vessels[i].get();
    std::fprintf(f, "%s:%s\n", v->name.c_str(), v->className.c_str());
    {
      CallbackScope scope;
      v->iface->clbkSaveState(&wr);
    }
    std::fprintf(f, "END\n");
  }
  std::fprintf(f, "END_SHIPS\n");
  const bool ok = std::ferror(f) == 0;
  std::fclose(f) ;
  if (!ok && error) *error = path + ": write error";
  return ok;
}

}  // namespace sim
