// The virtual cockpit of the vessel it was loaded for (the focus vessel
// when it was entered): its position, neighbours and
// areas, mouse events and redraws with the texts and lines they draw.
#include <algorithm>
#include <cstring>

#include "sim/world.h"

namespace host {
namespace {

VCArea* FindArea(int id) {
  for (auto& a : W().vc.areas) {
    if (a->id == id) return a.get();
  }
  return nullptr;
}

VCArea* NewArea(int id) {
  auto& areas = W().vc.areas;
  for (auto& a : areas) {
    if (a->id == id) {
      a = std::make_unique<VCArea>();
      a->id = id;
      return a.get();
    }
  }
  areas.push_back(std::make_unique<VCArea>());
  areas.back()->id = id;
  return areas.back().get();
}

bool CanRedraw() {
  World& w = W();
  return w.vc.position >= 0 && w.vc.vessel != nullptr && w.vc.vessel->visual != nullptr;
}

// The area's drawn spans and their pixels, row by row (-1 -1 for a row
// without one); what RestoreBackground and the redraw may change.
void TakeDrawn(const VCArea& a, const Surface& s, std::vector<int>* spans, std::vector<DWORD>* drawn) {
  spans->clear();
  drawn->clear();
  if (s.dirtyLo.empty()) return;
  const int y0 = static_cast<int>(std::clamp(a.rect.top, 0L, static_cast<long>(s.h)));
  const int y1 = static_cast<int>(std::clamp(a.rect.bottom, 0L, static_cast<long>(s.h)));
  for (int y = y0; y < y1; ++y) {
    const int lo = s.dirtyLo[static_cast<size_t>(y)], hi = s.dirtyHi[static_cast<size_t>(y)];
    if (lo >= hi) {
      spans->push_back(-1);
      spans->push_back(-1);
      continue;
    }
    spans->push_back(lo);
    spans->push_back(hi);
    const DWORD* row = &s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.w)];
    drawn->insert(drawn->end(), row + lo, row + hi);
  }
}

// Whether the area shows what TakeDrawn kept.
bool SameDrawn(const VCArea& a, const Surface& s, const std::vector<int>& spans, const std::vector<DWORD>& drawn) {
  if (s.dirtyLo.empty()) return false;
  const int y0 = static_cast<int>(std::clamp(a.rect.top, 0L, static_cast<long>(s.h)));
  const int y1 = static_cast<int>(std::clamp(a.rect.bottom, 0L, static_cast<long>(s.h)));
  if (spans.size() != 2 * static_cast<size_t>(y1 - y0)) return false;
  size_t at = 0;
  for (int y = y0; y < y1; ++y) {
    int lo = s.dirtyLo[static_cast<size_t>(y)], hi = s.dirtyHi[static_cast<size_t>(y)];
    if (lo >= hi) lo = hi = -1;
    const size_t k = 2 * static_cast<size_t>(y - y0);
    if (lo != spans[k] || hi != spans[k + 1]) return false;
    if (lo < 0) continue;
    const DWORD* row = &s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.w)];
    if (!std::equal(row + lo, row + hi, drawn.begin() + static_cast<long>(at))) return false;
    at += static_cast<size_t>(hi - lo);
  }
  return true;
}

// Only what the last redraws drew over is copied back.
void RestoreBackground(VCArea* a) {
  Surface* s = AsSurface(a->surf);
  if (s == nullptr) return;
  auto within = [](long v, int size) { return static_cast<int>(std::clamp(v, 0L, static_cast<long>(size))); };
  RestoreOriginal(s, within(a->rect.left, s->w), within(a->rect.top, s->h), within(a->rect.right, s->w),
                  within(a->rect.bottom, s->h));
}

void Redraw(VCArea* a, int event) {
  World& w = W();
  if (w.vc.inRedraw) {
    a->pending = true;
    return;
  }
  a->pending = false;
  // A background area is wiped and drawn anew every time; when it ends up
  // as it was, its surface keeps its version.
  Surface* bk = a->bkmode == PANEL_MAP_BACKGROUND ? AsSurface(a->surf) : nullptr;
  const uint64_t version = bk ? bk->version : 0;
  const RECT rect = a->rect;
  if (bk != nullptr) {
    TakeDrawn(*a, *bk, &w.vc.spans, &w.vc.drawn);
    bk->watch = &rect;
    bk->drawnOutside = false;
    RestoreBackground(a);
  }
  const int texts = a->nTexts, lines = a->nLines;
  a->nTexts = 0;
  a->nLines = 0;
  a->drawChanged = false;
  const int id = a->id;
  w.vc.inRedraw = true;
  w.vc.redrawing = a;
  {
    CallbackScope scope;
    w.vc.vessel->iface->clbkVCRedrawEvent(id, event, a->surf);
  }
  w.vc.redrawing = nullptr;
  w.vc.inRedraw = false;
  a = FindArea(id);
  if (bk != nullptr) {
    bk->watch = nullptr;
    if (a != nullptr && a->surf == bk && !bk->drawnOutside && bk->version != version &&
        SameDrawn(*a, *bk, w.vc.spans, w.vc.drawn))
      bk->version = version;
  }
  // The texts are part of what the surface shows, though not of its pixels.
  if (a != nullptr && (a->drawChanged || a->nTexts != texts || a->nLines != lines)) {
    if (Surface* s = AsSurface(a->surf)) s->version = NextStamp();
  }
}

void RedrawPending() {
  for (int guard = 0; guard < 8 && CanRedraw(); ++guard) {
    bool any = false;
    for (size_t i = 0; i < W().vc.areas.size() && CanRedraw(); ++i) {
      VCArea* a = W().vc.areas[i].get();
      if (a->pending) {
        any = true;
        Redraw(a, PANEL_REDRAW_INIT);
      }
    }
    if (!any) break;
  }
}

}  // namespace

void VCReset() {
  VCState& vc = W().vc;
  vc.vessel = nullptr;
  vc.position = -1;
  for (int& n : vc.neighbours) n = -1;
  vc.areas.clear();
  vc.redrawing = nullptr;
}

void VCFrame() {
  if (!CanRedraw()) return;
  for (size_t i = 0; i < W().vc.areas.size() && CanRedraw(); ++i) {
    VCArea* a = W().vc.areas[i].get();
    if (a->redraw & PANEL_REDRAW_ALWAYS) Redraw(a, PANEL_REDRAW_ALWAYS);
  }
  RedrawPending();
}

void VCRecordText(int x, int y, const char* str, int len, const oapi::Font* font, DWORD colour) {
  VCArea* a = W().vc.redrawing;
  if (a == nullptr || a->nTexts >= VCArea::MAX_TEXTS) return;
  VCArea::Text& t = a->texts[a->nTexts++];
  VCArea::Text before = t;
  t.x = x;
  t.y = y;
  t.fontHeight = font ? font->height : 0;
  t.colour = colour;
  CopyBounded(t.face, sizeof t.face, font ? font->face : "");
  t.fontStyle = font ? static_cast<int>(font->style) : 0;
  size_t n = 0;
  const size_t cap = static_cast<size_t>(len < 0 ? 0 : len);
  while (n < cap && n + 1 < sizeof t.text && str[n] != 0) {
    t.text[n] = str[n];
    ++n;
  }
  t.text[n] = 0;
  if (before.x != t.x || before.y != t.y || before.fontHeight != t.fontHeight || before.colour != t.colour ||
      before.fontStyle != t.fontStyle || std::strcmp(before.face, t.face) != 0 || std::strcmp(before.text, t.text) != 0)
    a->drawChanged = true;
}

void VCRecordLine(int x0, int y0, int x1, int y1, const oapi::Pen* pen) {
  VCArea* a = W().vc.redrawing;
  if (a == nullptr || a->nLines >= VCArea::MAX_LINES) return;
  sim::VCLine& l = a->lines[a->nLines++];
  const sim::VCLine before = l;
  l = {x0, y0, x1, y1};
  if (pen != nullptr) {
    l.penStyle = pen->style;
    l.penWidth = pen->width;
    l.penColour = pen->colour & 0xFFFFFFu;
  }
  if (before.x0 != l.x0 || before.y0 != l.y0 || before.x1 != l.x1 || before.y1 != l.y1 || before.penStyle != l.penStyle ||
      before.penWidth != l.penWidth || before.penColour != l.penColour)
    a->drawChanged = true;
}

}  // namespace host

using host::VCArea;

void oapiVCSetNeighbours(int left, int right, int top, int bottom) {
  int* n = host::W().vc.neighbours;
  n[0] = left;
  n[1] = right;
  n[2] = top;
  n[3] = bottom;
}

void oapiVCRegisterArea(int id, int draw_event, int mouse_event) {
  VCArea* a = host::NewArea(id);
  a->redraw = draw_event;
  a->mouse = mouse_event;
}

void oapiVCRegisterArea(int id, const RECT& tgtrect, int draw_event, int mouse_event, int bkmode, SURFHANDLE tgt) {
  VCArea* a = host::NewArea(id);
  a->redraw = draw_event;
  a->mouse = mouse_event;
  a->rect = tgtrect;
  a->surf = tgt;
  a->bkmode = bkmode;
  // The area's background is the surface as it was when a background area
  // first used it; later registrations (every cockpit entry) keep that.
  if (bkmode == PANEL_MAP_BACKGROUND) host::KeepOriginal(host::AsSurface(tgt));
}

void oapiVCSetAreaClickmode_Quadrilateral(int id, const VECTOR3& p1, const VECTOR3& p2, const VECTOR3& p3,
                                          const VECTOR3& p4) {
  VCArea* a = host::FindArea(id);
  if (a == nullptr) return;
  a->clickMode = 1;
  a->quad[0] = p1;
  a->quad[1] = p2;
  a->quad[2] = p3;
  a->quad[3] = p4;
}

void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad) {
  VCArea* a = host::FindArea(id);
  if (a == nullptr) return;
  a->clickMode = 2;
  a->centre = cnt;
  a->radius = rad;
}

void oapiVCTriggerRedrawArea(int vc_id, int area_id) {
  host::World& w = host::W();
  if (vc_id >= 0 && vc_id != w.vc.position) return;
  VCArea* a = host::FindArea(area_id);
  if (a == nullptr || !host::CanRedraw()) return;
  host::Redraw(a, PANEL_REDRAW_INIT);
  if (!w.vc.inRedraw) host::RedrawPending();
}

namespace sim {

bool VCEnter(int position) {
  host::World& w = host::W();
  host::VCReset();
  if (w.focus == nullptr) return false;
  w.vc.vessel = w.focus;
  bool ok;
  {
    host::CallbackScope scope;
    ok = w.vc.vessel->iface->clbkLoadVC(position);
  }
  if (!ok || w.vc.vessel == nullptr) {
    host::VCReset();
    return false;
  }
  w.vc.position = position;
  if (host::CanRedraw()) {
    for (size_t i = 0; i < w.vc.areas.size() && host::CanRedraw(); ++i) {
      VCArea* a = w.vc.areas[i].get();
      if (a->redraw != PANEL_REDRAW_NEVER) host::Redraw(a, PANEL_REDRAW_INIT);
    }
  }
  return true;
}

void VCLeave() { host::VCReset(); }

int VCPosition() { return host::W().vc.position; }

OBJHANDLE VCVessel() { return host::W().vc.position >= 0 ? host::W().vc.vessel : nullptr; }

bool VCClick(int area, int event, double x, double y) {
  host::World& w = host::W();
  if (w.vc.position < 0 || w.vc.vessel == nullptr) return false;
  VCArea* a = host::FindArea(area);
  if (a == nullptr || (a->mouse & event) == 0) return false;
  // Quadrilateral and spherical areas hand the click as (x, y) in 0..1.
  VECTOR3 p{x, y, 0};
  bool r;
  {
    host::CallbackScope scope;
    r = w.vc.vessel->iface->clbkVCMouseEvent(area, event, p);
  }
  a = host::FindArea(area);
  if (a != nullptr && (a->redraw & PANEL_REDRAW_MOUSE) && host::CanRedraw()) host::Redraw(a, PANEL_REDRAW_MOUSE);
  host::RedrawPending();
  return r;
}

std::vector<std::string> VCTexts(int area) {
  std::vector<std::string> out;
  if (VCArea* a = host::FindArea(area)) {
    for (int i = 0; i < a->nTexts; ++i) out.emplace_back(a->texts[i].text);
  }
  return out;
}

std::vector<VCTextItem> VCTextItems(int area) {
  std::vector<VCTextItem> out;
  if (VCArea* a = host::FindArea(area)) {
    for (int i = 0; i < a->nTexts; ++i) {
      const auto& t = a->texts[i];
      out.push_back({t.x, t.y, t.text, t.fontHeight, t.colour, t.face, t.fontStyle});
    }
  }
  return out;
}

std::vector<VCLine> VCLines(int area) {
  std::vector<VCLine> out;
  if (VCArea* a = host::FindArea(area)) out.assign(a->lines, a->lines + a->nLines);
  return out;
}

void VCNeighbours(int out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = host::W().vc.neighbours[i];
}

std::vector<VCAreaInfo> VCAreas() {
  std::vector<VCAreaInfo> out;
  for (const auto& a : host::W().vc.areas) {
    VCAreaInfo info{a->id, a->mouse};
    info.clickMode = a->clickMode;
    for (int i = 0; i < 4; ++i) info.quad[i] = a->quad[i];
    info.centre = a->centre;
    info.radius = a->radius;
    out.push_back(info);
  }
  return out;
}

bool VCAreaRect(int area, RECT* rect) {
  VCArea* a = host::FindArea(area);
  if (a == nullptr || rect == nullptr) return false;
  *rect = a->rect;
  return true;
}

SURFHANDLE VCAreaSurface(int area) {
  VCArea* a = host::FindArea(area);
  return a ? a->surf : nullptr;
}

}  // namespace sim
