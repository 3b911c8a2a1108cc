#include "apps/kvqsim/display.h"

#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr uint32_t BACKGROUND = 0x101418;  // an unlit screen
constexpr uint32_t PEN_COLOUR = 0xFFFFFF;
constexpr int PEN_WIDTH = 4;

// The host's drawing colours are 0x00BBGGRR; the raster is 0xRRGGBB.
uint32_t FromHostColour(DWORD c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

bool RenderArea(int area, Raster* out, std::string* why) {
  RECT rect{};
  if (!sim::VCAreaRect(area, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    *why = "cockpit area " + std::to_string(area) + " is not registered at the current cockpit position";
    return false;
  }
  int w = static_cast<int>(rect.right - rect.left), h = static_cast<int>(rect.bottom - rect.top);
  Raster r(w, h, BACKGROUND);
  // The surface under the area, where it has content of its own.
  SURFHANDLE surf = sim::VCAreaSurface(area);
  int sw = 0, sh = 0;
  const DWORD* px = surf ? sim::SurfacePixels(surf) : nullptr;
  if (px && sim::SurfaceSize(surf, &sw, &sh)) {
    bool any = false;
    for (int y = 0; y < h && !any; ++y)
      for (int x = 0; x < w; ++x) {
        long sx = rect.left + x, sy = rect.top + y;
        if (sx < sw && sy < sh && px[sy * sw + sx] != 0) {
          any = true;
          break;
        }
      }
    if (any)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          long sx = rect.left + x, sy = rect.top + y;
          if (sx < sw && sy < sh) r.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = px[sy * sw + sx] & 0xFFFFFF;
        }
  }
  for (const sim::VCLine& l : sim::VCLines(area)) DrawLine(r, l.x0, l.y0, l.x1, l.y1, PEN_WIDTH, PEN_COLOUR);
  for (const sim::VCTextItem& t : sim::VCTextItems(area))
    DrawText(r, t.x, t.y, t.text, t.fontHeight > 0 ? t.fontHeight : 16, true, FromHostColour(t.colour));
  *out = r;
  return true;
}

}  // namespace kvqsim
