// Copies of switch and mode pictures within a cockpit texture, made only
// when the picture in place differs from the one wanted.
#pragma once

#include "host/types.h"

// Copies the w x h picture at (srcX, srcY) to (tgtX, tgtY) of the same
// texture unless the last copy to that place in that texture was the same
// picture. The target places are written by nothing else.
void ShowPicture(SURFHANDLE texture, int tgtX, int tgtY, int srcX, int srcY, int w, int h);

// Forgets what was copied, so the next copies are made again: for a new
// vessel, whose textures may have been loaded afresh.
void ForgetPictures();
