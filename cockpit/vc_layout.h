// The cab's four camera positions and the clickable and redrawable areas of
// the two seats, as plain tables.
#pragma once

#include "host/types.h"

struct CockpitPosition {
  VECTOR3 cameraOffset;
  VECTOR3 viewDirection;
  int neighbours[4];  // left, right, top, bottom; -1 none
  bool hasAreas;
};

constexpr int COCKPIT_POSITION_COUNT = 4;
extern const CockpitPosition COCKPIT_POSITIONS[COCKPIT_POSITION_COUNT];

enum class ClickShape { NONE, QUADRILATERAL, SPHERE };

struct VCArea {
  int id;
  int redraw;  // PANEL_REDRAW_*
  int mouse;   // PANEL_MOUSE_*
  ClickShape shape;
  VECTOR3 corner[4];  // quadrilateral: top left, top right, bottom left, bottom right; sphere: corner[0] centre
  double radius;      // sphere only
};

// In registration order.
constexpr int VC_AREA_COUNT = 16;
extern const VCArea VC_AREAS[VC_AREA_COUNT];

// The status display's target on texture 1 of the cockpit mesh.
constexpr RECT STATUS_DISPLAY_RECT = {13, 21, 498, 358};
