// TkvExpressionParser: splits a calculation-rule definition into its trigger names, its
// target and its formula text.
#include "VCLSource/source/PosGrid/ukvExpressionParser.h"

#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "rtl/Exceptions.h"

namespace {

bool AtRuleEnd(const AnsiString& s, size_t pos) { return pos >= s.size() || s[pos] == ';'; }

void SkipBlanks(const AnsiString& s, size_t& pos) {
  while (pos < s.size() && IsExprBlank(static_cast<unsigned char>(s[pos]))) ++pos;
}

bool IsWordByte(unsigned char c) { return (c >= '0' && c <= '9') || c >= 65; }

}  // namespace

void TkvExpressionParser::Reset() {
  FIdentifierNames.clear();
  FExpressionText.clear();
  FTargetName.clear();
}

bool TkvExpressionParser::ReadAssignment(size_t& pos) {
  Reset();
  const size_t startPos = pos;
  size_t exprStart = AnsiString::npos;
  while (!AtRuleEnd(FText, pos)) {
    const unsigned char c = static_cast<unsigned char>(FText[pos]);
    if (c == '=' && exprStart == AnsiString::npos) {
      ++pos;
      exprStart = pos;  // the first "=" is the assignment
    } else if (!IsWordByte(c)) {
      ++pos;
    } else {
      AnsiString word;
      TkvOperator op = opNot;
      bool b = false;
      if (ScanWord(FText, pos, word, op, b) == 0) {
        if (exprStart != AnsiString::npos)
          FIdentifierNames.push_back(word);
        else
          FTargetName = word;
      }
    }
  }
  if (!FTargetName.empty() && exprStart != AnsiString::npos) {
    FExpressionText = FText.substr(exprStart, pos - exprStart);
    // A rule without a formula ("AMOUNT =") would compile to nothing.
    if (!Trim(FExpressionText).empty()) return true;
  }
  Reset();
  pos = startPos;
  return false;
}

void TkvExpressionParser::Parse(const AnsiString& definition) {
  FText = definition;
  FTriggerNames.clear();
  size_t pos = 0;
  // The trigger form: names separated by "," up to ":".
  for (;;) {
    SkipBlanks(FText, pos);
    AnsiString word;
    TkvOperator op = opNot;
    bool b = false;
    ScanWord(FText, pos, word, op, b);
    if (!word.empty()) FTriggerNames.push_back(word);
    SkipBlanks(FText, pos);
    if (pos < FText.size() && FText[pos] == ',') {
      ++pos;
      continue;
    }
    break;
  }
  SkipBlanks(FText, pos);
  if (pos < FText.size() && FText[pos] == ':') {
    ++pos;
    SkipBlanks(FText, pos);
    if (ReadAssignment(pos)) return;
  }
  FTriggerNames.clear();
  pos = 0;
  if (ReadAssignment(pos)) return;
  throw Exception("语法错误");
}
