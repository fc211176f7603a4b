// Texts drawn from the hard cases of the library's text order, for the tests that set a
// typed path against the Variant path: ASCII letters of both cases, signs, Chinese
// characters, characters whose trail byte is an ASCII letter or sign, every double-byte
// letter of GBK that has a case pair (found by scanning all of GBK, not from a table),
// long shared prefixes that reach past the 16-byte sort key, and a lone lead byte at the
// end.
#pragma once
#include <random>
#include <string>
#include <vector>

#include "rtl/AnsiString.h"

namespace kvtest {

// Every double-byte character of GBK that AnsiUpperCase or AnsiLowerCase changes.
inline const std::vector<std::string>& CaseLetters() {
  static const std::vector<std::string> letters = [] {
    std::vector<std::string> out;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const std::string ch{char(lead), char(trail)};
        if (AnsiUpperCase(ch) != ch || AnsiLowerCase(ch) != ch) out.push_back(ch);
      }
    return out;
  }();
  return letters;
}

class HardTexts {
 public:
  explicit HardTexts(uint32_t seed) : FRandom(seed) {}

  int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint32_t>(n)); }

  // One character (or a lone lead byte when last is true).
  std::string Piece() {
    static const char* const plain[] = {"a", "A", "b", "B", "z", "Z", "0", "9", "_", " ", "~", "\\",
                                        "白", "菜", "\xB0" "a", "\xB0" "A", "\x81\x5C", "\x81\x7E", "\xB0\x40"};
    const std::vector<std::string>& letters = CaseLetters();
    if (Pick(2) == 0) return letters[static_cast<size_t>(Pick(static_cast<int>(letters.size())))];
    return plain[Pick(static_cast<int>(sizeof plain / sizeof *plain))];
  }

  // A text of up to max characters, often after one of a few long prefixes shared by many
  // texts (16 to 19 bytes, so that the sort key ends inside or just after them).
  std::string Text(int max = 6, bool loneLead = true) {
    static const char* const prefixes[] = {"ABCDEFGHIJKLMNOP",           // exactly 16 bytes
                                           "\xA3\xC1\xA3\xE1" "ABCDEFGHIJKLM",  // 17 bytes
                                           "abcdefghijklmno\xA3\xC2",    // a letter across byte 16
                                           "\xA6\xC1\xA6\xA1\xA7\xD1\xA7\xA1\xA2\xA1\xA2\xF1\xA3\xE1\xA3\xC1\xA6\xC2"};
    std::string s;
    if (Pick(3) == 0) s = prefixes[Pick(4)];
    const int n = Pick(max + 1);
    for (int i = 0; i < n; ++i) s += Piece();
    if (loneLead && Pick(9) == 0) s += "\xA3";  // a lone lead byte at the end
    return s;
  }

 private:
  std::mt19937 FRandom;
};

}  // namespace kvtest
