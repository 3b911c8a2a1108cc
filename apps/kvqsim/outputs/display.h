// A picture of a cockpit area's last redraw: the lines and texts the
// Sketchpad drew there, with their pens and fonts, on an unlit screen,
// written as a PNG. Drawn with Cairo; faces are found through fontconfig.
#pragma once

#include <string>

namespace kvqsim {

constexpr int STATUS_DISPLAY_AREA = 3;

// False when this build has no picture library (the Windows build).
bool CanDrawPictures();

// Writes the picture of the area's last redraw at the current cockpit
// position. False with a reason when the area is not registered there, the
// build cannot draw pictures or the file cannot be written.
bool WriteAreaPicture(int area, const std::string& path, std::string* why);

}  // namespace kvqsim
