// Reads back the PNG files kvqsim writes (stored deflate blocks only),
// checking every chunk's CRC, the zlib header and the Adler sum.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "apps/kvqsim/png.h"

namespace kvqsim {

inline uint32_t BitwiseCrc(const uint8_t* d, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= d[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// The raw scanlines (a filter byte, then RGB) of a PNG of stored blocks.
inline bool DecodeStored(const std::vector<uint8_t>& png, int* w, int* h, std::vector<uint8_t>* raw) {
  const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || !std::equal(sig, sig + 8, png.begin())) return false;
  std::vector<uint8_t> z;
  size_t at = 8;
  bool end = false;
  while (at + 12 <= png.size() && !end) {
    uint32_t len = U32(png, at);
    std::string type(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
    if (at + 12 + len > png.size()) return false;
    if (BitwiseCrc(&png[at + 4], len + 4) != U32(png, at + 8 + len)) return false;
    const uint8_t* data = &png[at + 8];
    if (type == "IHDR") {
      *w = static_cast<int>(U32(png, at + 8));
      *h = static_cast<int>(U32(png, at + 12));
      if (data[8] != 8 || data[9] != 2) return false;
    } else if (type == "IDAT") {
      z.insert(z.end(), data, data + len);
    } else if (type == "IEND") {
      end = true;
    }
    at += 12 + len;
  }
  if (!end || z.size() < 6 || ((z[0] << 8) | z[1]) % 31 != 0 || (z[0] & 0x0F) != 8) return false;
  size_t p = 2;
  raw->clear();
  for (;;) {
    uint8_t hdr = z[p++];
    if ((hdr & 0x06) != 0) return false;  // stored blocks only
    uint16_t n = static_cast<uint16_t>(z[p] | (z[p + 1] << 8));
    uint16_t nn = static_cast<uint16_t>(z[p + 2] | (z[p + 3] << 8));
    if (static_cast<uint16_t>(~n) != nn) return false;
    p += 4;
    raw->insert(raw->end(), z.begin() + static_cast<long>(p), z.begin() + static_cast<long>(p + n));
    p += n;
    if (hdr & 1) break;
  }
  return U32(z, p) == Adler32(raw->data(), raw->size());
}


// The pixel at (x, y), 0xRRGGBB, of decoded scanlines.
inline uint32_t PixelAt(const std::vector<uint8_t>& raw, int w, int x, int y) {
  size_t at = static_cast<size_t>(y) * static_cast<size_t>(w * 3 + 1) + 1 + static_cast<size_t>(x) * 3;
  return (uint32_t{raw[at]} << 16) | (uint32_t{raw[at + 1]} << 8) | raw[at + 2];
}

}  // namespace kvqsim
