// Texture files under Textures/: PNG pictures read into a pixel surface.
#pragma once

#include <string>

namespace host {

struct Surface;

constexpr int TEXTURE_MAX_SIDE = 8192;  // pixels

// The file a mesh's texture name stands for, relative to the root: the name
// under Textures/, a ".dds" name as the ".png" of the same stem (the
// simulator's textures are DDS; ours are PNG).
std::string TextureFilePath(const std::string& name);

// Reads a PNG picture (a simulator path) into *out as 0xRRGGBB pixels, row
// by row from the top. False with the reason when the file is missing, is
// no PNG, or is larger than TEXTURE_MAX_SIDE on a side.
bool LoadTextureFile(const std::string& path, Surface* out, std::string* error);

}  // namespace host
