// Reading back the PNG images of rtl/PngWriter: the chunks are walked with every length
// checked against the bytes left, and only stored deflate blocks are taken.
#include "tests/support/PngReader.h"

#include <algorithm>
#include <string>
#include "rtl/Exceptions.h"

namespace png {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  if (at + 4 > in.size()) throw EReadError("PNG data truncated at offset " + std::to_string(at));
  return (uint32_t(in[at]) << 24) | (uint32_t(in[at + 1]) << 16) | (uint32_t(in[at + 2]) << 8) | in[at + 3];
}

}  // namespace

std::vector<uint32_t> Decode(const std::vector<uint8_t>& bytes, int& width, int& height) {
  if (bytes.size() < 8 || !std::equal(kSignature, kSignature + 8, bytes.begin()))
    throw EReadError("Not a PNG image");
  size_t at = 8;
  std::vector<uint8_t> z;
  width = height = 0;
  while (at + 8 <= bytes.size()) {
    uint32_t len = Get32(bytes, at);
    if (at + 12 + size_t(len) > bytes.size())
      throw EReadError("PNG chunk too long at offset " + std::to_string(at));
    std::string type(bytes.begin() + long(at + 4), bytes.begin() + long(at + 8));
    const uint8_t* data = bytes.data() + at + 8;
    if (type == "IHDR") {
      if (len != 13) throw EReadError("Bad PNG header");
      width = int(Get32(bytes, at + 8));
      height = int(Get32(bytes, at + 12));
      if (data[8] != 8 || data[9] != 2) throw EReadError("Only 8-bit RGB PNG images are read");
    } else if (type == "IDAT") {
      z.insert(z.end(), data, data + len);
    } else if (type == "IEND") {
      break;
    }
    at += 12 + size_t(len);
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) throw EReadError("Bad PNG size");
  std::vector<uint8_t> raw;
  size_t p = 2;
  for (;;) {
    if (p + 5 > z.size()) throw EReadError("PNG data truncated");
    uint8_t hdr = z[p];
    if ((hdr & 6) != 0) throw EReadError("Only stored deflate blocks are read");
    size_t n = z[p + 1] | (size_t(z[p + 2]) << 8);
    p += 5;
    if (p + n > z.size()) throw EReadError("PNG data truncated");
    raw.insert(raw.end(), z.begin() + long(p), z.begin() + long(p + n));
    p += n;
    if (hdr & 1) break;
  }
  size_t stride = 1 + size_t(width) * 3;
  if (raw.size() != stride * size_t(height)) throw EReadError("PNG data has the wrong size");
  std::vector<uint32_t> px(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* q = raw.data() + size_t(y) * stride + 1 + size_t(x) * 3;
      px[size_t(y) * size_t(width) + size_t(x)] = (uint32_t(q[0]) << 16) | (uint32_t(q[1]) << 8) | q[2];
    }
  return px;
}

}  // namespace png
