// Text at the edges of the store: the databases hold UTF-8, clients send and receive
// GBK (and UTF-16 for SQL text and some parameter values).
#pragma once
#include <string>
#include <string_view>
#include "rtl/AnsiString.h"
#include "rtl/DateTime.h"

class Variant;

namespace store {

// UTF-8 -> GBK; pure ASCII text is copied as is (the common case of codes and numbers).
AnsiString Utf8ToClient(std::string_view utf8);
// GBK -> UTF-8, likewise.
std::string ClientToUtf8(std::string_view gbk);
// A parameter value as UTF-8 text: varString is GBK, varOleStr UTF-16, Null/Empty "",
// anything else its text form (VarToStr).
std::string VariantToUtf8(const Variant& v);

// Dates as the databases keep them: "yyyy-mm-dd hh:nn:ss" (DateTimeText) or
// "yyyy-mm-dd" (DateText), and back. ParseDateTimeText accepts "yyyy-mm-dd",
// "yyyy-mm-dd hh:nn", "yyyy-mm-dd hh:nn:ss" and "yyyy-mm-dd hh:nn:ss.zzz" (a 'T' may
// stand for the blank) and "hh:nn[:ss]" for a time alone; false for anything else.
std::string DateTimeText(TDateTime d);
std::string DateText(TDateTime d);
bool ParseDateTimeText(std::string_view s, TDateTime& out);

}  // namespace store
