#include "cockpit/lamps.h"

#include "vessel/definition.h"
#include "vessel/kvq_r7700.h"

namespace {

constexpr DWORD SWITCH_TEXTURE = 5;
constexpr int SWITCH_W = 88, SWITCH_H = 60;
constexpr int SWITCH_OFF_X = 6, SWITCH_ON_X = 198, SWITCH_SRC_Y = 634;
constexpr int SWITCH_SHOWN_X = 636, SWITCH_SHOWN_Y = 876;

constexpr int HEAD_LAMPS[] = {BEACON_HEAD_RIGHT, BEACON_HEAD_LEFT};
constexpr int TAIL_LAMPS[] = {BEACON_TAIL_RIGHT, BEACON_TAIL_LEFT};
constexpr int ROOF_STROBES[] = {BEACON_STROBE_RIGHT, BEACON_STROBE_LEFT};

struct LitMaterial {
  int index;
  MATERIAL off, on;
};

constexpr COLOUR4 C(float r, float g, float b, float a) { return COLOUR4{r, g, b, a}; }

// The lit instruments, in the order they are set.
const LitMaterial LIT_MATERIALS[] = {
    {0,
     {C(0.8f, 0, 0, 1), C(0.8f, 0, 0, 1), C(0.823529f, 0.823529f, 0.823529f, 1), C(0.2f, 0, 0, 1), 0},
     {C(0.470588f, 0, 0, 1), C(0.470588f, 0, 0, 1), C(0.823529f, 0.823529f, 0.823529f, 1), C(0.6f, 0, 0, 1), 0}},
    {9,
     {C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), C(0.5f, 0.5f, 0.5f, 0.5f), 0},
     {C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), 0}},
    {1,
     {C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), C(0.2f, 0.2f, 0.2f, 0.2f), 0},
     {C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), C(1, 1, 1, 1), 0}},
    {7,
     {C(0.87451f, 0.87451f, 0.87451f, 1), C(0.87451f, 0.87451f, 0.87451f, 1), C(0.9f, 0.9f, 0.9f, 1),
      C(0.2f, 0.2f, 0.2f, 1), 0},
     {C(0.87451f, 0.87451f, 0.87451f, 1), C(0.87451f, 0.87451f, 0.87451f, 1), C(0.9f, 0.9f, 0.9f, 1),
      C(0.4f, 0.5f, 0.5f, 1), 0}},
};

void SetLamps(KVQ_R7700& v, const int (&lamps)[2], bool on) {
  for (int i : lamps) v.beacons[i].active = on;
}

}  // namespace

bool ToggleLights(KVQ_R7700& v) {
  const bool on = !v.lightsOn;
  SURFHANDLE tex = v.vcMeshTemplate ? oapiGetTextureHandle(v.vcMeshTemplate, SWITCH_TEXTURE) : nullptr;
  if (v.headLight) v.headLight->Activate(on);
  SetLamps(v, HEAD_LAMPS, on);
  SetLamps(v, TAIL_LAMPS, on);
  if (tex) {
    oapiBlt(tex, tex, SWITCH_SHOWN_X, SWITCH_SHOWN_Y, on ? SWITCH_ON_X : SWITCH_OFF_X, SWITCH_SRC_Y, SWITCH_W,
            SWITCH_H, SURF_NO_CK);
  }
  // Without a visual there is no device mesh to edit.
  if (!v.vcMesh) return on;
  for (const LitMaterial& m : LIT_MATERIALS) oapiSetMaterial(v.vcMesh, m.index, on ? &m.on : &m.off);
  return on;
}

bool ToggleBeacons(KVQ_R7700& v) {
  const bool on = !v.beaconOn;
  SetLamps(v, ROOF_STROBES, on);
  return on;
}
