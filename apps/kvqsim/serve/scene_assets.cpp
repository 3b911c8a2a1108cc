#include "apps/kvqsim/serve/scene_assets.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr auto TEXTURE_EVERY = std::chrono::milliseconds(100);

const std::string NONE;

// The shortest text that reads back as the same float: a mesh file's
// "1.065" stays "1.065".
void Append(std::string* out, float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out->append(buf, r.ptr);
}

template <typename T>
void AppendArray(std::string* out, const std::vector<T>& values) {
  out->push_back('[');
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out->push_back(',');
    if constexpr (std::is_floating_point_v<T>) {
      Append(out, values[i]);
    } else {
      char buf[24];
      const auto r = std::to_chars(buf, buf + sizeof buf, values[i]);
      out->append(buf, r.ptr);
    }
  }
  out->push_back(']');
}

void AppendString(std::string* out, const std::string& s) {
  out->push_back('"');
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out->push_back('\\');
      out->push_back(c);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
      out->append(buf);
    } else {
      out->push_back(c);
    }
  }
  out->push_back('"');
}

void AppendColour(std::string* out, const COLOUR4& c) {
  AppendArray(out, std::vector<float>{c.r, c.g, c.b, c.a});
}

// A mesh name as a path: letters, digits and '.', '-', '_' kept, folders
// with '/', anything else as '_'.
std::string PathOf(const char* prefix, const std::string& name) {
  std::string p = prefix;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    p.push_back(c == '\\' || c == '/' ? '/' : (std::isalnum(u) || c == '.' || c == '-' || c == '_') ? c : '_');
  }
  return p;
}

}  // namespace

std::string MeshJson(const char* name, MESHHANDLE m) {
  const sim::MeshFile* f = sim::MeshData(m);
  std::string out = "{\"name\":";
  AppendString(&out, name ? name : "");
  out += ",\"groups\":[";
  if (f != nullptr) {
    for (size_t i = 0; i < f->groups.size(); ++i) {
      const sim::MeshFileGroup& g = f->groups[i];
      if (i) out.push_back(',');
      out += "{\"label\":";
      AppendString(&out, g.label);
      out += ",\"material\":" + std::to_string(g.material) + ",\"texture\":" + std::to_string(g.texture) +
             ",\"flags\":" + std::to_string(g.flags) + ",\"texwrap\":" + std::to_string(g.texWrap) + ",\"positions\":";
      AppendArray(&out, g.positions);
      out += ",\"normals\":";
      AppendArray(&out, g.normals);
      out += ",\"uvs\":";
      AppendArray(&out, g.uvs);
      out += ",\"indices\":";
      AppendArray(&out, g.indices);
      out.push_back('}');
    }
  }
  out += "],\"materials\":[";
  if (f != nullptr) {
    for (size_t i = 0; i < f->materials.size(); ++i) {
      const MATERIAL& mat = f->materials[i];
      if (i) out.push_back(',');
      out += "{\"name\":";
      AppendString(&out, i < f->materialNames.size() ? f->materialNames[i] : "");
      out += ",\"diffuse\":";
      AppendColour(&out, mat.diffuse);
      out += ",\"ambient\":";
      AppendColour(&out, mat.ambient);
      out += ",\"specular\":";
      AppendColour(&out, mat.specular);
      out += ",\"emissive\":";
      AppendColour(&out, mat.emissive);
      out += ",\"power\":";
      Append(&out, mat.power);
      out.push_back('}');
    }
  }
  out += "],\"textures\":[";
  if (f != nullptr) {
    for (size_t i = 0; i < f->textures.size(); ++i) {
      if (i) out.push_back(',');
      AppendString(&out, f->textures[i]);
    }
  }
  out += "]}";
  return out;
}

const std::string& SceneAssets::MeshPath(MESHHANDLE m) {
  if (m == nullptr) return NONE;
  auto it = meshes_.find(m);
  if (it == meshes_.end()) {
    Publish(m);
    it = meshes_.find(m);
  }
  return it->second;
}

const std::string& SceneAssets::TexturePath(SURFHANDLE s) const {
  auto it = textures_.find(s);
  return it == textures_.end() ? NONE : it->second.path;
}

void SceneAssets::Publish(MESHHANDLE m) {
  const char* name = sim::MeshName(m);
  const std::string path = PathOf("/mesh/", name ? name : "");
  meshes_[m] = path;
  store_->Put(path, Asset::Json(MeshJson(name, m)));
  const sim::MeshFile* f = sim::MeshData(m);
  const size_t count = f ? f->textures.size() : 0;
  for (size_t n = 1; n <= count; ++n) {
    SURFHANDLE s = oapiGetTextureHandle(m, static_cast<DWORD>(n));
    if (s == nullptr || textures_.count(s)) continue;
    Texture& t = textures_[s];
    t.path = PathOf("/texture/", name ? name : "") + "/" + std::to_string(n);
    PublishTexture(s, t, Clock::now());
  }
}

void SceneAssets::PublishTexture(SURFHANDLE s, Texture& t, Clock::time_point now) {
  int w = 0, h = 0;
  const DWORD* px = sim::SurfacePixels(s);
  if (px == nullptr || !sim::SurfaceSize(s, &w, &h)) return;
  t.version = sim::SurfaceVersion(s);
  t.published = now;
  std::vector<uint32_t> pixels(px, px + static_cast<size_t>(w) * static_cast<size_t>(h));
  store_->Put(t.path, Asset::Picture(w, h, std::move(pixels)));
  versions_[t.path] = t.version;
}

void SceneAssets::Update(Clock::time_point now) {
  for (DWORD i = 0, n = oapiGetVesselCount(); i < n; ++i) {
    OBJHANDLE h = oapiGetVesselByIndex(static_cast<int>(i));
    for (int k = 0, meshes = sim::VesselMeshCount(h); k < meshes; ++k) {
      sim::VesselMeshInfo info;
      if (sim::GetVesselMesh(h, k, &info) && info.mesh != nullptr && !meshes_.count(info.mesh)) Publish(info.mesh);
    }
  }
  for (auto& [s, t] : textures_)
    if (sim::SurfaceVersion(s) != t.version && now - t.published >= TEXTURE_EVERY) PublishTexture(s, t, now);
}

}  // namespace kvqsim
