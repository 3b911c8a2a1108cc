// Actions shared by the keyboard, the cockpit and the scripts.
#pragma once

class KVQ_R7700;

void GearUp(KVQ_R7700& v);
void GearDown(KVQ_R7700& v);
void TowbarFront(KVQ_R7700& v);
void TowbarRear(KVQ_R7700& v);
void HitchFront(KVQ_R7700& v);
void HitchRear(KVQ_R7700& v);
void ReleaseTowbar(KVQ_R7700& v);
void ReleaseVesselFront(KVQ_R7700& v);
void ReleaseVesselRear(KVQ_R7700& v);
void ToggleParkingBrake(KVQ_R7700& v);
void ToggleRealismMode(KVQ_R7700& v);
void ToggleEngine(KVQ_R7700& v);
void Refuel(KVQ_R7700& v);
// The two lamp actions store the toggles' results.
void ToggleLightsAction(KVQ_R7700& v);
void ToggleBeaconsAction(KVQ_R7700& v);
void PlayCouplingSound(KVQ_R7700& v);
void PlayStarterSound(KVQ_R7700& v);
