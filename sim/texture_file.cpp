#include "sim/texture_file.h"

#include <cstdio>
#include <vector>

#include "host/win.h"
#include "sim/world.h"

// stb_image, header-only, PNG only, its allocations bounded by the side
// limit below.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 8192
#include <stb_image.h>

namespace host {
namespace {

constexpr long TEXTURE_MAX_BYTES = 64L << 20;

bool EndsWithNoCase(const std::string& s, const char* tail) {
  const size_t n = std::char_traits<char>::length(tail);
  return s.size() >= n && EqualNoCase(s.c_str() + s.size() - n, tail);
}

}  // namespace

std::string TextureFilePath(const std::string& name) {
  std::string p = "Textures\\" + name;
  if (EndsWithNoCase(p, ".dds")) p.replace(p.size() - 4, 4, ".png");
  return p;
}

bool LoadTextureFile(const std::string& path, Surface* out, std::string* error) {
  static_assert(TEXTURE_MAX_SIDE == STBI_MAX_DIMENSIONS);
  FILE* f = OpenHostFile(path.c_str(), "rb");
  if (f == nullptr) {
    *error = "not found";
    return false;
  }
  std::vector<unsigned char> bytes;
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || size > TEXTURE_MAX_BYTES || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    *error = "unreadable or larger than 64 MiB";
    return false;
  }
  bytes.resize(static_cast<size_t>(size));
  const size_t got = size > 0 ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
  std::fclose(f);
  if (got != bytes.size()) {
    *error = "could not be read";
    return false;
  }
  int w = 0, h = 0, channels = 0;
  if (bytes.empty() || !stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels)) {
    *error = "not a PNG picture";
    return false;
  }
  if (w <= 0 || h <= 0 || w > TEXTURE_MAX_SIDE || h > TEXTURE_MAX_SIDE) {
    *error = "larger than 8192 pixels on a side";
    return false;
  }
  unsigned char* rgb = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3);
  if (rgb == nullptr) {
    *error = std::string("not a readable PNG picture (") + stbi_failure_reason() + ")";
    return false;
  }
  out->w = w;
  out->h = h;
  out->pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < out->pixels.size(); ++i) {
    out->pixels[i] = (static_cast<DWORD>(rgb[3 * i]) << 16) | (static_cast<DWORD>(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
  }
  stbi_image_free(rgb);
  return true;
}

}  // namespace host
