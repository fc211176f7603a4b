// Text literals of the SQL that the screens send to the store database.
//
// Every value that goes into SQL text as a string goes through SqlQuoted: the value
// between single quotes, each "'" inside doubled, so that no input (from the host, the
// server or a terminal file) can end the literal early. A value without "'" comes out
// as '<value>', exactly the text the statements always had.
//
// The GBK form may work byte by byte: 0x27 is never the second byte of a double-byte
// character (those are 0x40..0xFE), so doubling every 0x27 byte cannot split one.
#pragma once
#include <string_view>

#include "rtl/AnsiString.h"

AnsiString SqlQuoted(std::string_view Value);
WideString SqlQuoted(std::u16string_view Value);
