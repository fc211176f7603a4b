// Reading back the PNG images the product writes (rtl/PngWriter.h: 8-bit RGB, stored
// deflate blocks only), so that tests can check a screenshot's pixels.
#pragma once
#include <cstdint>
#include <vector>

namespace png {

// Pixels as 0x00RRGGBB, row by row from the top; width and height are set.
// Throws EReadError on anything but Encode's form and on damaged or cut data.
std::vector<uint32_t> Decode(const std::vector<uint8_t>& bytes, int& width, int& height);

}  // namespace png
