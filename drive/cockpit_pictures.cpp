#include "drive/cockpit_pictures.h"

#include "host/oapi.h"

namespace {

// The last picture copied to each place. Module-wide, because every vessel
// of the class draws on the same template texture: a copy is skipped only
// when it would write the very pixels already there.
struct PlacedPicture {
  SURFHANDLE texture;
  int tgtX, tgtY, srcX, srcY, w, h;
};
constexpr int MAX_PLACES = 4;
PlacedPicture placed[MAX_PLACES] = {};
int placedCount = 0;

}  // namespace

void ShowPicture(SURFHANDLE texture, int tgtX, int tgtY, int srcX, int srcY, int w, int h) {
  if (!texture) return;
  PlacedPicture* slot = nullptr;
  for (int i = 0; i < placedCount; ++i) {
    PlacedPicture& p = placed[i];
    if (p.texture == texture && p.tgtX == tgtX && p.tgtY == tgtY) {
      if (p.srcX == srcX && p.srcY == srcY && p.w == w && p.h == h) return;
      slot = &p;
      break;
    }
  }
  if (!oapiBlt(texture, texture, tgtX, tgtY, srcX, srcY, w, h, SURF_NO_CK)) {
    if (slot) slot->texture = nullptr;  // unknown now: copy again next time
    return;
  }
  if (!slot && placedCount < MAX_PLACES) slot = &placed[placedCount++];
  if (slot) *slot = {texture, tgtX, tgtY, srcX, srcY, w, h};
}

void ForgetPictures() { placedCount = 0; }
