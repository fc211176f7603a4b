// The formula scanner and recursive-descent parser (expression, simple expression,
// term, factor).
//
// Grammar, loosest first:
//   expression := simple [ ("=" | "<>" | "<" | ">" | "<=" | ">=") simple ]
//   simple     := term { ("+" | "-" | OR | XOR) term }
//   term       := factor { ("*" | "/" | DIV | MOD | AND | SHL | SHR) factor }
//   factor     := ("+" | "-" | NOT) factor | number | 'text' | "(" expression ")"
//               | TRUE | FALSE | name [ "(" [ expression { "," expression } ] ")" ]
// Operators of one level group left to right (8-3-2 is 3, 16/4/2 is 2). A formula is
// complete only at the end of its text: whatever follows a complete expression is a
// syntax error, never silently ignored. Nesting (brackets, calls, prefixes) is bounded
// so that no input can exhaust the stack; a chain of operators of one level is parsed
// in a loop and may be of any length (its nodes are read and freed in loops too).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "VCLSource/source/PosGrid/ukvExpressionsArith.h"
#include "VCLSource/source/PosGrid/ukvExpressionProgram.h"
#include "rtl/NumberFormat.h"

namespace kvexpr {
AnsiString FloatText(double v) { return FloatToStr(v); }
void RaiseFloatError(double r) {
  if (std::isnan(r)) throw EInvalidOp(kInvalidOpText);
  throw EOverflow(kOverflowText);
}
}  // namespace kvexpr

namespace {

const char* const kWordOperators[] = {"NOT", "DIV", "MOD", "AND", "SHL", "SHR", "OR", "XOR"};
const TkvOperator kWordOperatorCodes[] = {opNot, opDiv, opMod, opAnd, opShl, opShr, opOr, opXor};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(unsigned char c) { return c >= 65; }

[[noreturn]] void Fail(const char* fmt, const AnsiString& arg) {
  throw EExpression(Format(fmt, {arg}));
}

class Parser {
 public:
  Parser(std::string_view text, const TkvIdentifierFunction& callback) : FText(text), FCallback(callback) {}

  TkvExpressionPtr Run() {
    TkvExpressionPtr root = Expression();
    SkipBlanks();
    if (FPos < FText.size()) TrailingText();
    return root;
  }

 private:
  unsigned char Cur() const { return FPos < FText.size() ? static_cast<unsigned char>(FText[FPos]) : 0; }
  bool AtEnd() const { return FPos >= FText.size(); }
  bool AtEndOfFactor() const { return AtEnd() || Cur() == ')' || Cur() == ','; }
  AnsiString CurChar() const { return AnsiString(1, static_cast<char>(Cur())); }
  void SkipBlanks() {
    while (!AtEnd() && IsExprBlank(Cur())) ++FPos;
  }

  static TkvExpressionPtr Binary(TkvOperator op, TkvExpressionPtr a, TkvExpressionPtr b) {
    return std::make_unique<TkvBinaryOp>(op, std::move(a), std::move(b));
  }

  // A complete expression followed by more text: a second comparison, a stray
  // operator word (1 NOT 2) or a stray bracket or comma.
  [[noreturn]] void TrailingText() {
    if (IsWordStart(Cur())) {
      AnsiString word;
      TkvOperator op = opNot;
      bool b = false;
      size_t p = FPos;
      if (ScanWord(FText, p, word, op, b) == 1) Fail("%s not allowed here", OperatorName(op));
    }
    Fail("Syntax error [%s]", CurChar());
  }

  TkvExpressionPtr Expression() {
    SkipBlanks();
    if (AtEndOfFactor()) return nullptr;
    TkvExpressionPtr result = Simple();
    SkipBlanks();
    const unsigned char c = Cur();
    if (c == '<' || c == '=' || c == '>') {
      AnsiString text(1, static_cast<char>(c));
      ++FPos;
      const unsigned char d = Cur();
      if (d == '<' || d == '=' || d == '>') {
        text += static_cast<char>(d);
        ++FPos;
      }
      static const char* const kTexts[] = {"=", "<>", "<", ">", "<=", ">="};
      int found = -1;
      for (int i = 0; i < 6; ++i)
        if (text == kTexts[i]) found = i;
      if (found < 0) Fail("%s not a valid operator", text);
      TkvExpressionPtr right = Simple();
      result = std::make_unique<TkvRelationalOp>(static_cast<TkvOperator>(opEq + found), std::move(result),
                                                 std::move(right));
      SkipBlanks();
    }
    // Only the end of the factor (end of text, ")" or ",") may follow.
    if (!AtEndOfFactor()) TrailingText();
    return result;
  }

  TkvExpressionPtr Simple() {
    TkvExpressionPtr left = Term();
    for (;;) {
      SkipBlanks();
      if (AtEndOfFactor()) return left;
      const unsigned char c = Cur();
      if (c == '+' || c == '-') {
        ++FPos;
        left = Binary(c == '+' ? opPlus : opMinus, std::move(left), Term());
        continue;
      }
      if (!IsWordStart(c)) return left;
      const size_t start = FPos;
      AnsiString word;
      TkvOperator op = opNot;
      bool b = false;
      const int kind = ScanWord(FText, FPos, word, op, b);
      if (kind == 0) Fail("Identifier %s not allowed here", word);
      if (kind == 2) throw EExpression("Boolean literal not allowed here");
      if (op == opOr || op == opXor) {
        left = Binary(op, std::move(left), Term());
        continue;
      }
      FPos = start;
      return left;
    }
  }

  TkvExpressionPtr Term() {
    TkvExpressionPtr left = Factor();
    for (;;) {
      SkipBlanks();
      if (AtEndOfFactor()) return left;
      const unsigned char c = Cur();
      if (c == '*' || c == '/') {
        ++FPos;
        left = Binary(c == '*' ? opMult : opDivide, std::move(left), Factor());
        continue;
      }
      if (c == '+' || c == '-' || c == '<' || c == '=' || c == '>') return left;
      if (!IsWordStart(c)) Fail("char %s in input stream", CurChar());
      const size_t start = FPos;
      AnsiString word;
      TkvOperator op = opNot;
      bool b = false;
      const int kind = ScanWord(FText, FPos, word, op, b);
      if (kind == 0) Fail("Identifier %s not allowed here", word);
      if (kind == 2) throw EExpression("Boolean literal not allowed here");
      if (op == opDiv || op == opMod || op == opAnd || op == opShl || op == opShr) {
        left = Binary(op, std::move(left), Factor());
        continue;
      }
      FPos = start;
      return left;
    }
  }

  struct NestGuard {
    explicit NestGuard(int& n) : FN(n) {
      if (++FN > kMaxExpressionNesting) {
        --FN;
        throw EExpression("Expression too complex");
      }
    }
    ~NestGuard() { --FN; }
    int& FN;
  };

  TkvExpressionPtr Unary(TkvOperator op) { return std::make_unique<TkvUnaryOp>(op, Factor()); }

  TkvExpressionPtr Factor() {
    NestGuard guard(FNesting);
    SkipBlanks();
    const unsigned char c = Cur();
    if (c == '+' || c == '-') {
      ++FPos;
      return Unary(c == '+' ? opPlus : opMinus);
    }
    if (c == '\'') return StringLiteral();
    if (IsDigit(c)) return Number();
    if (c == '(') {
      ++FPos;
      TkvExpressionPtr inner = Expression();
      // "()" is no operand.
      if (!inner) throw EExpression("Unexpected end of factor");
      SkipBlanks();
      if (Cur() != ')') throw EExpression(" ) expected");
      ++FPos;
      return inner;
    }
    if (!IsWordStart(c)) {
      if (AtEndOfFactor()) throw EExpression("Unexpected end of factor");
      Fail("Syntax error [%s]", CurChar());
    }
    AnsiString word;
    TkvOperator op = opNot;
    bool boolValue = false;
    const int kind = ScanWord(FText, FPos, word, op, boolValue);
    if (kind == 1) {
      if (op == opNot) return Unary(opNot);
      Fail("%s not allowed here", OperatorName(op));
    }
    if (kind == 2) return std::make_unique<TkvBooleanLiteral>(boolValue);
    return Call(word);
  }

  TkvExpressionPtr Call(const AnsiString& name) {
    SkipBlanks();
    TkvParameterListPtr params;
    if (Cur() == '(') {
      ++FPos;
      params = std::make_unique<TkvParameterList>();
      SkipBlanks();
      if (Cur() == ')') {
        ++FPos;  // f(): no arguments
      } else {
        for (;;) {
          TkvExpressionPtr arg = Expression();
          // An empty argument (f(1,,2), f(,1), f(1,)) is malformed.
          if (!arg) throw EExpression("Incorrectly formed parameters");
          params->Add(std::move(arg));
          SkipBlanks();
          if (Cur() != ',') break;
          ++FPos;
        }
        if (Cur() != ')') throw EExpression("Incorrectly formed parameters");
        ++FPos;
      }
    }
    TkvExpressionPtr e = CreateFunction(name, params);
    if (!e && FCallback) e = FCallback(name, params);
    if (!e) Fail("Unknown Identifier %s", name);
    return e;
  }

  TkvExpressionPtr StringLiteral() {
    ++FPos;  // opening quote
    AnsiString s;
    for (;;) {
      if (AtEnd()) throw EExpression("Unterminated string");
      const char ch = FText[FPos++];
      if (ch == '\'') {
        if (Cur() != '\'' || AtEnd()) break;
        ++FPos;  // a doubled quote stands for one
      }
      if (s.size() > 255) throw EExpression("String too long");
      s += ch;
    }
    return std::make_unique<TkvStringLiteral>(std::move(s));
  }

  TkvExpressionPtr Number() {
    AnsiString buf;
    int state = 0;  // 0 integer part, 1 after ".", 2 after the exponent mark
    auto append = [&](char ch) {
      buf += ch;
      if (buf.size() > 28) throw EExpression("Bad numeric format");
    };
    for (;;) {
      const unsigned char c = Cur();
      if (AtEnd()) break;
      if (IsDigit(c)) {
        append(static_cast<char>(c));
        ++FPos;
      } else if (c == '.') {
        if (state != 0) throw EExpression("Bad numeric format");
        append('.');
        state = 1;
        ++FPos;
      } else if (c == 'e' || c == 'E') {
        if (state == 2) throw EExpression("Bad numeric format");
        append('E');
        ++FPos;
        if (Cur() == '-' && !AtEnd()) {
          append('-');
          ++FPos;
        }
        state = 2;
        if (AtEnd() || !IsDigit(Cur())) throw EExpression("Bad numeric format");
      } else {
        break;
      }
    }
    if (state == 0) return std::make_unique<TkvIntegerLiteral>(StrToInt(buf));
    return std::make_unique<TkvFloatLiteral>(StrToFloat(buf));
  }

  std::string_view FText;
  const TkvIdentifierFunction& FCallback;
  size_t FPos = 0;
  int FNesting = 0;
};

}  // namespace

int ScanWord(std::string_view text, size_t& pos, AnsiString& word, TkvOperator& op, bool& boolValue) {
  word.clear();
  while (pos < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x81 && c <= 0xFE && pos + 1 < text.size()) {
      // A GBK character is one unit: its trail byte (0x40..0xFE) is taken as it is,
      // never case-mapped and never taken for the end of the word.
      word += text[pos];
      word += text[pos + 1];
      pos += 2;
    } else if (IsDigit(c) || c >= 65) {
      word += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c);
      ++pos;
    } else {
      break;
    }
  }
  for (int i = 0; i < 8; ++i) {
    if (word == kWordOperators[i]) {
      op = kWordOperatorCodes[i];
      return 1;
    }
  }
  if (word == "TRUE" || word == "FALSE") {
    boolValue = word == "TRUE";
    return 2;
  }
  return 0;
}

TkvExpressionPtr CreateExpressionTree(std::string_view text, const TkvIdentifierFunction& identifierFunction) {
  Parser parser(text, identifierFunction);
  return parser.Run();
}

TkvExpressionPtr CreateExpression(std::string_view text, const TkvIdentifierFunction& identifierFunction) {
  return CompileExpression(CreateExpressionTree(text, identifierFunction));
}
