#include "script/attach_codes.h"

AttachPoint AttachIndexPoint(long long code) {
  switch (code) {
    case -2: return AttachPoint::VESSEL_HITCH_FRONT;
    case -1: return AttachPoint::TOWBAR_MOUNT_FRONT;
    case 1: return AttachPoint::TOWBAR_MOUNT_BACK;
    case 2: return AttachPoint::VESSEL_HITCH_BACK;
    default: return AttachPoint::NONE;
  }
}

CouplingTarget CouplingCodeTarget(long long code) {
  switch (code) {
    case 1: return CouplingTarget::TOWBAR_FRONT;
    case -1: return CouplingTarget::TOWBAR_BACK;
    case 2: return CouplingTarget::VESSEL_FRONT;
    case -2: return CouplingTarget::VESSEL_BACK;
    default: return CouplingTarget::NONE;
  }
}
