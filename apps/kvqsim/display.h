// A picture of a cockpit area's last redraw: the texts and lines of the
// redraw on a dark screen. Colours are the host's 0xRRGGBB; lines are drawn
// with the status display's pen (4 pixels, white), which the host does not
// record per line.
#pragma once

#include <string>

#include "apps/kvqsim/raster.h"

namespace kvqsim {

constexpr int STATUS_DISPLAY_AREA = 3;

// False with a reason when the area is not registered at the current
// cockpit position.
bool RenderArea(int area, Raster* out, std::string* why);

}  // namespace kvqsim
