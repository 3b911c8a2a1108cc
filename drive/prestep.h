// The tractor's per-frame step: its twelve sub-steps in order.
#pragma once

class KVQ_R7700;

void RunPreStep(KVQ_R7700& v, double simt, double simdt);
