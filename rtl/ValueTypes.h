// The value kinds of the platform's binary component stream: the tag byte in front of
// every value (docs/formats/component-stream.md). The tagged variant stream of the grid
// library uses the same numbers for the kinds it shares.
#pragma once
#include <cstdint>

enum TValueType : uint8_t {
  vaNull = 0,        // end of a list (and of properties, children, collection items)
  vaList = 1,        // values up to vaNull
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,    // 80-bit real
  vaString = 6,      // 1-byte length, bytes
  vaIdent = 7,       // 1-byte length, identifier
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,     // 4-byte length, bytes
  vaSet = 11,        // identifiers (1-byte length each) up to an empty one
  vaLString = 12,    // 4-byte length, bytes
  vaNil = 13,
  vaCollection = 14, // items up to vaNull
  vaSingle = 15,
  vaCurrency = 16,   // 64-bit integer, value x 10000
  vaDate = 17,       // 64-bit real, days since 1899-12-30
  vaWString = 18,    // 4-byte count of UTF-16 units, units
  vaInt64 = 19,
  vaUTF8String = 20, // 4-byte length, UTF-8 bytes
  vaDouble = 21,
};
constexpr uint8_t vaLast = vaDouble;
