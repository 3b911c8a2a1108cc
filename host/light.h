// Light sources attached to a vessel. The host owns them.
#pragma once

#include "host/types.h"

class LightEmitter {
 public:
  virtual ~LightEmitter() = default;
  void Activate(bool on) { active = on; }
  bool IsActive() const { return active; }

  VECTOR3 pos{0, 0, 0};
  VECTOR3 dir{0, 0, 1};
  double range = 0;
  double att0 = 0, att1 = 0, att2 = 0;
  COLOUR4 diffuse{0, 0, 0, 0}, specular{0, 0, 0, 0}, ambient{0, 0, 0, 0};

 protected:
  bool active = true;
};

class SpotLight : public LightEmitter {
 public:
  double umbra = 0;     // rad
  double penumbra = 0;  // rad
};
