// Record sets of SQLite statements as data packets; the type rules are in PacketReader.h.
#include "server/PacketReader.h"

#include <sqlite3.h>
#include <algorithm>
#include <cctype>
#include <climits>
#include <unordered_map>
#include "rtl/NumberFormat.h"
#include "server/StoreText.h"

namespace store {
namespace {

bool Contains(const std::string& upper, const char* part) {
  return upper.find(part) != std::string::npos;
}

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

Variant IntValue(int64_t v) {
  return FitsInt32(v) ? Variant(static_cast<int>(v)) : Variant(static_cast<long long>(v));
}

// What one column's values are made of, for the columns without a declared type.
struct ColumnStats {
  bool AnyText = false, AnyFloat = false, AnyInt = false, AnyBig = false;
  int LongestText = 0;
};

// UTF-8 -> GBK for one record set. Names of units, colours, sizes and classes repeat
// row after row; their conversions are remembered (a bounded number of short texts).
class TextCache {
 public:
  AnsiString ToClient(std::string_view utf8) {
    bool ascii = true;
    for (const char ch : utf8) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    if (ascii) return AnsiString(utf8);
    if (utf8.size() > kMaxLength) return Utf8ToClient(utf8);
    const auto it = FMap.find(std::string(utf8));
    if (it != FMap.end()) return it->second;
    AnsiString gbk = Utf8ToClient(utf8);
    if (FMap.size() < kMaxEntries) FMap.emplace(std::string(utf8), gbk);
    return gbk;
  }

 private:
  static constexpr size_t kMaxLength = 64, kMaxEntries = 4096;
  std::unordered_map<std::string, AnsiString> FMap;
};

AnsiString NumberText(const Variant& v) {
  return v.VType() == varDouble ? FloatToStr(v.RawDouble()) : IntToStr(v.RawInt());
}

}  // namespace

TFieldType FieldTypeOfDecl(std::string_view declType, int& declaredSize) {
  declaredSize = 0;
  std::string t(declType);
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (t.empty()) return ftUnknown;
  if (Contains(t, "BIGINT")) return ftLargeint;
  if (Contains(t, "INT")) return ftInteger;
  if (Contains(t, "BOOL") || Contains(t, "BIT")) return ftBoolean;
  if (Contains(t, "DATETIME") || Contains(t, "TIMESTAMP")) return ftDateTime;
  if (Contains(t, "DATE")) return ftDate;
  if (Contains(t, "TIME")) return ftTime;
  if (Contains(t, "CHAR") || Contains(t, "TEXT") || Contains(t, "CLOB")) {
    const size_t open = t.find('(');
    if (open != std::string::npos) {
      int n = 0;
      for (size_t i = open + 1; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
        n = std::min(n * 10 + (t[i] - '0'), 1 << 30);
      }
      declaredSize = n;
    }
    return ftString;
  }
  if (Contains(t, "REAL") || Contains(t, "FLOA") || Contains(t, "DOUB") ||
      Contains(t, "NUMERIC") || Contains(t, "DECIMAL") || Contains(t, "MONEY")) {
    return ftFloat;
  }
  if (Contains(t, "BLOB")) return ftBlob;
  return ftUnknown;
}

TDataPacket ReadPacket(Statement& st) {
  TDataPacket p;
  const int cols = st.ColumnCount();
  p.Fields.resize(static_cast<size_t>(cols));
  std::vector<int> declared(static_cast<size_t>(cols), 0);
  for (int c = 0; c < cols; ++c) {
    TPacketField& f = p.Fields[static_cast<size_t>(c)];
    f.Name = Utf8ToClient(st.ColumnName(c));
    f.DataType = FieldTypeOfDecl(st.ColumnDeclType(c), declared[static_cast<size_t>(c)]);
  }

  // Rows as SQLite gives them (text already in GBK); the field types fix them up below.
  std::vector<ColumnStats> stats(static_cast<size_t>(cols));
  TextCache texts;
  while (st.Step()) {
    std::vector<Variant> row;
    row.reserve(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c) {
      ColumnStats& s = stats[static_cast<size_t>(c)];
      switch (st.ColumnType(c)) {
        case SQLITE_INTEGER: {
          const int64_t v = st.ColumnInt(c);
          s.AnyInt = true;
          if (!FitsInt32(v)) s.AnyBig = true;
          row.push_back(IntValue(v));
          break;
        }
        case SQLITE_FLOAT:
          s.AnyFloat = true;
          row.emplace_back(st.ColumnDouble(c));
          break;
        case SQLITE_NULL:
          row.push_back(Variant::Null());
          break;
        default: {  // text, blob
          const std::string_view raw = st.ColumnTextView(c);
          AnsiString text = p.Fields[static_cast<size_t>(c)].DataType == ftBlob ? AnsiString(raw)
                                                                              : texts.ToClient(raw);
          s.AnyText = true;
          s.LongestText = std::max(s.LongestText, static_cast<int>(std::min<size_t>(text.size(), INT_MAX)));
          row.emplace_back(std::move(text));
        }
      }
    }
    p.Rows.push_back(std::move(row));
  }

  for (int c = 0; c < cols; ++c) {
    TPacketField& f = p.Fields[static_cast<size_t>(c)];
    const ColumnStats& s = stats[static_cast<size_t>(c)];
    if (f.DataType == ftUnknown) {
      f.DataType = s.AnyText ? ftString : s.AnyFloat ? ftFloat : s.AnyInt ? ftInteger : ftString;
    }
    if (f.DataType == ftInteger && s.AnyBig) f.DataType = ftLargeint;
    if (f.DataType == ftString) {
      f.Size = std::max({declared[static_cast<size_t>(c)], s.LongestText, 1});
    }
    // Values of another storage class than the field's type.
    const bool fixNumbersToText = f.DataType == ftString && (s.AnyInt || s.AnyFloat);
    const bool fixIntsToFloat = f.DataType == ftFloat && s.AnyInt;
    const bool isDate = f.DataType == ftDate || f.DataType == ftDateTime || f.DataType == ftTime;
    const bool isBool = f.DataType == ftBoolean;
    // One kind per column: a 64-bit column holds Int64 values only.
    const bool fixIntsToInt64 = f.DataType == ftLargeint && s.AnyInt;
    if (!fixNumbersToText && !fixIntsToFloat && !fixIntsToInt64 && !isDate && !isBool) continue;
    int longest = f.Size;
    for (auto& row : p.Rows) {
      Variant& v = row[static_cast<size_t>(c)];
      const TVarType k = v.VType();
      const bool isNumber = k == varInteger || k == varInt64 || k == varDouble;
      if (fixNumbersToText && isNumber) {
        v = Variant(NumberText(v));
        longest = std::max(longest, static_cast<int>(v.RawString().size()));
      } else if (fixIntsToInt64 && k == varInteger) {
        v = Variant(static_cast<long long>(v.RawInt()));
      } else if (fixIntsToFloat && (k == varInteger || k == varInt64)) {
        v = Variant(static_cast<double>(v.RawInt()));
      } else if (isBool && isNumber) {
        v = Variant(k == varDouble ? v.RawDouble() != 0 : v.RawInt() != 0);
      } else if (isDate && k == varString) {
        TDateTime d;
        if (ParseDateTimeText(v.RawString(), d)) v = Variant::FromDate(d);
      }
    }
    if (f.DataType == ftString) f.Size = longest;
  }
  return p;
}

}  // namespace store
