// Splits a calculation-rule definition into its parts.
//
// Two forms:
//   TARGET = EXPRESSION              recompute TARGET when a field the formula uses changes
//   NAME1, NAME2: TARGET = EXPRESSION  only a change of a listed field triggers it
// The formula stays text (compiled later by CreateExpression). The assignment is the
// first "=" of the rule; the formula runs from after it to the end of the text or the
// first ";" (a comparison or a bracket inside the formula belongs to the formula).
// Words are read by ScanWord, so names are upper case and a GBK name is taken whole.
#pragma once
#include <vector>
#include "rtl/AnsiString.h"

class TkvExpressionParser {
 public:
  // Fills the fields from Definition; raises Exception "语法错误" when the text fits
  // neither form, has no target before "=" or no formula after it. On failure the
  // fields are empty.
  void Parse(const AnsiString& definition);

  const std::vector<AnsiString>& TriggerNames() const { return FTriggerNames; }
  // The bytes after "=" up to the end of the rule, unchanged (leading blanks kept).
  const AnsiString& ExpressionText() const { return FExpressionText; }
  const AnsiString& Text() const { return FText; }
  // Every identifier word after "=", upper case, in order, repeats kept (numbers and
  // function names too: the caller keeps only the names that are fields).
  const std::vector<AnsiString>& IdentifierNames() const { return FIdentifierNames; }
  const AnsiString& TargetName() const { return FTargetName; }

 private:
  bool ReadAssignment(size_t& pos);
  void Reset();

  std::vector<AnsiString> FTriggerNames;
  AnsiString FExpressionText;
  AnsiString FText;
  std::vector<AnsiString> FIdentifierNames;
  AnsiString FTargetName;
};
