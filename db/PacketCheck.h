// Checking a data packet that came from outside before a dataset takes it.
//
// A packet is accepted when it has at most kMaxPacketFields columns, every column has a
// known, storable type and a size in range, every row has exactly one value per column,
// and every value is Null or of a kind its column's type can hold (strings for text and
// binary columns, ordinals for integer columns within their range, numbers for float,
// currency and BCD columns, numbers or Booleans for Boolean columns, dates or numbers for
// date and time columns). Text longer than a column's declared size (when it has one)
// is refused. The values are converted in place to the canonical kind of their column
// (CanonicalVarType), so the dataset never meets a stray kind later.
//
// A packet that breaks the rules raises EDataPacketError naming the column and row, and
// is left partly converted (the caller drops it).
#pragma once
#include "db/DataPacket.h"
#include "db/DatabaseError.h"

constexpr int kMaxPacketFields = 4096;
constexpr int kMaxFieldSize = 1 << 30;

void CheckDataPacket(TDataPacket& packet);
