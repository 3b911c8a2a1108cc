#include "apps/kvqsim/display.h"

#include "sim/sim.h"

namespace kvqsim {

namespace {

constexpr uint32_t BACKGROUND = 0x101418;  // an unlit screen
constexpr uint32_t PEN_COLOUR = 0xFFFFFF;
constexpr int PEN_WIDTH = 4;

}  // namespace

bool RenderArea(int area, Raster* out, std::string* why) {
  RECT rect{};
  if (!sim::VCAreaRect(area, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    *why = "cockpit area " + std::to_string(area) + " is not registered at the current cockpit position";
    return false;
  }
  int w = static_cast<int>(rect.right - rect.left), h = static_cast<int>(rect.bottom - rect.top);
  Raster r(w, h, BACKGROUND);
  for (const sim::VCLine& l : sim::VCLines(area)) DrawLine(r, l.x0, l.y0, l.x1, l.y1, PEN_WIDTH, PEN_COLOUR);
  for (const sim::VCTextItem& t : sim::VCTextItems(area))
    DrawText(r, t.x, t.y, t.text, t.fontHeight > 0 ? t.fontHeight : 16, true, t.colour & 0xFFFFFF);
  *out = r;
  return true;
}

}  // namespace kvqsim
