// Stand-in for the OrbiterSound add-on: a plug-in that exports the add-on's
// entry points by name, keeps every vessel's wave slots and plays them in
// simulation time without a sound device. Options of the runner:
//   sound-log FILE  one line per call received: simulation time, entry point,
//                   arguments (pointers shown as the values they point to)
//   sound FILE.wav  at the end of the run, everything played mixed into one
//                   wave file
// Test builds leave out entry points, as older add-ons would: the three 4.0
// ones (OBSOUND_WITHOUT_3D), GetVesselSoundID3 (OBSOUND_WITHOUT_SOUND_ID),
// StopVesselWave3 (OBSOUND_WITHOUT_STOP).
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "host/win.h"
#include "mixer.h"
#include "sim/sim.h"
#include "sound_board.h"
#include "sound_slots.h"

namespace {

constexpr int VERSION = 400;  // 4.00
constexpr double RENDER_CHUNK_SECONDS = 1.0;

// Matches the record the vessel hands through: two ints, four doubles.
struct ParameterRecord {
  int ints[2];
  double doubles[4];
};

struct AddOn {
  SoundBoard* board = nullptr;
  FILE* callLog = nullptr;
  std::string renderPath;
  bool haveOrigin = false;
  double origin = 0;
};

AddOn addOn;

double Now() {
  double t = oapiGetSimTime();
  if (!addOn.haveOrigin) {
    addOn.haveOrigin = true;
    addOn.origin = t;
  }
  return t;
}

// The host checks a handle without touching what it points to.
bool IsVessel(OBJHANDLE h) { return h != nullptr && oapiGetVesselInterface(h) != nullptr; }

SoundBoard& Board() {
  if (addOn.board == nullptr) addOn.board = new SoundBoard(false);
  return *addOn.board;
}

// The call log. Each line is built in a fixed buffer and cut if too long.
class CallLine {
 public:
  explicit CallLine(const char* name) {
    text_[0] = '\0';
    const double t = Now();  // the first call sets the origin, log or not
    if (addOn.callLog != nullptr) Add("%.3f %s", t, name);
  }
  ~CallLine() {
    if (addOn.callLog == nullptr) return;
    fprintf(addOn.callLog, "%s\n", text_);
    fflush(addOn.callLog);
  }
  CallLine& Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (addOn.callLog == nullptr || used_ >= sizeof text_ - 1) return *this;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text_ + used_, sizeof text_ - used_, format, args);
    va_end(args);
    if (n > 0) used_ = std::min(sizeof text_ - 1, used_ + static_cast<size_t>(n));
    return *this;
  }
  // Without a log the parts cost a test each (every frame plays sounds).
  CallLine& Int(int v) { return addOn.callLog == nullptr ? *this : Add(" %d", v); }
  CallLine& Text(const char* s) { return addOn.callLog == nullptr ? *this : Add(" %s", s != nullptr ? s : "null"); }
  CallLine& Vector(const VECTOR3* v) {
    if (addOn.callLog == nullptr) return *this;
    if (v == nullptr) return Text(nullptr);
    return Add(" %g %g %g", v->x, v->y, v->z);
  }
  CallLine& Float(const float* f) {
    if (addOn.callLog == nullptr) return *this;
    if (f == nullptr) return Text(nullptr);
    return Add(" %g", static_cast<double>(*f));
  }
  CallLine& Record(const ParameterRecord* r) {
    if (addOn.callLog == nullptr) return *this;
    if (r == nullptr) return Text(nullptr);
    return Add(" %d %d %g %g %g %g", r->ints[0], r->ints[1], r->doubles[0], r->doubles[1], r->doubles[2],
               r->doubles[3]);
  }
  // A vessel by its name.
  CallLine& Vessel(OBJHANDLE h) {
    if (addOn.callLog == nullptr) return *this;
    if (h == nullptr) return Text(nullptr);
    if (!IsVessel(h)) return Text("unknown");
    char name[256];
    oapiGetObjectName(h, name, sizeof name);
    return Text(name);
  }

 private:
  char text_[1024];  // written only while there is a log (every call goes through here)
  size_t used_ = 0;
};

// The wave a path names, read once per run and shared; -1 when it cannot
// be read.
int LoadWaveFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return -1;
  char real[1024];
  if (!ResolveHostPath(path, real, sizeof real)) return -1;
  int wave = Board().FindWave(real);
  if (wave >= 0) return wave;
  FILE* f = OpenHostFile(path, "rb");
  if (f == nullptr) return -1;
  Wave w;
  bool ok = ReadWave(f, &w);
  fclose(f);
  return ok ? Board().AddWave(real, std::move(w)) : -1;
}

int LoadSlot(int id, int slot, const char* path, int type) {
  double t = Now();
  int wave = LoadWaveFile(path);
  if (wave < 0) {
    Board().Clear(id, slot, t);  // a failed load leaves the slot empty
    return 0;
  }
  return Board().Load(id, slot, wave, type, t);
}

// Vessels that are gone lose their id and their plays.
void ReleaseGoneVessels(double t) {
  SoundBoard& board = Board();
  for (int id = 0; id < board.IdLimit(); ++id) {
    const void* h = board.VesselOf(id);
    if (h != nullptr && !IsVessel(const_cast<void*>(h))) board.ReleaseId(id, t);
  }
}

void RenderRun(const char* path) {
  FILE* f = fopen(path, "wb");
  if (f == nullptr) {
    fprintf(stderr, "OrbiterSound: cannot write %s\n", path);
    return;
  }
  const SoundBoard& board = Board();
  double t0 = addOn.origin;
  double t1 = oapiGetSimTime();
  size_t total = addOn.haveOrigin && t1 > t0 ? static_cast<size_t>((t1 - t0) * RENDER_RATE) : 0;
  bool ok = WriteWaveHeader(f, RENDER_RATE, total);
  const size_t chunk = static_cast<size_t>(RENDER_CHUNK_SECONDS * RENDER_RATE);
  std::vector<float> buffer(chunk);
  for (size_t done = 0; ok && done < total; done += chunk) {
    size_t n = std::min(chunk, total - done);
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    MixVoices(board.Voices(), board.Waves(), t0 + static_cast<double>(done) / RENDER_RATE, RENDER_RATE, buffer.data(),
              n);
    for (size_t i = 0; i < n; ++i) buffer[i] *= RENDER_MASTER_GAIN;
    ok = WriteWaveData(f, buffer.data(), n);
  }
  if (fclose(f) != 0 || !ok) fprintf(stderr, "OrbiterSound: error writing %s\n", path);
}

// Runs an entry point's work; nothing is thrown back into the caller (only
// running out of memory could throw here).
template <typename F>
int Guarded(F work) noexcept {
  try {
    return work();
  } catch (...) {
    return 0;
  }
}

}  // namespace

DLLCLBK void InitModule(HINSTANCE module) {
  Guarded([] {
    addOn = AddOn{};
    const char* render = sim::GetOption("sound");
    if (render != nullptr && render[0] != '\0') addOn.renderPath = render;
    addOn.board = new SoundBoard(!addOn.renderPath.empty());
    const char* log = sim::GetOption("sound-log");
    if (log != nullptr && log[0] != '\0') {
      addOn.callLog = fopen(log, "wb");
      if (addOn.callLog == nullptr) fprintf(stderr, "OrbiterSound: cannot write %s\n", log);
    }
    return 1;
  });
}

DLLCLBK void ExitModule(HINSTANCE module) {
  Guarded([] {
    if (!addOn.renderPath.empty()) RenderRun(addOn.renderPath.c_str());
    return 1;
  });
  if (addOn.callLog != nullptr) fclose(addOn.callLog);
  delete addOn.board;
  addOn = AddOn{};
}

DLLCLBK void opcPreStep(double simt, double simdt, double mjd) { ReleaseGoneVessels(Now()); }

// For a runner that shows the scene: what a vessel's slots play now. Reads
// only; the board is left exactly as it was.
DLLCLBK int GetVesselSoundSlots(void* vessel, SoundSlotState* out, int max) {
  return Guarded([&] {
    if (out == nullptr || max <= 0 || !IsVessel(vessel) || addOn.board == nullptr) return 0;
    const SoundBoard& board = *addOn.board;
    int id = -1;
    for (int i = 0; i < board.IdLimit() && id < 0; ++i)
      if (board.VesselOf(i) == vessel) id = i;
    int n = 0;
    const double t = oapiGetSimTime();
    for (int slot = 1; slot <= SLOT_COUNT && n < max && id >= 0; ++slot) {
      SlotView v;
      if (!board.View(id, slot, t, &v) || v.wave < 0) continue;
      SoundSlotState& s = out[n++];
      s.slot = slot;
      s.playing = v.playing ? 1 : 0;
      s.loop = v.loop ? 1 : 0;
      s.volume = static_cast<int>(v.gain * 255.0 + 0.5);
      s.frequency = v.frequency;
      s.rate = board.Waves()[static_cast<size_t>(v.wave)].rate;
      s.plays = v.plays;
      snprintf(s.file, sizeof s.file, "%s", board.WaveKey(v.wave).c_str());
    }
    return n;
  });
}

// The entry points of the add-on.

#ifndef OBSOUND_WITHOUT_SOUND_ID
DLLCLBK int GetVesselSoundID3(OBJHANDLE vessel) {
  CallLine("GetVesselSoundID3").Vessel(vessel);
  return IsVessel(vessel) ? Board().VesselId(vessel) : -1;
}
#endif

DLLCLBK int LoadVesselWaveOBSound3(int id, int slot, char* path, int type) {
  CallLine("LoadVesselWaveOBSound3").Int(id).Int(slot).Text(path).Int(type);
  return Guarded([&] { return LoadSlot(id, slot, path, type); });
}

DLLCLBK int PlayVesselWaveOBSound3(int id, int slot, int loop, int volume, int frequency) {
  CallLine("PlayVesselWaveOBSound3").Int(id).Int(slot).Int(loop).Int(volume).Int(frequency);
  return Guarded([&] { return Board().Play(id, slot, loop, volume, frequency, Now()); });
}

// Plays like PlayVesselWaveOBSound3; the stand-in has no other sounds to
// silence.
DLLCLBK int PlayVesselExclusiveWaveOBSound3(int id, int slot, int loop, int volume, int frequency) {
  CallLine("PlayVesselExclusiveWaveOBSound3").Int(id).Int(slot).Int(loop).Int(volume).Int(frequency);
  return Guarded([&] { return Board().Play(id, slot, loop, volume, frequency, Now()); });
}

#ifndef OBSOUND_WITHOUT_STOP
DLLCLBK int StopVesselWave3(int id, int slot) {
  CallLine("StopVesselWave3").Int(id).Int(slot);
  return Board().Stop(id, slot, Now());
}
#endif

DLLCLBK int IsPlayingVesselWave3(int id, int slot) {
  CallLine("IsPlayingVesselWave3").Int(id).Int(slot);
  return Board().IsPlaying(id, slot, Now());
}

// The stand-in has no radio.
DLLCLBK int IsPlayingRadioVesselWave(int id) {
  CallLine("IsPlayingRadioVesselWave").Int(id);
  return 0;
}

// Options of the add-on's own sounds, which the stand-in does not have.
DLLCLBK int SoundOption3(int id, int option, int value) {
  CallLine("SoundOption3").Int(id).Int(option).Int(value);
  return Board().VesselOf(id) != nullptr ? 1 : 0;
}

DLLCLBK int SetFrequency(int id, int slot, int frequency) {
  CallLine("SetFrequency").Int(id).Int(slot).Int(frequency);
  return Guarded([&] { return Board().SetFrequency(id, slot, frequency, Now()); });
}

DLLCLBK int ReplaceStockOBSound3(int id, char* path, int which) {
  CallLine("ReplaceStockOBSound3").Int(id).Text(path).Int(which);
  return Guarded([&] { return Board().VesselOf(id) != nullptr && LoadWaveFile(path) >= 0 ? 1 : 0; });
}

DLLCLBK int GetVersionOBSound3() {
  CallLine("GetVersionOBSound3");
  return VERSION;
}

#ifndef OBSOUND_WITHOUT_3D

DLLCLBK int LoadVesselWave3dOBSound4(int id, int slot, char* path, int type, VECTOR3* position, VECTOR3* position2,
                                     int flags) {
  CallLine("LoadVesselWave3dOBSound4")
      .Int(id)
      .Int(slot)
      .Text(path)
      .Int(type)
      .Vector(position)
      .Vector(position2)
      .Int(flags);
  int result = Guarded([&] { return LoadSlot(id, slot, path, type); });
  if (result != 0 && position != nullptr) {
    Sound3d values;
    values.position[0] = position->x;
    values.position[1] = position->y;
    values.position[2] = position->z;
    Board().Set3d(id, slot, values);
  }
  return result;
}

DLLCLBK int Set3dWaveParametersOBSound4(int id, int slot, VECTOR3* position, int mode, float* minDistance,
                                        float* maxDistance, void* parameters) {
  const ParameterRecord* record = static_cast<const ParameterRecord*>(parameters);
  CallLine("Set3dWaveParametersOBSound4")
      .Int(id)
      .Int(slot)
      .Vector(position)
      .Int(mode)
      .Float(minDistance)
      .Float(maxDistance)
      .Record(record);
  Sound3d values;
  if (position != nullptr) {
    values.position[0] = position->x;
    values.position[1] = position->y;
    values.position[2] = position->z;
  }
  values.mode = mode;
  if (minDistance != nullptr) values.minDistance = *minDistance;
  if (maxDistance != nullptr) values.maxDistance = *maxDistance;
  if (record != nullptr) {
    for (int i = 0; i < 2; ++i) values.parameterInts[i] = record->ints[i];
    for (int i = 0; i < 4; ++i) values.parameterDoubles[i] = record->doubles[i];
  }
  return Board().Set3d(id, slot, values);
}

DLLCLBK int IsOrbiterSound3dOBSound4() {
  CallLine("IsOrbiterSound3dOBSound4");
  return 1;
}

#endif
