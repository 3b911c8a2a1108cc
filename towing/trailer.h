// Towbar and towed-vessel following: the two-trailer model of each step.
#pragma once

#include "host/types.h"

class KVQ_R7700;

// v: the tractor's new speed, omega: its yaw rate, dt: the step.
void StepTowing(KVQ_R7700& v, double speed, double omega, double dt);
void PlaceTowbar(KVQ_R7700& v, ATTACHMENTHANDLE mount, double pitch, double yaw, int kind);
