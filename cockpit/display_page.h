// What the status display shows: texts and frame lines for a vessel state,
// in pixels from the top left of the 485 by 337 display.
#pragma once

struct DisplayText {
  int x, y;
  char text[64];
};

struct DisplayLine {
  int x0, y0, x1, y1;
};

struct DisplayPage {
  bool largeFont;  // "START" in the large font; otherwise the small one
  int textCount;
  DisplayText texts[4];
  int lineCount;
  DisplayLine lines[3];
};

// Names of the vessels on the front and rear hitch ("" when none).
DisplayPage BuildDisplayPage(bool engineRunning, int towMode, const char* frontVesselName, const char* backVesselName);
