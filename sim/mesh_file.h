// The simulator's text mesh format (a file starting "MSHX1"), read into plain
// records. The frame is left-handed (x right, y up, z forward), in metres;
// a triangle shows the side from which its corners run clockwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/types.h"

namespace sim {

struct MeshFileGroup {
  std::string label;
  int material = -1;  // index into MeshFile::materials; -1 the default material (white)
  int texture = 0;    // texture number as oapiGetTextureHandle takes it: 1 = textures[0]; 0 none
  uint32_t flags = 0;    // the group's FLAG bits (0x2: not drawn)
  int texWrap = 0;       // TEXWRAP: bit 0 wraps u, bit 1 wraps v
  std::vector<float> positions;  // x, y, z per vertex
  std::vector<float> normals;    // nx, ny, nz per vertex; averaged from the triangles where the file gives none
  std::vector<float> uvs;        // u, v per vertex, from the picture's left and top row
                                 // (as the simulator's renderer takes them); 0, 0 where none
  std::vector<uint32_t> indices;  // three vertex indices per triangle
  size_t VertexCount() const { return positions.size() / 3; }
};

struct MeshFile {
  std::vector<MeshFileGroup> groups;
  std::vector<std::string> materialNames;
  std::vector<MATERIAL> materials;    // as oapiSetMaterial numbers them, from 0
  std::vector<std::string> textures;  // file names under Textures/, as written
};

// Limits of what a file may ask for; counts are also checked against the
// lines the file has left before anything is allocated.
constexpr size_t MESH_FILE_MAX_BYTES = 64u << 20;
constexpr size_t MESH_MAX_GROUP_VERTICES = 65536;  // vertex indices are 16-bit in the simulator

// Parses the text of a mesh file. On failure returns false, leaves *out
// empty and gives the line (from 1) and what is wrong with it.
bool ParseMeshFile(std::string_view text, MeshFile* out, int* errorLine, std::string* error);

}  // namespace sim
