// The host's drawing interface for cockpit surfaces: fonts, pens and the
// Sketchpad that draws with them.
#pragma once

#include "host/types.h"

namespace oapi {

enum FontStyle { FONT_NORMAL = 0, FONT_BOLD = 1, FONT_ITALIC = 2, FONT_UNDERLINE = 4 };

class Font {
 public:
  Font(int height_, bool prop_, const char* face_, FontStyle style_);
  int height;
  bool proportional;
  char face[64];
  FontStyle style;
};

class Pen {
 public:
  Pen(int style_, int width_, DWORD colour_) : style(style_), width(width_), colour(colour_) {}
  int style;  // 0 invisible, 1 solid, 2 dashed
  int width;
  DWORD colour;
};

// Draws on one surface between oapiGetSketchpad and oapiReleaseSketchpad.
class Sketchpad {
 public:
  explicit Sketchpad(SURFHANDLE s) : surf(s) {}
  virtual ~Sketchpad() = default;
  virtual Font* SetFont(Font* font);
  virtual Pen* SetPen(Pen* pen);
  virtual DWORD SetTextColor(DWORD col);
  virtual bool Text(int x, int y, const char* str, int len);
  virtual void Line(int x0, int y0, int x1, int y1);
  SURFHANDLE GetSurface() const { return surf; }

 protected:
  SURFHANDLE surf;
  Font* font = nullptr;
  Pen* pen = nullptr;
  DWORD textColour = 0;
};

}  // namespace oapi

using oapi::FONT_BOLD;
using oapi::FONT_ITALIC;
using oapi::FONT_NORMAL;
