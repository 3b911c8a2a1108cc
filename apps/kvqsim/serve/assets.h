// Meshes and textures for the page: made on the simulation thread from
// what the host holds, handed to the server's threads as values that never
// change once made, and served from here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kvqsim {

// One served file. A texture's pixels (0xRRGGBB, rows from the top) are
// turned into PNG the first time a page asks for them.
class Asset {
 public:
  static std::shared_ptr<const Asset> Json(std::string body);
  static std::shared_ptr<const Asset> Picture(int width, int height, std::vector<uint32_t> pixels);

  const char* ContentType() const { return json_ ? "application/json" : "image/png"; }
  // The bytes to send; empty when a picture could not be encoded.
  const std::string& Body() const;

 private:
  bool json_ = true;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
  mutable std::once_flag encoded_;
  mutable std::string body_;
};

class AssetStore {
 public:
  void Put(const std::string& path, std::shared_ptr<const Asset> asset);
  // Null when there is none under that path.
  std::shared_ptr<const Asset> Get(const std::string& path) const;

 private:
  mutable std::mutex mu_;
  std::map<std::string, std::shared_ptr<const Asset>> assets_;
};

}  // namespace kvqsim
