// Coupling and releasing the towbar and a towed vessel.
#pragma once

class KVQ_R7700;

constexpr double TOWBAR_REACH = 6.5;  // m, towbar mount to towbar eye

bool CoupleTowbar(KVQ_R7700& v, bool front, bool attach);
bool CoupleVessel(KVQ_R7700& v, bool front, bool attach);
