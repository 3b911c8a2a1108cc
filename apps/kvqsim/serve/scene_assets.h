// The meshes the scene's vessels show and the textures of those meshes,
// kept published for the page on the simulation thread: each mesh once, as
// the host parsed it; each texture as its pixels stand, again whenever a
// module drew into it.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "apps/kvqsim/serve/assets.h"
#include "host/orbiterapi.h"

namespace kvqsim {

class SceneAssets {
 public:
  using Clock = std::chrono::steady_clock;
  explicit SceneAssets(AssetStore* store) : store_(store) {}

  // Publishes the meshes of every vessel not published yet, and textures
  // whose pixels changed (each at most ten times a second).
  void Update(Clock::time_point now);
  // The path the page fetches a mesh from ("/mesh/NAME"), publishing it
  // when it is new; "" for none.
  const std::string& MeshPath(MESHHANDLE m);
  // The path of a texture surface ("/texture/MESH/N"), or "" when it is
  // none of the published meshes' textures.
  const std::string& TexturePath(SURFHANDLE s) const;
  // Every published texture's path with the version of its pixels.
  const std::map<std::string, uint64_t>& Textures() const { return versions_; }

 private:
  struct Texture {
    std::string path;
    uint64_t version = 0;  // of the pixels published
    Clock::time_point published{};
  };
  void Publish(MESHHANDLE m);
  void PublishTexture(SURFHANDLE s, Texture& t, Clock::time_point now);

  AssetStore* store_;
  std::unordered_map<MESHHANDLE, std::string> meshes_;  // path of each published mesh
  std::unordered_map<SURFHANDLE, Texture> textures_;
  std::map<std::string, uint64_t> versions_;
};

// A mesh as the page reads it: its groups (positions, normals, uvs,
// triangles, material, texture, flags), materials and texture names.
std::string MeshJson(const char* name, MESHHANDLE m);

}  // namespace kvqsim
