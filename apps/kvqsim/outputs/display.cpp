#include "apps/kvqsim/outputs/display.h"

#include "sim/sim.h"

#ifdef KVQ_HAVE_CAIRO
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#endif

#include <cctype>
#include <memory>

namespace kvqsim {

namespace {

constexpr uint32_t BACKGROUND = 0x101418;  // an unlit screen

bool AreaSize(int area, int* w, int* h, std::string* why) {
  RECT rect{};
  if (!sim::VCAreaRect(area, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    *why = "cockpit area " + std::to_string(area) + " is not registered at the current cockpit position";
    return false;
  }
  *w = static_cast<int>(rect.right - rect.left);
  *h = static_cast<int>(rect.bottom - rect.top);
  return true;
}

#ifdef KVQ_HAVE_CAIRO

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// Pictures of cockpit areas use the metric-compatible free faces for the
// families module authors name: texts then take the widths they were laid
// out for.
struct FaceAlias {
  const char* face;
  const char* family;
};
constexpr FaceAlias FACE_ALIASES[] = {
    {"", "Liberation Sans"},          {"Sans", "Liberation Sans"},         {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"}, {"Serif", "Liberation Serif"},       {"Times New Roman", "Liberation Serif"},
    {"Mono", "Liberation Mono"},      {"Courier New", "Liberation Mono"}, {"Fixed", "Liberation Mono"},
};

std::string FamilyFor(const std::string& face) {
  for (const FaceAlias& a : FACE_ALIASES) {
    if (SameIgnoringCase(a.face, face)) return a.family;
  }
  return face;
}

struct PatternFree {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

// The best match fontconfig has for the face, ready to render.
Pattern MatchFace(const std::string& face, bool bold, bool italic) {
  Pattern want(FcPatternCreate());
  if (!want) return nullptr;
  const std::string family = FamilyFor(face);
  FcPatternAddString(want.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(want.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(want.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, want.get(), FcMatchPattern);
  FcDefaultSubstitute(want.get());
  FcResult result = FcResultNoMatch;
  return Pattern(FcFontMatch(nullptr, want.get(), &result));
}

// Cairo and fontconfig keep caches of faces and patterns for the life of the
// process; a picture is drawn once at the end of a run, so they are let go
// when it is done and a leak checker sees nothing left behind.
void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

void SetColour(cairo_t* cr, DWORD rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// Pens as the host's drawing draws them: round ends and joins, a dashed pen
// in dashes of three widths.
void DrawLine(cairo_t* cr, const sim::VCLine& l) {
  if (l.penStyle == 0) return;
  const double width = l.penWidth > 0 ? l.penWidth : 1;
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double dash = 3 * width;
  cairo_set_dash(cr, &dash, l.penStyle == 2 ? 1 : 0, 0);
  SetColour(cr, l.penColour);
  // A line of odd width runs through pixel centres, one of even width along
  // pixel edges: either way it covers whole pixels.
  const double at = static_cast<int>(width) % 2 == 1 ? 0.5 : 0.0;
  cairo_move_to(cr, l.x0 + at, l.y0 + at);
  cairo_line_to(cr, l.x1 + at, l.y1 + at);
  cairo_stroke(cr);
}

// A text with its cell's top left corner at (x, y). The font height is the
// height of the cell, ascent and descent together, as the Windows font
// mapper takes a positive height: the module's layouts are made for that
// (the 80-pixel "START" sits in the middle of its frame, the 32-pixel lines
// fit the display's width and 25 pixels apart).
void DrawText(cairo_t* cr, const sim::VCTextItem& t) {
  const bool bold = (t.fontStyle & FONT_BOLD) != 0, italic = (t.fontStyle & FONT_ITALIC) != 0;
  Pattern match = MatchFace(t.face, bold, italic);
  if (!match) return;
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match.get());
  cairo_set_font_face(cr, face);
  cairo_font_extents_t fe;
  cairo_set_font_size(cr, 1);
  cairo_font_extents(cr, &fe);
  const double cell = t.fontHeight > 0 ? t.fontHeight : 16;
  cairo_set_font_size(cr, fe.ascent + fe.descent > 0 ? cell / (fe.ascent + fe.descent) : cell);
  cairo_font_extents(cr, &fe);
  SetColour(cr, t.colour & 0xFFFFFF);
  cairo_move_to(cr, t.x, t.y + fe.ascent);
  cairo_show_text(cr, t.text.c_str());
  if (t.fontStyle & oapi::FONT_UNDERLINE) {
    cairo_text_extents_t te;
    cairo_text_extents(cr, t.text.c_str(), &te);
    cairo_set_line_width(cr, fe.height / 16);
    cairo_move_to(cr, t.x, t.y + fe.ascent + fe.descent / 2);
    cairo_rel_line_to(cr, te.x_advance, 0);
    cairo_stroke(cr);
  }
  cairo_set_font_face(cr, nullptr);
  cairo_font_face_destroy(face);
}

#endif  // KVQ_HAVE_CAIRO

}  // namespace

#ifdef KVQ_HAVE_CAIRO

bool CanDrawPictures() { return true; }

bool WriteAreaPicture(int area, const std::string& path, std::string* why) {
  int w = 0, h = 0;
  if (!AreaSize(area, &w, &h, why)) return false;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(surface);
  SetColour(cr, BACKGROUND);
  cairo_paint(cr);
  // Hinting off: texts take the widths of the font's design.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  for (const sim::VCLine& l : sim::VCLines(area)) DrawLine(cr, l);
  for (const sim::VCTextItem& t : sim::VCTextItems(area)) DrawText(cr, t);
  cairo_destroy(cr);
  const cairo_status_t written = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  ReleaseFontCaches();
  if (written != CAIRO_STATUS_SUCCESS) {
    *why = "cannot write picture '" + path + "': " + cairo_status_to_string(written);
    return false;
  }
  return true;
}

#else

bool CanDrawPictures() { return false; }

bool WriteAreaPicture(int area, const std::string&, std::string* why) {
  int w = 0, h = 0;
  if (!AreaSize(area, &w, &h, why)) return false;
  *why = "this build of kvqsim cannot draw pictures (it has no Cairo)";
  return false;
}

#endif

}  // namespace kvqsim
