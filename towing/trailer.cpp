#include "towing/trailer.h"

#include "vessel/kvq_r7700.h"

void StepTowing(KVQ_R7700& v, double speed, double omega, double dt) {}
void PlaceTowbar(KVQ_R7700& v, ATTACHMENTHANDLE mount, double pitch, double yaw, int kind) {}
