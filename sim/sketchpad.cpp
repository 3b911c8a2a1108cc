// The Sketchpad with its fonts and pens. Modules create and release them in
// every redraw, so they come from fixed pools: the frame loop allocates
// nothing. Text and Line calls are recorded for the area being redrawn;
// lines are also drawn into the surface's pixels.
#include <cstdlib>
#include <cstring>
#include <new>

#include "sim/world.h"

namespace host {
namespace {

// Fixed storage for objects of one type; falls back to the heap when full.
template <typename T, int N>
class Pool {
 public:
  template <typename... A>
  T* Make(A&&... args) {
    for (int i = 0; i < N; ++i) {
      if (!used_[i]) {
        used_[i] = true;
        return new (Slot(i)) T(std::forward<A>(args)...);
      }
    }
    return new T(std::forward<A>(args)...);
  }
  void Free(T* p) {
    if (p == nullptr) return;
    for (int i = 0; i < N; ++i) {
      if (used_[i] && Slot(i) == static_cast<void*>(p)) {
        p->~T();
        used_[i] = false;
        return;
      }
    }
    delete p;
  }

 private:
  void* Slot(int i) { return &storage_[static_cast<size_t>(i) * sizeof(T)]; }
  alignas(T) unsigned char storage_[sizeof(T) * N];
  bool used_[N] = {};
};

Pool<oapi::Font, 32>& Fonts() {
  static Pool<oapi::Font, 32> p;
  return p;
}
Pool<oapi::Pen, 32>& Pens() {
  static Pool<oapi::Pen, 32> p;
  return p;
}
Pool<oapi::Sketchpad, 8>& Pads() {
  static Pool<oapi::Sketchpad, 8> p;
  return p;
}

void Plot(Surface* s, int x, int y, DWORD c) {
  if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
  DWORD& px = s->pixels[static_cast<size_t>(y) * static_cast<size_t>(s->w) + static_cast<size_t>(x)];
  if (px == (c & 0xFFFFFFu)) return;
  MarkDrawn(s, y, x, x + 1);
  px = c & 0xFFFFFFu;
}

}  // namespace
}  // namespace host

namespace oapi {

Font::Font(int height_, bool prop_, const char* face_, FontStyle style_)
    : height(height_), proportional(prop_), face{}, style(style_) {
  host::CopyBounded(face, sizeof face, face_ ? face_ : "");
}

Font* Sketchpad::SetFont(Font* f) {
  Font* old = font;
  font = f;
  return old;
}

Pen* Sketchpad::SetPen(Pen* p) {
  Pen* old = pen;
  pen = p;
  return old;
}

DWORD Sketchpad::SetTextColor(DWORD col) {
  const DWORD old = textColour;
  textColour = col;
  return old;
}

bool Sketchpad::Text(int x, int y, const char* str, int len) {
  if (str == nullptr) return false;
  host::VCRecordText(x, y, str, len, font, textColour);
  return true;
}

void Sketchpad::Line(int x0, int y0, int x1, int y1) {
  host::VCRecordLine(x0, y0, x1, y1, pen);
  host::Surface* s = host::AsSurface(surf);
  if (s == nullptr || (pen != nullptr && pen->style == 0)) return;
  const DWORD c = pen ? pen->colour : 0xFFFFFFu;
  // Bresenham.
  int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (int n = 0; n < 100000; ++n) {
    host::Plot(s, x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

}  // namespace oapi

oapi::Sketchpad* oapiGetSketchpad(SURFHANDLE surf) { return host::Pads().Make(surf); }

void oapiReleaseSketchpad(oapi::Sketchpad* skp) { host::Pads().Free(skp); }

oapi::Font* oapiCreateFont(int height, bool prop, const char* face, oapi::FontStyle style) {
  return host::Fonts().Make(height, prop, face, style);
}

void oapiReleaseFont(oapi::Font* font) { host::Fonts().Free(font); }

oapi::Pen* oapiCreatePen(int style, int width, DWORD col) { return host::Pens().Make(style, width, col); }

void oapiReleasePen(oapi::Pen* pen) { host::Pens().Free(pen); }
