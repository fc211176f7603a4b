// The filter expression language of the in-memory datasets: parsed once per change of
// the Filter text into a tree, bound to the dataset's fields when filtering starts, and
// evaluated per record.
//
// Grammar (keywords and field names ignore ASCII case):
//   expr      := term { OR term }
//   term      := factor { AND factor }
//   factor    := NOT factor | '(' expr ')' | predicate
//   predicate := operand [ compop operand
//                        | [NOT] LIKE operand
//                        | [NOT] IN '(' operand { ',' operand } ')'
//                        | [NOT] BETWEEN operand AND operand
//                        | IS [NOT] NULL ]
//   compop    := '=' | '<>' | '!=' | '<' | '>' | '<=' | '>='
//   operand   := field | string | number | TRUE | FALSE | NULL
//   field     := name (letters, digits, '_', '.', '$', and GBK characters)
//              | '[' any text but ']' ']' | '"' any text but '"' '"'
//   string    := "'" { any byte but "'" | "''" } "'"      ('' stands for one quote)
//   number    := ['-'|'+'] digits ['.' digits] [('e'|'E') ['-'|'+'] digits]
// A lone operand is true when its Boolean value is (a Boolean field, "True").
//
// Meaning:
//   - `x = NULL` and `x <> NULL` are `x IS NULL` and `x IS NOT NULL`. Any other comparison
//     with a Null value is unknown (three-valued logic); a record passes only when the
//     whole expression is true.
//   - Strings compare by GBK byte order (AnsiCompareStr); with foCaseInsensitive ASCII
//     letters are folded (a double-byte character is never changed).
//   - `field = 'abc*'` (and `<>`) compares only the beginning: the text before the trailing
//     '*', unless foNoPartialCompare is set.
//   - LIKE: '%' matches any run of characters, '_' one character; characters are whole
//     GBK characters (one or two bytes). There is no escape character.
//   - Against a date or time field a quoted text is read as a date/time (StrToDateTime);
//     against a numeric or Boolean field as a number or Boolean; a text that does not
//     convert fails when the filter is bound ("Type mismatch in expression").
//   - A number against a string field compares with the field's text read as a number;
//     a text that is no number does not match.
//
// Errors: a text that does not parse raises EFilterExpressionError naming the position
// ("... at position 7"); an unknown field raises EDatabaseError "Field 'x' not found"
// when the filter is bound. Parentheses and NOT nest at most kMaxDepth deep, so neither
// parsing nor evaluation can exhaust the stack. AND and OR chains are kept flat.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "db/DatabaseError.h"
#include "db/FieldType.h"
#include "rtl/Variant.h"

namespace dbfilter {

constexpr int kMaxDepth = 64;

struct Node;

// A parsed and (after Bind) bound filter expression. Immutable once bound; evaluating
// it touches nothing but the record given.
class Expression {
 public:
  ~Expression();
  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;
  // EFilterExpressionError on malformed text. An empty (blank) text gives an expression
  // that is true for every record.
  static Expression Parse(std::string_view text);

  // Resolves field names: the resolver answers a field's slot in the record and its type,
  // or false for an unknown name. Raises SFieldNotFound or a type mismatch.
  using Resolver = std::function<bool(std::string_view name, int& slot, TFieldType& type)>;
  void Bind(const Resolver& resolve);

  bool IsEmpty() const { return FRoot == nullptr; }
  bool Evaluate(const std::vector<Variant>& record, bool caseInsensitive,
                bool noPartialCompare) const;

 private:
  Expression() = default;
  std::unique_ptr<Node> FRoot;
};

// LIKE matching over GBK characters ('%' any run, '_' one character).
bool LikeMatch(std::string_view value, std::string_view pattern, bool caseInsensitive);

}  // namespace dbfilter
