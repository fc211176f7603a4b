// PNG encoder for screenshots: 24-bit RGB, no compression library needed.
//
// The image data is stored in uncompressed deflate blocks, which every PNG reader
// accepts; screenshots are small enough that the size does not matter.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace png {

// Pixels are 0x00RRGGBB, row by row from the top, `width * height` of them.
std::vector<uint8_t> Encode(int width, int height, const std::vector<uint32_t>& pixels);

// Writes Encode's bytes to `path` (UTF-8 file name natively, ANSI on Windows).
// Throws EFCreateError when the file cannot be written.
void WriteFile(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

}  // namespace png
