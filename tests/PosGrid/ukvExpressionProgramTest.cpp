// Compiled formulas against the tree they come from: 70,000 generated formulas, each
// read in every way with fields of every type taking hard values, must give the
// tree's results byte for byte (values, error classes and texts, Nulls read as the
// fields give them) and read the fields in the same order.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include "VCLSource/source/PosGrid/ukvExpressionProgram.h"
#include "rtl/NumberFormat.h"

namespace {

// The values the fields read in one round, and the log of the reads.
struct Fields {
  double Q = 0;
  int32_t N = 0;
  AnsiString S;
  bool B = false;
  std::string Log;
};

// A field of a fixed type; every reading is logged.
class FieldNode : public TkvExpression {
 public:
  FieldNode(Fields& f, char name) : FFields(f), FName(name) {}
  AnsiString AsString() override {
    FFields.Log += FName;
    if (FName == 'S') return FFields.S;
    return TkvExpression::AsString();
  }
  double AsFloat() override {
    FFields.Log += FName;
    if (FName == 'Q') return FFields.Q;
    return TkvExpression::AsFloat();
  }
  int32_t AsInteger() override {
    FFields.Log += FName;
    if (FName == 'N') return FFields.N;
    return TkvExpression::AsInteger();
  }
  bool AsBoolean() override {
    FFields.Log += FName;
    if (FName == 'B') return FFields.B;
    return TkvExpression::AsBoolean();
  }
  TkvExprType ExprType() override {
    switch (FName) {
      case 'Q': return etFloat;
      case 'N': return etInteger;
      case 'S': return etString;
      default: return etBoolean;
    }
  }

 private:
  Fields& FFields;
  char FName;
};

TkvIdentifierFunction FieldsOf(Fields& f) {
  return [&f](const AnsiString& id, TkvParameterListPtr& params) -> TkvExpressionPtr {
    if (params || id.size() != 1 || std::string("QNSB").find(id[0]) == std::string::npos) return nullptr;
    return std::make_unique<FieldNode>(f, id[0]);
  };
}

// Random formulas over every operator, function and literal kind, with chains longer
// than the compiled ones, wrong argument counts and IF of mixed branch types.
class FormulaGenerator {
 public:
  explicit FormulaGenerator(uint32_t seed) : FRandom(seed) {}

  std::string Formula() { return Expression(0); }

 private:
  int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint32_t>(n)); }
  template <size_t N>
  const char* OneOf(const char* const (&items)[N]) { return items[Pick(static_cast<int>(N))]; }

  std::string Leaf() {
    static const char* const kLeaves[] = {
        "0", "1", "7", "2", "-1", "2147483647", "0.5", "2.5", "1e300", "0.0", "3.75", "'ab'", "'中文'",
        "'it''s'", "''", "'10'", "'9'", "'表A'", "TRUE", "FALSE", "PI", "Q", "Q", "N", "N", "S", "B", "B"};
    return OneOf(kLeaves);
  }

  std::string Expression(int depth) {
    if (depth > 4) return Leaf();
    switch (Pick(10)) {
      case 0: return Leaf();
      case 1: {
        static const char* const kUnary[] = {"-", "+", "NOT "};
        return OneOf(kUnary) + Operand(depth);
      }
      case 2:
      case 3: {
        static const char* const kBinary[] = {" + ", " - ", " * ", " / ", " DIV ", " MOD ", " AND ",
                                              " OR ", " XOR ", " SHL ", " SHR ", " + ", " * ", " - "};
        std::string s = Operand(depth);
        const int terms = Pick(8) == 0 ? 10 + Pick(14) : 1 + Pick(3);
        for (int i = 0; i < terms; ++i) s += OneOf(kBinary) + Operand(depth);
        return s;
      }
      case 4:
      case 5: {
        static const char* const kRelations[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
        return Side(depth) + OneOf(kRelations) + Side(depth);
      }
      case 6: {
        static const char* const kRelations[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
        // Mostly a comparison as the condition, as formulas are written.
        const std::string condition =
            Pick(4) == 0 ? Expression(depth + 1) : Side(depth) + OneOf(kRelations) + Side(depth);
        if (Pick(12) == 0) return "IF(" + condition + ", " + Expression(depth + 1) + ")";
        return "IF(" + condition + ", " + Expression(depth + 1) + ", " + Expression(depth + 1) + ")";
      }
      case 7: {
        static const char* const kCasts[] = {"STRING", "FLOAT", "INTEGER", "BOOLEAN"};
        if (Pick(20) == 0) return std::string(OneOf(kCasts)) + "()";
        return std::string(OneOf(kCasts)) + "(" + Expression(depth + 1) + ")";
      }
      case 8: {
        static const char* const kOne[] = {"UPPER", "LENGTH", "ROUND", "TRUNC", "ABS", "SQRT", "SQR", "LN", "FRAC"};
        if (Pick(4) == 0) return "POWER(" + Expression(depth + 1) + ", " + Expression(depth + 1) + ")";
        if (Pick(4) == 0)
          return "COPY(" + Expression(depth + 1) + ", " + Expression(depth + 1) + ", " + Expression(depth + 1) + ")";
        return std::string(OneOf(kOne)) + "(" + Expression(depth + 1) + ")";
      }
      default: return "(" + Expression(depth + 1) + ")";
    }
  }

  // A side of a comparison: a leaf or a bracketed expression.
  std::string Side(int depth) { return Pick(2) == 0 ? Leaf() : "(" + Expression(depth + 1) + ")"; }
  std::string Operand(int depth) { return Pick(3) == 0 ? "(" + Expression(depth + 1) + ")" : Expression(depth + 1); }

  std::mt19937 FRandom;
};

std::string Failure(const Exception& e) { return std::string(e.ClassName()) + ":" + e.Message(); }

// Every reading of a formula, each a value or its failure; doubles by their bits.
std::string Readings(TkvExpression& e, Fields& f) {
  std::string out;
  auto read = [&](const char* what, auto fn) {
    f.Log.clear();
    out += what;
    try {
      out += fn();
    } catch (const Exception& ex) {
      out += Failure(ex);
    }
    out += " reads[" + f.Log + "] ";
  };
  read("type=", [&] { return std::string(ExprTypeName(e.ExprType())); });
  read("S=", [&] { return std::string(e.AsString()); });
  read("F=", [&] {
    const double d = e.AsFloat();
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return std::to_string(bits);
  });
  read("I=", [&] { return std::to_string(e.AsInteger()); });
  read("B=", [&] { return std::string(e.AsBoolean() ? "1" : "0"); });
  return out;
}

struct Round {
  double Q;
  int32_t N;
  const char* S;
  bool B;
};
const Round kRounds[] = {
    {2.5, 7, "ab", true},
    {0.0, 0, "", false},
    {-1e308, INT_MIN, "中文", true},
    {1e308, INT_MAX, "10", false},
    {-0.5, -1, "it's", true},
};

TEST(CompiledFormula, GivesTheTreesResultsOnSeventyThousandGeneratedFormulas) {
  Fields tf, cf;
  const TkvIdentifierFunction treeFields = FieldsOf(tf), compiledFields = FieldsOf(cf);
  FormulaGenerator gen(20261207);
  int compiled = 0, parsed = 0, mismatches = 0;
  std::string firstMismatch;
  for (int n = 0; n < 70000; ++n) {
    const std::string text = gen.Formula();
    TkvExpressionPtr tree, program;
    std::string treeError, programError;
    try { tree = CreateExpressionTree(text, treeFields); } catch (const Exception& e) { treeError = Failure(e); }
    try { program = CreateExpression(text, compiledFields); } catch (const Exception& e) { programError = Failure(e); }
    ASSERT_EQ(treeError, programError) << text;
    if (!tree) continue;
    ++parsed;
    if (dynamic_cast<TkvCompiledExpression*>(program.get())) ++compiled;
    const Round& r = kRounds[n % std::size(kRounds)];
    const Round& r2 = kRounds[(n + 2) % std::size(kRounds)];
    for (const Round* round : {&r, &r2}) {
      for (Fields* f : {&tf, &cf}) {
        f->Q = round->Q;
        f->N = round->N;
        f->S = round->S;
        f->B = round->B;
      }
      const std::string expected = Readings(*tree, tf);
      const std::string actual = Readings(*program, cf);
      if (expected != actual && mismatches++ == 0) firstMismatch = text + "\n  tree:     " + expected + "\n  compiled: " + actual;
    }
  }
  EXPECT_EQ(mismatches, 0) << firstMismatch;
  // The comparison means something only when most formulas parse and compile.
  EXPECT_GT(parsed, 25000);
  EXPECT_GT(compiled, parsed / 3);
}

// A chain longer than the compiled ones stays a tree node, read in a loop: 100,000
// terms inside a compiled IF cost no stack per term.
TEST(CompiledFormula, LongChainInsideACompiledFormulaIsReadInALoop) {
  std::string chain = "1";
  for (int i = 1; i < 100000; ++i) chain += "+1";
  TkvExpressionPtr e = CreateExpression("IF(" + chain + " > 5, (" + chain + ") * 2, 0)");
  ASSERT_NE(dynamic_cast<TkvCompiledExpression*>(e.get()), nullptr);
  EXPECT_EQ(e->AsInteger(), 200000);
  EXPECT_EQ(e->AsString(), "200000");
}

// A literal compared with a field is read once when compiling; the reading that raises
// for it (a Float literal asked as Integer) is not taken then but raised every time.
TEST(CompiledFormula, LiteralsAreFoldedOnlyWhereTheirReadingSucceeds) {
  Fields f;
  TkvExpressionPtr e = CreateExpression("IF(Q > 2, Q * 2, 0.5)", FieldsOf(f));
  ASSERT_NE(dynamic_cast<TkvCompiledExpression*>(e.get()), nullptr);
  f.Q = 3;
  EXPECT_EQ(e->AsFloat(), 6.0);
  f.Q = 2;
  EXPECT_EQ(e->AsFloat(), 0.5);
  EXPECT_EQ(Readings(*e, f), Readings(*CreateExpressionTree("IF(Q > 2, Q * 2, 0.5)", FieldsOf(f)), f));
  f.Q = 1e308;
  EXPECT_THROW(e->AsFloat(), EOverflow);
}

}  // namespace
