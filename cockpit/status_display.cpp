// Draws the status display with the host's Sketchpad. Fonts and pen live
// for one redraw only.
#include <cstring>

#include "cockpit/display_page.h"
#include "cockpit/vc.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr int SMALL_FONT_HEIGHT = 32;
constexpr int LARGE_FONT_HEIGHT = 80;
constexpr const char* FONT_FACE = "Sans";
constexpr int PEN_SOLID = 1;
constexpr int PEN_WIDTH = 4;
constexpr DWORD WHITE = 0xFFFFFF;
constexpr int OBJECT_NAME_SIZE = 32;

void HitchedVesselName(const KVQ_R7700& v, ATTACHMENTHANDLE hitch, char (&name)[OBJECT_NAME_SIZE]) {
  name[0] = '\0';
  OBJHANDLE child = hitch ? v.GetAttachmentStatus(hitch) : nullptr;
  if (child) oapiGetObjectName(child, name, OBJECT_NAME_SIZE);
  name[OBJECT_NAME_SIZE - 1] = '\0';
}

}  // namespace

bool DrawStatusDisplay(KVQ_R7700& v, SURFHANDLE surf) {
  char frontName[OBJECT_NAME_SIZE] = "";
  char backName[OBJECT_NAME_SIZE] = "";
  if (v.engineRunning) {
    if (v.towMode == 2) HitchedVesselName(v, v.vesselHitchFront, frontName);
    if (v.towMode == -2) HitchedVesselName(v, v.vesselHitchBack, backName);
  }
  const DisplayPage page = BuildDisplayPage(v.engineRunning, v.towMode, frontName, backName);

  oapi::Font* smallFont = oapiCreateFont(SMALL_FONT_HEIGHT, true, FONT_FACE, FONT_BOLD);
  oapi::Font* largeFont = oapiCreateFont(LARGE_FONT_HEIGHT, true, FONT_FACE, FONT_BOLD);
  oapi::Pen* pen = oapiCreatePen(PEN_SOLID, PEN_WIDTH, WHITE);
  oapi::Sketchpad* skp = oapiGetSketchpad(surf);
  if (skp) {
    skp->SetTextColor(WHITE);
    skp->SetFont(page.largeFont ? largeFont : smallFont);
    for (int i = 0; i < page.textCount; ++i) {
      const DisplayText& t = page.texts[i];
      skp->Text(t.x, t.y, t.text, static_cast<int>(std::strlen(t.text)));
    }
    if (page.lineCount > 0) skp->SetPen(pen);
    for (int i = 0; i < page.lineCount; ++i) {
      const DisplayLine& l = page.lines[i];
      skp->Line(l.x0, l.y0, l.x1, l.y1);
    }
    oapiReleaseSketchpad(skp);
  }
  oapiReleaseFont(smallFont);
  oapiReleaseFont(largeFont);
  oapiReleasePen(pen);
  return true;
}
