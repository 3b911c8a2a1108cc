// A small RGB raster with the drawing the status-display picture needs:
// filled rectangles, thick lines and text in a built-in 5 x 7 bitmap font
// scaled to a font height.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvqsim {

struct Raster {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top

  Raster() = default;
  Raster(int w, int h, uint32_t background);
  // Fills [x0, x1) x [y0, y1), clipped to the raster.
  void Fill(int x0, int y0, int x1, int y1, uint32_t colour);
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// A line of the given pen width, square ends.
void DrawLine(Raster& r, int x0, int y0, int x1, int y1, int width, uint32_t colour);

// Text with its cell's top left corner at (x, y), as a font of that height
// (cell height in pixels) draws it. Characters outside printable ASCII draw
// as '?'. Returns the advance in pixels.
int DrawText(Raster& r, int x, int y, const std::string& text, int fontHeight, bool bold, uint32_t colour);
// Width in pixels a text takes at that font height.
int TextWidth(const std::string& text, int fontHeight);

}  // namespace kvqsim
