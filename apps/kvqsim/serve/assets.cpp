#include "apps/kvqsim/serve/assets.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace kvqsim {

std::shared_ptr<const Asset> Asset::Json(std::string body) {
  auto a = std::make_shared<Asset>();
  a->body_ = std::move(body);
  std::call_once(a->encoded_, [] {});
  return a;
}

std::shared_ptr<const Asset> Asset::Picture(int width, int height, std::vector<uint32_t> pixels) {
  auto a = std::make_shared<Asset>();
  a->json_ = false;
  a->width_ = width;
  a->height_ = height;
  a->pixels_ = std::move(pixels);
  return a;
}

const std::string& Asset::Body() const {
  std::call_once(encoded_, [this] {
    std::vector<unsigned char> rgb(pixels_.size() * 3);
    for (size_t i = 0; i < pixels_.size(); ++i) {
      rgb[3 * i] = static_cast<unsigned char>(pixels_[i] >> 16);
      rgb[3 * i + 1] = static_cast<unsigned char>(pixels_[i] >> 8);
      rgb[3 * i + 2] = static_cast<unsigned char>(pixels_[i]);
    }
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
          static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
        },
        &body_, width_, height_, 3, rgb.data(), width_ * 3);
  });
  return body_;
}

void AssetStore::Put(const std::string& path, std::shared_ptr<const Asset> asset) {
  std::lock_guard<std::mutex> lock(mu_);
  assets_[path] = std::move(asset);
}

std::shared_ptr<const Asset> AssetStore::Get(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = assets_.find(path);
  return it == assets_.end() ? nullptr : it->second;
}

}  // namespace kvqsim
