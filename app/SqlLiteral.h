// Text literals of the SQL that the screens send to the store database.
//
// Every value that goes into SQL text as a string goes through SqlQuoted: the value
// between single quotes, each "'" inside doubled, so that no input (from the host, the
// server or a terminal file) can end the literal early. A value without "'" comes out
// as '<value>', exactly the text the statements always had.
//
// The GBK form may work byte by byte: 0x27 is never the second byte of a double-byte
// character (those are 0x40..0xFE), so doubling every 0x27 byte cannot split one.
//
// A NUL inside a value is refused with ESqlLiteralError (kNulInLiteral) and nothing is
// made: SQL text ends at a NUL for the database engine, so the rest of the statement
// would be lost or read as something else.
#pragma once
#include <string_view>

#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

POS_EXCEPTION(ESqlLiteralError, Exception);

constexpr const char* kNulInLiteral = "文本中含有空字符(NUL)，不能用于查询语句。";

AnsiString SqlQuoted(std::string_view Value);
WideString SqlQuoted(std::u16string_view Value);
