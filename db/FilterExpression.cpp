// Filter expressions: scanner, parser, binding to fields and evaluation.
#include "db/FilterExpression.h"

#include <cmath>
#include <cstdlib>
#include "rtl/DateTime.h"
#include "rtl/NumberFormat.h"

namespace dbfilter {

namespace {

// --- scanner -------------------------------------------------------------------------------

enum class Tok {
  End, Name, String, Number, LParen, RParen, Comma, Plus, Minus,
  Eq, Ne, Lt, Gt, Le, Ge,
  And, Or, Not, Like, In, Is, Null, Between, True, False
};

struct Token {
  Tok kind = Tok::End;
  AnsiString text;  // names and strings (unquoted), numbers as written
  int pos = 1;      // 1-based byte offset
};

[[noreturn]] void Fail(const AnsiString& what, int pos) {
  throw EFilterExpressionError(what + Format(" at position %d", {pos}), pos);
}

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '$';
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : FText(text) {}

  Token Next() {
    while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') ++FPos;
    Token t;
    t.pos = static_cast<int>(FPos) + 1;
    if (FPos >= FText.size()) return t;
    const unsigned char c = static_cast<unsigned char>(FText[FPos]);
    switch (c) {
      case '(': ++FPos; t.kind = Tok::LParen; return t;
      case ')': ++FPos; t.kind = Tok::RParen; return t;
      case ',': ++FPos; t.kind = Tok::Comma; return t;
      case '+': ++FPos; t.kind = Tok::Plus; return t;
      case '-': ++FPos; t.kind = Tok::Minus; return t;
      case '=': ++FPos; t.kind = Tok::Eq; return t;
      case '<':
        ++FPos;
        if (Peek() == '>') { ++FPos; t.kind = Tok::Ne; }
        else if (Peek() == '=') { ++FPos; t.kind = Tok::Le; }
        else t.kind = Tok::Lt;
        return t;
      case '>':
        ++FPos;
        if (Peek() == '=') { ++FPos; t.kind = Tok::Ge; } else t.kind = Tok::Gt;
        return t;
      case '!':
        if (FPos + 1 < FText.size() && FText[FPos + 1] == '=') {
          FPos += 2;
          t.kind = Tok::Ne;
          return t;
        }
        break;
      case '\'':
        t.kind = Tok::String;
        t.text = Quoted('\'', '\'', "Unterminated string constant", t.pos);
        return t;
      case '[':
        t.kind = Tok::Name;
        t.text = Quoted('[', ']', "Unterminated field name", t.pos);
        return t;
      case '"':
        t.kind = Tok::Name;
        t.text = Quoted('"', '"', "Unterminated field name", t.pos);
        return t;
      default:
        break;
    }
    if ((c >= '0' && c <= '9') || (c == '.' && FPos + 1 < FText.size() &&
                                   FText[FPos + 1] >= '0' && FText[FPos + 1] <= '9')) {
      t.kind = Tok::Number;
      t.text = NumberText();
      return t;
    }
    if (IsNameStart(c)) {
      const size_t start = FPos;
      while (FPos < FText.size() && IsNameChar(static_cast<unsigned char>(FText[FPos])))
        FPos += static_cast<size_t>(CharLength(FText, FPos));
      t.text = AnsiString(FText.substr(start, FPos - start));
      t.kind = Keyword(t.text);
      return t;
    }
    const int len = CharLength(FText, FPos);
    Fail("Invalid filter expression character: '" + AnsiString(FText.substr(FPos, static_cast<size_t>(len))) + "'", t.pos);
  }

 private:
  char Peek() const { return FPos < FText.size() ? FText[FPos] : '\0'; }

  AnsiString Quoted(char open, char close, const char* unterminated, int pos) {
    ++FPos;  // opening quote
    AnsiString out;
    while (true) {
      if (FPos >= FText.size()) Fail(unterminated, pos);
      const char c = FText[FPos];
      if (c == close) {
        if (open == close && FPos + 1 < FText.size() && FText[FPos + 1] == close) {
          out += close;
          FPos += 2;
          continue;
        }
        ++FPos;
        return out;
      }
      // Copy whole characters, so a trail byte equal to the quote cannot end the text.
      const int len = CharLength(FText, FPos);
      out.append(FText.substr(FPos, static_cast<size_t>(len)));
      FPos += static_cast<size_t>(len);
    }
  }

  AnsiString NumberText() {
    const size_t start = FPos;
    auto digits = [&] {
      while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') ++FPos;
    };
    digits();
    if (Peek() == '.') {
      ++FPos;
      digits();
    }
    if (Peek() == 'e' || Peek() == 'E') {
      size_t save = FPos;
      ++FPos;
      if (Peek() == '+' || Peek() == '-') ++FPos;
      if (Peek() >= '0' && Peek() <= '9')
        digits();
      else
        FPos = save;
    }
    return AnsiString(FText.substr(start, FPos - start));
  }

  static Tok Keyword(const AnsiString& s) {
    static const struct { const char* word; Tok kind; } kWords[] = {
        {"AND", Tok::And}, {"OR", Tok::Or}, {"NOT", Tok::Not}, {"LIKE", Tok::Like},
        {"IN", Tok::In}, {"IS", Tok::Is}, {"NULL", Tok::Null}, {"BETWEEN", Tok::Between},
        {"TRUE", Tok::True}, {"FALSE", Tok::False}};
    for (const auto& w : kWords)
      if (SameText(s, w.word)) return w.kind;
    return Tok::Name;
  }

  std::string_view FText;
  size_t FPos = 0;
};

AnsiString Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End: return "end of text";
    case Tok::String: return "'" + t.text + "'";
    case Tok::Name: return t.text;
    case Tok::Number: return t.text;
    case Tok::LParen: return "'('";
    case Tok::RParen: return "')'";
    case Tok::Comma: return "','";
    case Tok::Plus: return "'+'";
    case Tok::Minus: return "'-'";
    case Tok::Eq: return "'='";
    case Tok::Ne: return "'<>'";
    case Tok::Lt: return "'<'";
    case Tok::Gt: return "'>'";
    case Tok::Le: return "'<='";
    case Tok::Ge: return "'>='";
    default: return UpperCase(t.text);
  }
}

}  // namespace

// --- tree ------------------------------------------------------------------------------------

enum class Kind { Or, And, Not, Compare, Like, In, Between, IsNull, Truth };
enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

// A value while evaluating: strings point into the record or the tree.
struct Val {
  enum K { Null, Num, Str, Bool } k = Null;
  double n = 0;
  std::string_view s;
  bool b = false;
};

// Type classes of fields.
enum class FieldClass { Str, Num, Bool, Date, Other };

FieldClass ClassOf(TFieldType t) {
  switch (t) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftGuid:
      return FieldClass::Str;
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftFloat:
    case ftCurrency: case ftBCD: case ftFMTBcd:
      return FieldClass::Num;
    case ftBoolean:
      return FieldClass::Bool;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      return FieldClass::Date;
    default:
      return FieldClass::Other;
  }
}

struct Operand {
  enum K { Field, Str, Num, Bool, Null } k = Null;
  AnsiString text;  // field name, string literal, number text
  double num = 0;
  bool b = false;
  int pos = 1;
  // bound
  int slot = -1;
  FieldClass cls = FieldClass::Other;
  Val lit;          // the literal as evaluated against its partner field

  bool IsField() const { return k == Field; }
};

struct LikeChar {
  bool many = false, one = false;
  unsigned char len = 1;
  char c[2] = {0, 0};
};

struct Node {
  Kind kind;
  CmpOp op = CmpOp::Eq;
  bool negate = false;
  bool partial = false;  // '=' / '<>' against 'text*'
  std::vector<std::unique_ptr<Node>> kids;
  std::vector<Operand> args;
  std::vector<LikeChar> pattern;
  explicit Node(Kind k) : kind(k) {}
};

namespace {

// --- parser -----------------------------------------------------------------------------------

class Parser {
 public:
  explicit Parser(std::string_view text) : FScan(text) { Advance(); }

  std::unique_ptr<Node> ParseAll() {
    if (FTok.kind == Tok::End) return nullptr;
    auto root = ParseOr(0);
    if (FTok.kind != Tok::End) Fail("Filter expression incorrectly terminated by " + Describe(FTok), FTok.pos);
    return root;
  }

 private:
  void Advance() { FTok = FScan.Next(); }
  void Expect(Tok kind, const char* what) {
    if (FTok.kind != kind) Fail(AnsiString(what) + " expected but " + Describe(FTok) + " found", FTok.pos);
    Advance();
  }
  void Deeper(int depth) const {
    if (depth > kMaxDepth) Fail("Filter expression nested too deeply", FTok.pos);
  }

  std::unique_ptr<Node> ParseOr(int depth) {
    Deeper(depth);
    auto first = ParseAnd(depth);
    if (FTok.kind != Tok::Or) return first;
    auto node = std::make_unique<Node>(Kind::Or);
    node->kids.push_back(std::move(first));
    while (FTok.kind == Tok::Or) {
      Advance();
      node->kids.push_back(ParseAnd(depth));
    }
    return node;
  }

  std::unique_ptr<Node> ParseAnd(int depth) {
    auto first = ParseFactor(depth);
    if (FTok.kind != Tok::And) return first;
    auto node = std::make_unique<Node>(Kind::And);
    node->kids.push_back(std::move(first));
    while (FTok.kind == Tok::And) {
      Advance();
      node->kids.push_back(ParseFactor(depth));
    }
    return node;
  }

  std::unique_ptr<Node> ParseFactor(int depth) {
    Deeper(depth + 1);
    if (FTok.kind == Tok::Not) {
      Advance();
      auto node = std::make_unique<Node>(Kind::Not);
      node->kids.push_back(ParseFactor(depth + 1));
      return node;
    }
    if (FTok.kind == Tok::LParen) {
      Advance();
      auto inner = ParseOr(depth + 1);
      Expect(Tok::RParen, "')'");
      return inner;
    }
    return ParsePredicate();
  }

  Operand ParseOperand() {
    Operand o;
    o.pos = FTok.pos;
    switch (FTok.kind) {
      case Tok::Name:
        o.k = Operand::Field;
        o.text = FTok.text;
        break;
      case Tok::String:
        o.k = Operand::Str;
        o.text = FTok.text;
        break;
      case Tok::True: case Tok::False:
        o.k = Operand::Bool;
        o.b = FTok.kind == Tok::True;
        break;
      case Tok::Null:
        o.k = Operand::Null;
        break;
      case Tok::Plus: case Tok::Minus: case Tok::Number: {
        const bool minus = FTok.kind == Tok::Minus;
        if (FTok.kind != Tok::Number) {
          Advance();
          if (FTok.kind != Tok::Number)
            Fail("Number expected but " + Describe(FTok) + " found", FTok.pos);
        }
        o.k = Operand::Num;
        o.text = (minus ? "-" : "") + FTok.text;
        char* end = nullptr;
        o.num = std::strtod(o.text.c_str(), &end);
        if (!std::isfinite(o.num)) Fail("Constant out of range", o.pos);
        break;
      }
      default:
        Fail("Expression expected but " + Describe(FTok) + " found", FTok.pos);
    }
    Advance();
    return o;
  }

  std::unique_ptr<Node> ParsePredicate() {
    Operand left = ParseOperand();
    bool negate = false;
    const int notPos = FTok.pos;
    if (FTok.kind == Tok::Not) {
      negate = true;
      Advance();
      if (FTok.kind != Tok::Like && FTok.kind != Tok::In && FTok.kind != Tok::Between)
        Fail("LIKE, IN or BETWEEN expected but " + Describe(FTok) + " found", FTok.pos);
    }
    (void)notPos;
    switch (FTok.kind) {
      case Tok::Eq: case Tok::Ne: case Tok::Lt: case Tok::Gt: case Tok::Le: case Tok::Ge: {
        const Tok opTok = FTok.kind;
        const int opPos = FTok.pos;
        Advance();
        Operand right = ParseOperand();
        if (left.k == Operand::Null || right.k == Operand::Null) {
          if (opTok != Tok::Eq && opTok != Tok::Ne) Fail("NULL only allowed with '=' and '<>'", opPos);
          auto node = std::make_unique<Node>(Kind::IsNull);
          node->negate = opTok == Tok::Ne;
          node->args.push_back(left.k == Operand::Null ? right : left);
          return node;
        }
        auto node = std::make_unique<Node>(Kind::Compare);
        node->op = opTok == Tok::Eq ? CmpOp::Eq : opTok == Tok::Ne ? CmpOp::Ne
                 : opTok == Tok::Lt ? CmpOp::Lt : opTok == Tok::Gt ? CmpOp::Gt
                 : opTok == Tok::Le ? CmpOp::Le : CmpOp::Ge;
        node->args.push_back(std::move(left));
        node->args.push_back(std::move(right));
        return node;
      }
      case Tok::Like: {
        Advance();
        Operand pattern = ParseOperand();
        if (pattern.k == Operand::Null || left.k == Operand::Null)
          Fail("NULL only allowed with '=' and '<>'", pattern.pos);
        auto node = std::make_unique<Node>(Kind::Like);
        node->negate = negate;
        node->args.push_back(std::move(left));
        node->args.push_back(std::move(pattern));
        return node;
      }
      case Tok::In: {
        Advance();
        Expect(Tok::LParen, "'('");
        auto node = std::make_unique<Node>(Kind::In);
        node->negate = negate;
        node->args.push_back(std::move(left));
        while (true) {
          Operand item = ParseOperand();
          if (item.k == Operand::Null) Fail("NULL only allowed with '=' and '<>'", item.pos);
          node->args.push_back(std::move(item));
          if (node->args.size() > 100000) Fail("Filter expression too long", FTok.pos);
          if (FTok.kind == Tok::Comma) {
            Advance();
            continue;
          }
          if (FTok.kind != Tok::RParen)
            Fail("')' or ',' expected but " + Describe(FTok) + " found", FTok.pos);
          Advance();
          break;
        }
        return node;
      }
      case Tok::Between: {
        Advance();
        auto node = std::make_unique<Node>(Kind::Between);
        node->negate = negate;
        node->args.push_back(std::move(left));
        node->args.push_back(ParseOperand());
        Expect(Tok::And, "AND");
        node->args.push_back(ParseOperand());
        for (const Operand& a : node->args)
          if (a.k == Operand::Null) Fail("NULL only allowed with '=' and '<>'", a.pos);
        return node;
      }
      case Tok::Is: {
        Advance();
        auto node = std::make_unique<Node>(Kind::IsNull);
        if (FTok.kind == Tok::Not) {
          node->negate = true;
          Advance();
        }
        Expect(Tok::Null, "NULL");
        node->args.push_back(std::move(left));
        return node;
      }
      default:
        break;
    }
    if (left.k == Operand::Null) Fail("Expression expected but NULL found", left.pos);
    auto node = std::make_unique<Node>(Kind::Truth);
    node->args.push_back(std::move(left));
    return node;
  }

  Scanner FScan;
  Token FTok;
};

// --- binding ------------------------------------------------------------------------------------

[[noreturn]] void Mismatch(const Operand& field, const Operand& lit) {
  throw EDatabaseError(Format("Type mismatch in expression: field '%s' against %s",
                              {field.text, lit.k == Operand::Str ? "'" + lit.text + "'" : lit.text}));
}

// The literal as a value comparable with a field of class `cls`.
Val LiteralFor(const Operand& lit, const Operand* field) {
  Val v;
  switch (lit.k) {
    case Operand::Null: return v;
    case Operand::Bool: v.k = Val::Bool; v.b = lit.b; return v;
    case Operand::Num: v.k = Val::Num; v.n = lit.num; return v;
    case Operand::Str: break;
    case Operand::Field: return v;
  }
  v.k = Val::Str;
  v.s = lit.text;
  if (field == nullptr) return v;
  switch (field->cls) {
    case FieldClass::Num: {
      double d;
      if (!TryStrToFloat(Trim(lit.text), d)) Mismatch(*field, lit);
      v.k = Val::Num;
      v.n = d;
      return v;
    }
    case FieldClass::Date: {
      TDateTime d;
      if (!TryStrToDateTime(Trim(lit.text), d)) {
        double n;
        if (!TryStrToFloat(Trim(lit.text), n)) Mismatch(*field, lit);
        d = n;
      }
      v.k = Val::Num;
      v.n = d;
      return v;
    }
    case FieldClass::Bool: {
      const AnsiString t = Trim(lit.text);
      double n;
      if (SameText(t, "True")) { v.k = Val::Bool; v.b = true; }
      else if (SameText(t, "False")) { v.k = Val::Bool; v.b = false; }
      else if (TryStrToFloat(t, n)) { v.k = Val::Bool; v.b = n != 0; }
      else Mismatch(*field, lit);
      return v;
    }
    default:
      return v;
  }
}

void BindNode(Node& n, const Expression::Resolver& resolve) {
  for (auto& k : n.kids) BindNode(*k, resolve);
  const Operand* field = nullptr;
  for (Operand& a : n.args) {
    if (!a.IsField()) continue;
    TFieldType type = ftUnknown;
    if (!resolve(a.text, a.slot, type))
      throw EDatabaseError(Format(SFieldNotFound, {a.text}));
    a.cls = ClassOf(type);
    if (field == nullptr) field = &a;
  }
  for (Operand& a : n.args)
    if (!a.IsField()) a.lit = LiteralFor(a, n.kind == Kind::Like ? nullptr : field);
  if (n.kind == Kind::Compare && (n.op == CmpOp::Eq || n.op == CmpOp::Ne) &&
      n.args[0].IsField() && n.args[0].cls == FieldClass::Str && n.args[1].k == Operand::Str &&
      !n.args[1].text.empty() && n.args[1].text.back() == '*') {
    n.partial = true;
    n.args[1].lit.s = std::string_view(n.args[1].text).substr(0, n.args[1].text.size() - 1);
  }
  if (n.kind == Kind::Like) {
    n.pattern.clear();
    const std::string_view p = n.args[1].k == Operand::Str ? std::string_view(n.args[1].text)
                                                           : std::string_view(n.args[1].text);
    for (size_t i = 0; i < p.size();) {
      LikeChar c;
      c.len = static_cast<unsigned char>(CharLength(p, i));
      c.c[0] = p[i];
      if (c.len == 2) c.c[1] = p[i + 1];
      if (c.len == 1 && p[i] == '%') c.many = true;
      if (c.len == 1 && p[i] == '_') c.one = true;
      n.pattern.push_back(c);
      i += c.len;
    }
  }
}

// --- evaluation ------------------------------------------------------------------------------------

enum Tri : unsigned char { kFalse = 0, kTrue = 1, kUnknown = 2 };

Tri Not(Tri t) { return t == kUnknown ? kUnknown : (t == kTrue ? kFalse : kTrue); }

struct Ctx {
  const std::vector<Variant>& rec;
  bool ci;
  bool noPartial;
  AnsiString scratch[3];
};

Val FieldVal(const Variant& v, AnsiString& scratch) {
  Val out;
  switch (v.VType()) {
    case varEmpty: case varNull: return out;
    case varString: out.k = Val::Str; out.s = v.RawString(); return out;
    case varOleStr: scratch = v.AsString(); out.k = Val::Str; out.s = scratch; return out;
    case varBoolean: out.k = Val::Bool; out.b = v.RawInt() != 0; return out;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      out.k = Val::Num; out.n = static_cast<double>(v.RawInt()); return out;
    case varDouble: case varDate: case varSingle:
      out.k = Val::Num; out.n = v.RawDouble(); return out;
    default:
      if (v.IsArray()) return out;
      try {
        out.n = v.AsDouble();
        out.k = Val::Num;
      } catch (const Exception&) {
        scratch = VarToStr(v);
        out.k = Val::Str;
        out.s = scratch;
      }
      return out;
  }
}

Val OperandVal(const Operand& o, Ctx& ctx, int which) {
  if (!o.IsField()) return o.lit;
  if (o.slot < 0 || o.slot >= static_cast<int>(ctx.rec.size())) return Val();
  return FieldVal(ctx.rec[static_cast<size_t>(o.slot)], ctx.scratch[which]);
}

int CompareStrings(std::string_view a, std::string_view b, bool ci) {
  const int r = ci ? AnsiCompareText(a, b) : AnsiCompareStr(a, b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// -2 when the two values cannot be compared (no match), else -1/0/1.
int CompareVals(const Val& a, const Val& b, bool ci) {
  if (a.k == Val::Str && b.k == Val::Str) return CompareStrings(a.s, b.s, ci);
  auto num = [](const Val& v, double& out) {
    switch (v.k) {
      case Val::Num: out = v.n; return true;
      case Val::Bool: out = v.b ? 1 : 0; return true;
      case Val::Str: return TryStrToFloat(Trim(v.s), out);
      default: return false;
    }
  };
  if (a.k == Val::Bool || b.k == Val::Bool) {
    const auto truth = [&](const Val& v, bool& out) {
      double d;
      if (v.k == Val::Bool) { out = v.b; return true; }
      if (!num(v, d)) return false;
      out = d != 0;
      return true;
    };
    bool x, y;
    if (!truth(a, x) || !truth(b, y)) return -2;
    return x == y ? 0 : (x ? 1 : -1);
  }
  double x, y;
  if (!num(a, x) || !num(b, y)) return -2;
  return x < y ? -1 : (x > y ? 1 : 0);
}

bool CharEq(const LikeChar& p, std::string_view s, size_t i, int len, bool ci) {
  if (p.len != len) return false;
  if (len == 2) return p.c[0] == s[i] && p.c[1] == s[i + 1];
  char a = p.c[0], b = s[i];
  if (ci) {
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
  }
  return a == b;
}

bool Like(std::string_view s, const std::vector<LikeChar>& p, bool ci) {
  size_t i = 0, j = 0;
  size_t star = SIZE_MAX, mark = 0;
  while (i < s.size()) {
    const int len = CharLength(s, i);
    if (j < p.size() && !p[j].many && (p[j].one || CharEq(p[j], s, i, len, ci))) {
      i += static_cast<size_t>(len);
      ++j;
    } else if (j < p.size() && p[j].many) {
      star = j++;
      mark = i;
    } else if (star != SIZE_MAX) {
      j = star + 1;
      mark += static_cast<size_t>(CharLength(s, mark));
      i = mark;
    } else {
      return false;
    }
  }
  while (j < p.size() && p[j].many) ++j;
  return j == p.size();
}

Tri Eval(const Node& n, Ctx& ctx) {
  switch (n.kind) {
    case Kind::Or: {
      Tri acc = kFalse;
      for (const auto& k : n.kids) {
        const Tri t = Eval(*k, ctx);
        if (t == kTrue) return kTrue;
        if (t == kUnknown) acc = kUnknown;
      }
      return acc;
    }
    case Kind::And: {
      Tri acc = kTrue;
      for (const auto& k : n.kids) {
        const Tri t = Eval(*k, ctx);
        if (t == kFalse) return kFalse;
        if (t == kUnknown) acc = kUnknown;
      }
      return acc;
    }
    case Kind::Not:
      return Not(Eval(*n.kids[0], ctx));
    case Kind::IsNull: {
      const Val v = OperandVal(n.args[0], ctx, 0);
      const bool isNull = v.k == Val::Null;
      return (isNull != n.negate) ? kTrue : kFalse;
    }
    case Kind::Truth: {
      const Val v = OperandVal(n.args[0], ctx, 0);
      if (v.k == Val::Null) return kUnknown;
      Val t;
      t.k = Val::Bool;
      t.b = true;
      return CompareVals(v, t, false) == 0 ? kTrue : kFalse;
    }
    case Kind::Compare: {
      const Val a = OperandVal(n.args[0], ctx, 0);
      const Val b = OperandVal(n.args[1], ctx, 1);
      if (a.k == Val::Null || b.k == Val::Null) return kUnknown;
      int c;
      if (n.partial && !ctx.noPartial && a.k == Val::Str) {
        const std::string_view prefix = b.s;
        bool match = prefix.size() <= a.s.size() &&
                     CompareStrings(a.s.substr(0, prefix.size()), prefix, ctx.ci) == 0 &&
                     (prefix.size() == a.s.size() || !IsTrailByteAt(a.s, prefix.size()));
        c = match ? 0 : 1;
      } else {
        Val bb = b;
        AnsiString full;
        if (n.partial && ctx.noPartial) {
          full = n.args[1].text;  // the '*' is part of the text then
          bb.s = full;
        }
        c = CompareVals(a, bb, ctx.ci);
      }
      if (c == -2) return kFalse;
      bool r = false;
      switch (n.op) {
        case CmpOp::Eq: r = c == 0; break;
        case CmpOp::Ne: r = c != 0; break;
        case CmpOp::Lt: r = c < 0; break;
        case CmpOp::Gt: r = c > 0; break;
        case CmpOp::Le: r = c <= 0; break;
        case CmpOp::Ge: r = c >= 0; break;
      }
      return r ? kTrue : kFalse;
    }
    case Kind::Like: {
      const Val a = OperandVal(n.args[0], ctx, 0);
      if (a.k == Val::Null) return kUnknown;
      std::string_view text = a.s;
      AnsiString tmp;
      if (a.k != Val::Str) {
        tmp = a.k == Val::Bool ? AnsiString(a.b ? "True" : "False") : FloatToStr(a.n);
        text = tmp;
      }
      return (Like(text, n.pattern, ctx.ci) != n.negate) ? kTrue : kFalse;
    }
    case Kind::In: {
      const Val a = OperandVal(n.args[0], ctx, 0);
      if (a.k == Val::Null) return kUnknown;
      bool found = false;
      for (size_t i = 1; i < n.args.size() && !found; ++i) {
        const Val b = OperandVal(n.args[i], ctx, 1);
        if (b.k != Val::Null) found = CompareVals(a, b, ctx.ci) == 0;
      }
      return (found != n.negate) ? kTrue : kFalse;
    }
    case Kind::Between: {
      const Val a = OperandVal(n.args[0], ctx, 0);
      const Val lo = OperandVal(n.args[1], ctx, 1);
      const Val hi = OperandVal(n.args[2], ctx, 2);
      if (a.k == Val::Null || lo.k == Val::Null || hi.k == Val::Null) return kUnknown;
      const int c1 = CompareVals(lo, a, ctx.ci), c2 = CompareVals(a, hi, ctx.ci);
      if (c1 == -2 || c2 == -2) return kFalse;
      const bool in = c1 <= 0 && c2 <= 0;
      return (in != n.negate) ? kTrue : kFalse;
    }
  }
  return kFalse;
}

}  // namespace

// --- Expression ----------------------------------------------------------------------------------

Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

Expression Expression::Parse(std::string_view text) {
  Expression e;
  e.FRoot = Parser(text).ParseAll();
  return e;
}

void Expression::Bind(const Resolver& resolve) {
  if (FRoot) BindNode(*FRoot, resolve);
}

bool Expression::Evaluate(const std::vector<Variant>& record, bool caseInsensitive,
                          bool noPartialCompare) const {
  if (!FRoot) return true;
  Ctx ctx{record, caseInsensitive, noPartialCompare, {}};
  return Eval(*FRoot, ctx) == kTrue;
}

bool LikeMatch(std::string_view value, std::string_view pattern, bool caseInsensitive) {
  Node n(Kind::Like);
  Operand v, p;
  v.k = Operand::Str;
  v.text = AnsiString(value);
  p.k = Operand::Str;
  p.text = AnsiString(pattern);
  n.args.push_back(v);
  n.args.push_back(p);
  BindNode(n, [](std::string_view, int&, TFieldType&) { return false; });
  return Like(value, n.pattern, caseInsensitive);
}

}  // namespace dbfilter
