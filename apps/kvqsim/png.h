// A minimal PNG writer: 8-bit RGB, zlib stream of stored (uncompressed)
// blocks. Enough for pictures of a few hundred pixels a side.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvqsim {

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t n);

// rgb holds width * height pixels, 0xRRGGBB, row by row from the top.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& rgb);
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb);

}  // namespace kvqsim
