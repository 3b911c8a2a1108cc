#include "sim/mesh_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace sim {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool SameWord(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != 0; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

// One line's text without its comment, consumed word by word.
struct Line {
  std::string_view rest;
  int number = 0;

  std::string_view Word() {
    size_t i = 0;
    while (i < rest.size() && IsSpace(rest[i])) ++i;
    size_t j = i;
    while (j < rest.size() && !IsSpace(rest[j])) ++j;
    std::string_view w = rest.substr(i, j - i);
    rest.remove_prefix(j);
    return w;
  }
  bool Number(double* v) {
    std::string_view w = Word();
    if (!w.empty() && w[0] == '+') w.remove_prefix(1);
    const auto r = std::from_chars(w.data(), w.data() + w.size(), *v);
    return !w.empty() && r.ec == std::errc() && r.ptr == w.data() + w.size() && std::isfinite(*v);
  }
  bool Count(size_t* n) {
    std::string_view w = Word();
    unsigned long long v = 0;
    const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    if (w.empty() || r.ec != std::errc() || r.ptr != w.data() + w.size()) return false;
    *n = static_cast<size_t>(v);
    return v <= 0xFFFFFFFFull;
  }
  // Bit flags, written in hexadecimal as the format lists them (an "0x" is allowed).
  bool Hex(uint32_t* f) {
    std::string_view w = Word();
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) w.remove_prefix(2);
    const auto r = std::from_chars(w.data(), w.data() + w.size(), *f, 16);
    return !w.empty() && r.ec == std::errc() && r.ptr == w.data() + w.size();
  }
};

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {
    for (char c : text) total_ += c == '\n';
    ++total_;
  }
  // The next line with anything on it besides a comment; false at the end.
  bool Next(Line* line) {
    while (pos_ < text_.size() || (pos_ == text_.size() && !done_)) {
      size_t end = text_.find('\n', pos_);
      if (end == std::string_view::npos) {
        end = text_.size();
        done_ = true;
      }
      std::string_view s = text_.substr(pos_, end - pos_);
      pos_ = end + 1;
      ++number_;
      const size_t sc = s.find(';');
      if (sc != std::string_view::npos) s = s.substr(0, sc);
      size_t i = 0;
      while (i < s.size() && IsSpace(s[i])) ++i;
      if (i == s.size()) continue;
      line->rest = s;
      line->number = number_;
      return true;
    }
    line->number = number_;
    return false;
  }
  int LastNumber() const { return number_; }
  // Lines after the current one: nothing that needs a line each can ask for more.
  size_t LinesLeft() const { return total_ > number_ ? static_cast<size_t>(total_ - number_) : 0; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
  int total_ = 0;
  bool done_ = false;
};

struct Failure {
  int line;
  std::string what;
};

std::string Format(const char* fmt, size_t a, size_t b = 0, size_t c = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

// Where the file gives no normals: the average of the adjacent triangles'
// normals (area-weighted), as the simulator guesses them.
void FillNormals(MeshFileGroup* g, const std::vector<bool>& given) {
  std::vector<double> acc(g->positions.size(), 0.0);
  const float* p = g->positions.data();
  for (size_t t = 0; t + 2 < g->indices.size(); t += 3) {
    const uint32_t a = g->indices[t], b = g->indices[t + 1], c = g->indices[t + 2];
    const double ux = p[3 * b] - p[3 * a], uy = p[3 * b + 1] - p[3 * a + 1], uz = p[3 * b + 2] - p[3 * a + 2];
    const double vx = p[3 * c] - p[3 * a], vy = p[3 * c + 1] - p[3 * a + 1], vz = p[3 * c + 2] - p[3 * a + 2];
    const double n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    for (uint32_t k : {a, b, c}) {
      for (int i = 0; i < 3; ++i) acc[3 * k + i] += n[i];
    }
  }
  for (size_t k = 0; k < g->VertexCount(); ++k) {
    if (given[k]) continue;
    const double len = std::sqrt(acc[3 * k] * acc[3 * k] + acc[3 * k + 1] * acc[3 * k + 1] + acc[3 * k + 2] * acc[3 * k + 2]);
    for (int i = 0; i < 3; ++i) {
      g->normals[3 * k + i] = len > 0 ? static_cast<float>(acc[3 * k + i] / len) : (i == 1 ? 1.0f : 0.0f);
    }
  }
}

bool ReadGeometry(Reader& r, Line& head, bool noNormals, MeshFileGroup* g, Failure* f) {
  size_t nv = 0, nt = 0;
  if (!head.Count(&nv) || !head.Count(&nt)) {
    *f = {head.number, "GEOM needs a vertex and a triangle count"};
    return false;
  }
  if (nv > MESH_MAX_GROUP_VERTICES) {
    *f = {head.number, Format("GEOM with %zu vertices (at most %zu in a group)", nv, MESH_MAX_GROUP_VERTICES)};
    return false;
  }
  if (nv + nt > r.LinesLeft()) {
    *f = {head.number, Format("truncated GEOM: %zu vertices and %zu triangles announced, %zu lines left", nv, nt,
                              r.LinesLeft())};
    return false;
  }
  g->positions.resize(3 * nv);
  g->normals.assign(3 * nv, 0.0f);
  g->uvs.assign(2 * nv, 0.0f);
  g->indices.resize(3 * nt);
  std::vector<bool> given(nv, false);
  bool allGiven = true;
  Line l;
  for (size_t k = 0; k < nv; ++k) {
    if (!r.Next(&l)) {
      *f = {l.number, Format("truncated GEOM: the file ends at vertex %zu of %zu", k, nv)};
      return false;
    }
    double v[8];
    int n = 0;
    Line probe = l;
    while (n < 8 && probe.Number(&v[n])) {
      ++n;
      l = probe;
    }
    if (n < 3) {
      *f = {l.number, Format("vertex %zu of %zu: x y z expected", k, nv)};
      return false;
    }
    for (int i = 0; i < 3; ++i) g->positions[3 * k + i] = static_cast<float>(v[i]);
    int uv = -1;
    if (noNormals) {
      if (n >= 5) uv = 3;
    } else if (n >= 6) {
      for (int i = 0; i < 3; ++i) g->normals[3 * k + i] = static_cast<float>(v[3 + i]);
      given[k] = true;
      if (n >= 8) uv = 6;
    } else if (n == 5) {
      uv = 3;  // x y z u v without NONORMAL
    }
    if (uv >= 0) {
      g->uvs[2 * k] = static_cast<float>(v[uv]);
      g->uvs[2 * k + 1] = static_cast<float>(v[uv + 1]);
    }
    allGiven = allGiven && given[k];
  }
  for (size_t t = 0; t < nt; ++t) {
    if (!r.Next(&l)) {
      *f = {l.number, Format("truncated GEOM: the file ends at triangle %zu of %zu", t, nt)};
      return false;
    }
    for (int i = 0; i < 3; ++i) {
      size_t idx = 0;
      if (!l.Count(&idx)) {
        *f = {l.number, Format("triangle %zu of %zu: three vertex indices expected", t, nt)};
        return false;
      }
      if (idx >= nv) {
        *f = {l.number, Format("triangle %zu: vertex index %zu out of range (the group has %zu vertices)", t, idx, nv)};
        return false;
      }
      g->indices[3 * t + i] = static_cast<uint32_t>(idx);
    }
  }
  if (!allGiven) FillNormals(g, given);
  return true;
}

struct IndexLine {
  size_t group;
  size_t index;
  int line;
};

bool Parse(std::string_view text, MeshFile* m, Failure* f) {
  Reader r(text);
  Line l;
  if (!r.Next(&l) || !SameWord(l.Word(), "MSHX1")) {
    *f = {l.number, "not a mesh file (MSHX1 expected)"};
    return false;
  }
  size_t ng = 0;
  if (!r.Next(&l) || !SameWord(l.Word(), "GROUPS") || !l.Count(&ng)) {
    *f = {l.number, "GROUPS and a count expected"};
    return false;
  }
  if (ng > r.LinesLeft()) {
    *f = {l.number, Format("GROUPS %zu, but only %zu lines follow", ng, r.LinesLeft())};
    return false;
  }
  m->groups.resize(ng);
  std::vector<IndexLine> materialRefs, textureRefs;
  size_t material = 0, texture = 0;  // as in the file, inherited from the group before
  int materialLine = 0, textureLine = 0;
  for (size_t gi = 0; gi < ng; ++gi) {
    MeshFileGroup& g = m->groups[gi];
    bool noNormals = false;
    for (;;) {
      if (!r.Next(&l)) {
        *f = {l.number, Format("the file ends in group %zu of %zu (no GEOM)", gi, ng)};
        return false;
      }
      Line item = l;
      const std::string_view w = item.Word();
      if (SameWord(w, "GEOM")) {
        if (!ReadGeometry(r, item, noNormals, &g, f)) return false;
        break;
      } else if (SameWord(w, "LABEL")) {
        g.label = std::string(item.Word());
      } else if (SameWord(w, "MATERIAL")) {
        if (!item.Count(&material)) {
          *f = {l.number, "MATERIAL needs a material number"};
          return false;
        }
        materialLine = l.number;
      } else if (SameWord(w, "TEXTURE")) {
        if (!item.Count(&texture)) {
          *f = {l.number, "TEXTURE needs a texture number"};
          return false;
        }
        textureLine = l.number;
      } else if (SameWord(w, "TEXWRAP")) {
        const std::string_view uv = item.Word();
        for (char c : uv) g.texWrap |= (c == 'U' || c == 'u') ? 1 : (c == 'V' || c == 'v') ? 2 : 0;
      } else if (SameWord(w, "NONORMAL")) {
        noNormals = true;
      } else if (SameWord(w, "FLAG")) {
        if (!item.Hex(&g.flags)) {
          *f = {l.number, "FLAG needs hexadecimal bit flags"};
          return false;
        }
      } else if (SameWord(w, "MATERIALS") || SameWord(w, "TEXTURES") || (!w.empty() && (std::isdigit(static_cast<unsigned char>(w[0])) || w[0] == '-' || w[0] == '.'))) {
        *f = {l.number, Format("group %zu of %zu expected (GEOM counts too small, or GROUPS too large?)", gi, ng)};
        return false;
      }
      // Other items of newer editions of the format are passed over.
    }
    g.material = static_cast<int>(material) - 1;
    g.texture = static_cast<int>(texture);
    if (material > 0) materialRefs.push_back({gi, material, materialLine});
    if (texture > 0) textureRefs.push_back({gi, texture, textureLine});
  }

  bool more = r.Next(&l);
  Line item = l;
  std::string_view w = more ? item.Word() : std::string_view();
  if (more && SameWord(w, "MATERIALS")) {
    size_t nm = 0;
    if (!item.Count(&nm) || 6 * nm > r.LinesLeft()) {
      *f = {l.number, Format("MATERIALS needs a count that fits the file (%zu lines left, six per material)",
                             r.LinesLeft())};
      return false;
    }
    m->materialNames.resize(nm);
    m->materials.assign(nm, MATERIAL{});
    for (size_t i = 0; i < nm; ++i) {
      if (!r.Next(&l)) {
        *f = {l.number, Format("the file ends in the material names (%zu of %zu)", i, nm)};
        return false;
      }
      m->materialNames[i] = std::string(l.Word());
    }
    std::vector<bool> filled(nm, false);
    for (size_t i = 0; i < nm; ++i) {
      if (!r.Next(&l) || !SameWord(l.Word(), "MATERIAL")) {
        *f = {l.number, Format("MATERIAL block %zu of %zu expected", i, nm)};
        return false;
      }
      const std::string_view name = l.Word();
      size_t k = 0;
      while (k < nm && (filled[k] || m->materialNames[k] != name)) ++k;
      if (k == nm) {
        *f = {l.number, "MATERIAL block '" + std::string(name) + "' names no material of the list"};
        return false;
      }
      filled[k] = true;
      COLOUR4* colours[4] = {&m->materials[k].diffuse, &m->materials[k].ambient, &m->materials[k].specular,
                             &m->materials[k].emissive};
      for (int c = 0; c < 4; ++c) {
        double v[4];
        if (!r.Next(&l) || !l.Number(&v[0]) || !l.Number(&v[1]) || !l.Number(&v[2]) || !l.Number(&v[3])) {
          *f = {l.number, "material colour expected: r g b a"};
          return false;
        }
        *colours[c] = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]),
                       static_cast<float>(v[3])};
        double power = 0;
        if (c == 2 && l.Number(&power)) m->materials[k].power = static_cast<float>(power);
      }
    }
    more = r.Next(&l);
    item = l;
    w = more ? item.Word() : std::string_view();
  }
  if (more && SameWord(w, "TEXTURES")) {
    size_t nt = 0;
    if (!item.Count(&nt) || nt > r.LinesLeft()) {
      *f = {l.number, Format("TEXTURES needs a count that fits the file (%zu lines left)", r.LinesLeft())};
      return false;
    }
    m->textures.resize(nt);
    for (size_t i = 0; i < nt; ++i) {
      if (!r.Next(&l)) {
        *f = {l.number, Format("the file ends in the texture names (%zu of %zu)", i, nt)};
        return false;
      }
      m->textures[i] = std::string(l.Word());  // a following 'D' (dynamic) changes nothing here
    }
  }

  for (const IndexLine& ref : materialRefs) {
    if (ref.index > m->materials.size()) {
      *f = {ref.line, Format("group %zu: material %zu out of range (the mesh has %zu)", ref.group, ref.index,
                             m->materials.size())};
      return false;
    }
  }
  for (const IndexLine& ref : textureRefs) {
    if (ref.index > m->textures.size()) {
      *f = {ref.line, Format("group %zu: texture %zu out of range (the mesh has %zu)", ref.group, ref.index,
                             m->textures.size())};
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseMeshFile(std::string_view text, MeshFile* out, int* errorLine, std::string* error) {
  MeshFile m;
  Failure f{0, ""};
  if (!Parse(text, &m, &f)) {
    *out = MeshFile{};
    if (errorLine) *errorLine = f.line;
    if (error) *error = f.what;
    return false;
  }
  *out = std::move(m);
  return true;
}

}  // namespace sim
