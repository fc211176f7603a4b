// Case folding of single GBK letters and of UTF-16 texts, as AnsiUpperCase folds text
// (rtl/AnsiString.h): for typed comparisons that fold a character at a time, and for wide
// texts that must fold the letters their GBK form folds. Defined beside AnsiUpperCase in
// AnsiString.cpp, from the same table of GBK letters.
#pragma once
#include <string_view>
#include "rtl/AnsiString.h"

// The trail byte of the double-byte character (lead, trail) in upper case, as
// AnsiUpperCase folds it: the trail itself for every character without a case pair.
unsigned char AnsiUpperTrail(unsigned char lead, unsigned char trail);
// A UTF-16 text upper-cased as AnsiUpperCase folds the same text in GBK: ASCII letters
// and the double-byte letters of GBK with a case pair change, every other unit stays as
// it is (so characters outside GBK survive).
WideString AnsiUpperCaseWide(std::u16string_view s);
