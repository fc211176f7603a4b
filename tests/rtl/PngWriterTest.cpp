// The PNG writer against the tests' reader: pixels come back as written, and a cut
// image is refused.
#include "rtl/PngWriter.h"
#include "tests/support/PngReader.h"

#include <gtest/gtest.h>
#include "rtl/Exceptions.h"

TEST(PngWriter, RoundTripKeepsEveryPixel) {
  std::vector<uint32_t> px;
  for (int i = 0; i < 300 * 250; ++i) px.push_back(uint32_t(i * 2654435761u) & 0xFFFFFF);
  auto bytes = png::Encode(300, 250, px);  // more than one stored block
  int w = 0, h = 0;
  EXPECT_EQ(png::Decode(bytes, w, h), px);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 250);
}

TEST(PngWriter, DamagedDataIsAReadError) {
  auto bytes = png::Encode(2, 2, {0, 1, 2, 3});
  int w, h;
  for (size_t cut : {size_t(3), size_t(20), bytes.size() - 20}) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
    EXPECT_THROW(png::Decode(part, w, h), EReadError) << cut;
  }
}
