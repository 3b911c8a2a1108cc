// Writes the vessel's synthetic sounds into a folder: wavegen DIR.
#include <cstdio>
#include <string>

#include "synth.h"
#include "wave.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (const SynthSound& sound : SYNTH_SOUNDS) {
    std::string path = std::string(argv[1]) + "/" + sound.fileName;
    std::vector<float> samples = sound.make();
    FILE* f = fopen(path.c_str(), "wb");
    bool ok = f != nullptr && WriteWave(f, SYNTH_RATE, samples.data(), samples.size());
    if (f != nullptr && fclose(f) != 0) ok = false;
    if (!ok) {
      fprintf(stderr, "wavegen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
