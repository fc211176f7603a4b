// The tagged variant stream: a compact, self-describing binary form of one Variant,
// and the fixed-width little-endian primitives beside it. Grammar: docs/formats/variant-stream.md.
//
// Readers trust nothing: every count and length is checked against the bytes left
// before anything is allocated, list nesting is bounded, and a malformed or truncated
// stream raises EReadError "输入流错误 (corrupt at offset N)", N being the stream
// position of the tag, count, length or field that is wrong or cut off. Writing what
// the form cannot hold raises EWriteError "输出流错误"; bytes already written stay on
// the stream.
#pragma once
#include <cstdint>
#include "rtl/AnsiString.h"
#include "rtl/Currency.h"
#include "rtl/Streams.h"
#include "rtl/ValueTypes.h"
#include "rtl/Variant.h"

// Tags: the platform's component-streaming value kinds (rtl/ValueTypes.h); this form uses
// vaNull .. vaWString without vaIdent, vaBinary, vaSet and vaCollection.

// Deepest nesting of lists a reader accepts.
constexpr int kMaxVariantNesting = 64;

void WriteVariant(TStream& stream, const Variant& v);
Variant ReadVariant(TStream& stream);

// Tag 2, 3 or 4 with the smallest width that holds v.
void WriteCompactInteger(TStream& stream, int32_t v);

// Fixed-width primitives: exactly the bytes named, nothing else. A reader raises the
// read error with its field's offset when the stream holds fewer bytes.
void WriteByte(TStream& stream, uint8_t v);
uint8_t ReadByte(TStream& stream);
void WriteBoolean(TStream& stream, bool v);
bool ReadBoolean(TStream& stream);  // any non-zero byte is true
void WriteWord(TStream& stream, uint16_t v);
uint16_t ReadWord(TStream& stream);
void WriteInteger(TStream& stream, int32_t v);
int32_t ReadInteger(TStream& stream);
void WriteInt64(TStream& stream, int64_t v);
int64_t ReadInt64(TStream& stream);
void WriteDouble(TStream& stream, double v);
double ReadDouble(TStream& stream);
void WriteCurrency(TStream& stream, Currency v);
Currency ReadCurrency(TStream& stream);
void WriteExtended(TStream& stream, double v);
double ReadExtended(TStream& stream);
// 4-byte length, then the bytes.
void WriteAnsiString(TStream& stream, const AnsiString& s);
AnsiString ReadAnsiString(TStream& stream);
// 4-byte count of UTF-16 units, then 2 x count bytes.
void WriteWideString(TStream& stream, const WideString& s);
WideString ReadWideString(TStream& stream);

// EReadError "输入流错误 (corrupt at offset N)", N counted from the stream's start.
[[noreturn]] void RaiseKvReadError(int64_t offset);
// EReadError "输入流错误", for a failure that is not about a place in a stream.
[[noreturn]] void RaiseKvReadError();
