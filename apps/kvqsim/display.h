// A picture of a cockpit area's last redraw: its surface background with
// the texts and lines of the redraw.
#pragma once

#include <string>

#include "apps/kvqsim/raster.h"

namespace kvqsim {

constexpr int STATUS_DISPLAY_AREA = 3;

// False with a reason when the area is not registered at the current
// cockpit position.
bool RenderArea(int area, Raster* out, std::string* why);

}  // namespace kvqsim
