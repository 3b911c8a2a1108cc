// Reads back the PNG pictures kvqsim writes, and measures what is drawn in
// them.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kvqsim {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top

  uint32_t At(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  // Brightest of the three channels: how much ink a pixel holds on a dark screen.
  int Ink(int x, int y) const {
    const uint32_t p = At(x, y);
    return static_cast<int>(std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}));
  }
  // Leftmost and rightmost columns of [x0, x1) x [y0, y1) with a pixel of at
  // least half ink; false when there is none.
  bool InkColumns(int x0, int y0, int x1, int y1, int* first, int* last) const {
    *first = x1, *last = x0 - 1;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Ink(x, y) >= 128) *first = std::min(*first, x), *last = std::max(*last, x);
    return *last >= *first;
  }
};

inline bool ReadPicture(const std::string& path, Picture* out) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
  if (ok) {
    cairo_surface_flush(s);
    out->width = cairo_image_surface_get_width(s);
    out->height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    out->pixels.resize(static_cast<size_t>(out->width) * static_cast<size_t>(out->height));
    for (int y = 0; y < out->height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
      for (int x = 0; x < out->width; ++x)
        out->pixels[static_cast<size_t>(y) * static_cast<size_t>(out->width) + static_cast<size_t>(x)] =
            row[x] & 0xFFFFFFu;
    }
  }
  cairo_surface_destroy(s);
  return ok;
}

}  // namespace kvqsim
