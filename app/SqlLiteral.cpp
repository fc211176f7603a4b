// SQL text literals with doubled quotes.
#include "app/SqlLiteral.h"

namespace {

template <class String, class View>
String Quote(View value) {
  for (auto c : value)
    if (c == 0) throw ESqlLiteralError(kNulInLiteral);
  String s;
  s.reserve(value.size() + 2);
  s.push_back('\'');
  for (auto c : value) {
    s.push_back(c);
    if (c == '\'') s.push_back(c);
  }
  s.push_back('\'');
  return s;
}

}  // namespace

AnsiString SqlQuoted(std::string_view Value) { return Quote<AnsiString>(Value); }
WideString SqlQuoted(std::u16string_view Value) { return Quote<WideString>(Value); }
