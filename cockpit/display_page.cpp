#include "cockpit/display_page.h"

#include <cstdio>

namespace {

// The object names the display shows come from 32-byte buffers.
constexpr int VESSEL_NAME_MAX = 31;

void AddText(DisplayPage& page, int x, int y, const char* text) {
  DisplayText& t = page.texts[page.textCount++];
  t.x = x;
  t.y = y;
  std::snprintf(t.text, sizeof t.text, "%s", text);
}

void AddVesselLine(DisplayPage& page, const char* name) {
  DisplayText& t = page.texts[page.textCount++];
  t.x = 5;
  t.y = 30;
  std::snprintf(t.text, sizeof t.text, "Vessel Attached:%.*s", VESSEL_NAME_MAX, name ? name : "");
}

}  // namespace

DisplayPage BuildDisplayPage(bool engineRunning, int towMode, const char* frontVesselName, const char* backVesselName) {
  DisplayPage page{};
  if (!engineRunning) {
    // The soft keys only start the engine: one word in a frame open at the bottom.
    page.largeFont = true;
    AddText(page, 130, 250, "START");
    page.lines[0] = {80, 335, 80, 240};
    page.lines[1] = {420, 335, 420, 240};
    page.lines[2] = {80, 240, 420, 240};
    page.lineCount = 3;
    return page;
  }
  // The bottom two lines label the display keys 2 and 3.
  switch (towMode) {
    case 0:
      AddText(page, 140, 260, "Attach Towbar to");
      AddText(page, 175, 300, "Front  |  Back");
      break;
    case 1:
      AddText(page, 5, 5, "Towbar Attached to: Front");
      AddText(page, 35, 260, "Attach Vessel to | Detach Towbar");
      AddText(page, 170, 300, "Front  |  Front");
      break;
    case 2:
      AddText(page, 5, 5, "Towbar Attached to: Front");
      AddVesselLine(page, frontVesselName);
      AddText(page, 50, 260, "Detach Vessel | Detach Towbar");
      AddText(page, 170, 300, "Front  |  Front");
      break;
    case -1:
      AddText(page, 5, 5, "Towbar Attached to: Rear");
      AddText(page, 37, 260, "Attach Vessel to | Detach Towbar");
      AddText(page, 180, 300, "Back  |  Back");
      break;
    case -2:
      AddText(page, 5, 5, "Towbar Attached to: Rear");
      AddVesselLine(page, backVesselName);
      AddText(page, 45, 260, "Detach Vessel | Detach Towbar");
      AddText(page, 180, 300, "Back  |  Back");
      break;
    default: break;
  }
  return page;
}
