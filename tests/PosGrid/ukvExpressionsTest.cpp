// Formulas: values and types of a table of formulas, the exact error texts and
// exception classes, grouping, short cuts and the parser's limits.
#include <gtest/gtest.h>

#include <cmath>
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "rtl/NumberFormat.h"

namespace {

// Renders a formula's result as "Type:text" (or "Class:message" for a failure) so one
// string comparison checks both.
std::string Eval(const std::string& text, const TkvIdentifierFunction& fn = {}) {
  try {
    TkvExpressionPtr e = CreateExpression(text, fn);
    if (!e) return "none";
    // Read the value the way its type says, as a caller of the tree does.
    const TkvExprType t = e->ExprType();
    std::string v;
    switch (t) {
      case etString: v = e->AsString(); break;
      case etFloat: v = FloatToStr(e->AsFloat()); break;
      case etInteger: v = IntToStr(e->AsInteger()); break;
      default: v = e->AsBoolean() ? "TRUE" : "FALSE"; break;
    }
    return std::string(ExprTypeName(t)) + ":" + v;
  } catch (const Exception& ex) {
    return std::string(ex.ClassName()) + ":" + ex.Message();
  }
}

struct Row {
  const char* Formula;
  const char* Expected;
};

const Row kValues[] = {
    // arithmetic and grouping (left to right within a level)
    {"8-3-2", "Integer:3"}, {"16/4/2", "Float:2"}, {"2*3+4", "Integer:10"}, {"2+3*4", "Integer:14"},
    {"(8-3)-2", "Integer:3"}, {"8-(3-2)", "Integer:7"}, {"'x'+1+2", "String:x12"},
    {"100 DIV 10 DIV 5", "Integer:2"}, {"100 MOD 7 MOD 3", "Integer:2"}, {"1 SHL 2 SHL 3", "Integer:32"},
    {"7/2", "Float:3.5"}, {"7 DIV 2", "Integer:3"}, {"-7 MOD 2", "Integer:-1"}, {"1 SHL 4", "Integer:16"},
    {"-1 SHR 28", "Integer:15"}, {"1 SHL 33", "Integer:2"}, {"2147483647 + 1", "Integer:-2147483648"},
    {"2 + 1.5", "Float:3.5"}, {"TRUE + 1", "Integer:2"}, {"NOT 5", "Integer:-6"}, {"-(2)", "Integer:-2"},
    {"+3", "Integer:3"}, {"6 AND 3", "Integer:2"}, {"6 OR 3", "Integer:7"}, {"6 XOR 3", "Integer:5"},
    {"12", "Integer:12"}, {"12.0", "Float:12"}, {"1.5e-3", "Float:0.0015"}, {"1/3", "Float:0.333333333333333"},
    {"0.1+0.2", "Float:0.3"}, {"  42  ", "Integer:42"},
    // texts
    {"'ab' + 'cd'", "String:abcd"}, {"'ab' + 1", "String:ab1"}, {"'it''s'", "String:it's"},
    {"''", "String:"}, {"'中文'", "String:中文"},
    // comparisons
    {"'10' < '9'", "Boolean:TRUE"}, {"'10' < 9", "Boolean:TRUE"}, {"10 < 9", "Boolean:FALSE"},
    {"'ab' < 'abc'", "Boolean:TRUE"}, {"TRUE = 1", "Boolean:TRUE"}, {"1 <> 2", "Boolean:TRUE"},
    {"2 >= 2", "Boolean:TRUE"}, {"2 <= 1", "Boolean:FALSE"}, {"1.5 > 1", "Boolean:TRUE"},
    {"TRUE = TRUE", "Boolean:TRUE"}, {"TRUE <> FALSE", "Boolean:TRUE"}, {"NOT(1=2)", "Boolean:TRUE"},
    {"not true", "Boolean:FALSE"}, {"TRUE AND FALSE", "Boolean:FALSE"}, {"TRUE OR FALSE", "Boolean:TRUE"},
    {"TRUE XOR TRUE", "Boolean:FALSE"}, {"NOT TRUE AND FALSE", "Boolean:FALSE"},
    // string functions
    {"upper('abc')", "String:ABC"}, {"UPPER('aBc1')", "String:ABC1"}, {"LOWER('AbC')", "String:abc"},
    {"COPY('abcdef', 2, 3)", "String:bcd"}, {"COPY('abcdef', 0, 2)", "String:ab"}, {"COPY('abc', 4, 1)", "String:"},
    {"COPY('abc', 2, 0)", "String:"}, {"COPY('abc', TRUE, 2)", "String:ab"}, {"POS('cd', 'abcdef')", "Integer:3"},
    {"POS('', 'abc')", "Integer:0"}, {"POS('x', 'abc')", "Integer:0"}, {"LENGTH('中文')", "Integer:4"},
    {"LENGTH(123)", "Integer:3"}, {"UPPER('中a')", "String:中A"},
    // math functions
    {"ROUND(2.5)", "Integer:2"}, {"ROUND(3.5)", "Integer:4"}, {"ROUND(-2.5)", "Integer:-2"}, {"TRUNC(-2.7)", "Integer:-2"},
    {"INT(-2.7)", "Float:-2"}, {"FRAC(-2.7)", "Float:-0.7"}, {"ABS(-3)", "Float:3"}, {"ABS(-2.5)", "Float:2.5"},
    {"PI", "Float:3.14159265358979"}, {"PI()", "Float:3.14159265358979"}, {"SQR(3)", "Float:9"},
    {"SQRT(16)", "Float:4"}, {"EXP(0)", "Float:1"}, {"LN(1)", "Float:0"}, {"COS(0)", "Float:1"},
    {"SIN(0)", "Float:0"}, {"ARCTAN(0)", "Float:0"}, {"POWER(10,2)", "Float:100"}, {"POWER(0,2)", "Float:0"},
    {"POWER(-2,2)", "Float:4"}, {"POWER(2,0.5)", "Float:1.4142135623731"}, {"POWER(10,2) = 100", "Boolean:TRUE"},
    {"2.0 * 1.25 + 0", "Float:2.5"},
    // casts and IF
    {"STRING(12)", "String:12"}, {"INTEGER(TRUE)", "Integer:1"}, {"FLOAT(3)", "Float:3"},
    {"If(1>0, 'a', 'b')", "String:a"}, {"IF(1 > 0, 'yes', 2)", "String:yes"}, {"IF(1 < 0, 'yes', 2)", "Integer:2"},
    {"IF(TRUE, 1, 2) + 1", "Integer:2"},
    // empty input
    {"", "none"}, {"   ", "none"},
};

class FormulaValues : public ::testing::TestWithParam<Row> {};
TEST_P(FormulaValues, GiveTypeAndText) { EXPECT_EQ(Eval(GetParam().Formula), GetParam().Expected) << GetParam().Formula; }
INSTANTIATE_TEST_SUITE_P(Table, FormulaValues, ::testing::ValuesIn(kValues));

const Row kErrors[] = {
    {"'a' - 'b'", "EExpression:Operator opMinus incompatible with String"},
    {"-'a'", "EExpression:Operator opMinus incompatible with String"},
    {"NOT 1.5", "EExpression:Operator opNot incompatible with Float"},
    {"TRUE < FALSE", "EExpression:cannot apply opLT to boolean operands"},
    {"FLOAT('1')", "EExpression:Cannot read String as Float"},
    {"INTEGER(2.5)", "EExpression:Cannot read Float as integer"},
    {"BOOLEAN(1)", "EExpression:Cannot read Integer as boolean"},
    {"IF(1, 2, 3)", "EExpression:Invalid parameters to If"},
    {"IF(TRUE, 2)", "EExpression:Invalid parameters to If"},
    {"UPPER", "EExpression:Invalid parameter to UPPER"},
    {"UPPER()", "EExpression:Invalid parameter to UPPER"},
    {"COPY('a', 'b', 1)", "EExpression:Invalid parameter to COPY"},
    {"SQRT('x')", "EExpression:Invalid parameter to SQRT"},
    {"POWER(2)", "EExpression:Invalid parameter to POWER"},
    {"STRING()", "EExpression:Invalid parameter to STRING"},
    {"a = b = c", "EExpression:Unknown Identifier A"},
    {"1 = 2 = 3", "EExpression:Syntax error [=]"},
    {"1 => 2", "EExpression:=> not a valid operator"},
    {"1 =< 2", "EExpression:=< not a valid operator"},
    {"1 2", "EExpression:char 2 in input stream"},
    {"1 x", "EExpression:Identifier X not allowed here"},
    {"12abc", "EExpression:Identifier ABC not allowed here"},
    {"1 TRUE", "EExpression:Boolean literal not allowed here"},
    {"AND 1", "EExpression:opAnd not allowed here"},
    {"(1", "EExpression: ) expected"},
    {"f(1", "EExpression:Incorrectly formed parameters"},
    {"1 < 2 AND 3 < 4", "EExpression:Syntax error [<]"},  // one comparison per expression
    {"UPPER('a'", "EExpression:Incorrectly formed parameters"},
    {"UPPER('a',,'b')", "EExpression:Incorrectly formed parameters"},
    {"UPPER(,'a')", "EExpression:Incorrectly formed parameters"},
    {"UPPER('a',)", "EExpression:Incorrectly formed parameters"},
    {"foo", "EExpression:Unknown Identifier FOO"},
    {"1 +", "EExpression:Unexpected end of factor"},
    {"1 + *", "EExpression:Syntax error [*]"},
    {"()", "EExpression:Unexpected end of factor"},
    {"() + 1", "EExpression:Unexpected end of factor"},
    {"-()", "EExpression:Unexpected end of factor"},
    {"1+2)x", "EExpression:Syntax error [)]"},
    {"1, 2", "EExpression:Syntax error [,]"},
    {")", "EExpression:Syntax error [)]"},
    {"1 NOT 2", "EExpression:opNot not allowed here"},
    {"'abc", "EExpression:Unterminated string"},
    {"1e", "EExpression:Bad numeric format"},
    {"1e-", "EExpression:Bad numeric format"},
    {"1e+3", "EExpression:Bad numeric format"},
    {"1.2.3", "EExpression:Bad numeric format"},
    {"1e5e5", "EExpression:Bad numeric format"},
    {"12345678901234567890123456789", "EExpression:Bad numeric format"},
    {"2147483648", "EConvertError:'2147483648' is not a valid integer value"},
    {"1 DIV 0", "EDivByZero:Division by zero"},
    {"1 MOD 0", "EDivByZero:Division by zero"},
    {"(-2147483647 - 1) DIV -1", "EIntOverflow:Integer overflow"},
    {"1/0", "EZeroDivide:Floating point division by zero"},
    {"0/0", "EInvalidOp:Invalid floating point operation"},
    {"SQRT(-1)", "EInvalidOp:Invalid floating point operation"},
    {"LN(0)", "EZeroDivide:Floating point division by zero"},
    {"LN(-1)", "EInvalidOp:Invalid floating point operation"},
    {"EXP(1000)", "EOverflow:Floating point overflow"},
    {"POWER(0,-1)", "EZeroDivide:Floating point division by zero"},
    {"POWER(-2,0.5)", "EInvalidOp:Invalid floating point operation"},
    {"TRUNC(1e10)", "EIntOverflow:Integer overflow"},
    {"'1' + 1 > 0", "Boolean:TRUE"},
    {"@", "EExpression:Syntax error [@]"},
};

class FormulaErrors : public ::testing::TestWithParam<Row> {};
TEST_P(FormulaErrors, RaiseTheirClassAndText) { EXPECT_EQ(Eval(GetParam().Formula), GetParam().Expected) << GetParam().Formula; }
INSTANTIATE_TEST_SUITE_P(Table, FormulaErrors, ::testing::ValuesIn(kErrors));

TEST(FormulaParser, StringLiteralOf256BytesIsAcceptedAnd257Refused) {
  EXPECT_EQ(Eval("LENGTH('" + std::string(256, 'a') + "')"), "Integer:256");
  EXPECT_EQ(Eval("'" + std::string(257, 'a') + "'"), "EExpression:String too long");
}

TEST(FormulaParser, OperatorWordsAndGbkNamesAreWholeWords) {
  // A GBK name whose trail byte is '@' (0x40) or a lower-case letter stays one word and
  // keeps its bytes: "丂" is 81 40, "乤" is 81 61.
  std::string seen;
  TkvIdentifierFunction fn = [&](const AnsiString& id, TkvParameterListPtr& params) -> TkvExpressionPtr {
    seen += id + "|";
    return std::make_unique<TkvIntegerLiteral>(1);
  };
  EXPECT_EQ(Eval("\x81\x40 + \x81\x61x", fn), "Integer:2");
  EXPECT_EQ(seen, "\x81\x40|\x81\x61X|");
}

TEST(FormulaParser, DeepNestingRaisesInsteadOfOverflowingTheStack) {
  EXPECT_EQ(Eval(std::string(100, '(') + "1" + std::string(100, ')')), "Integer:1");
  EXPECT_EQ(Eval(std::string(100000, '(') + "1"), "EExpression:Expression too complex");
  EXPECT_EQ(Eval(std::string(100000, '-') + "1"), "EExpression:Expression too complex");
  std::string nots;
  for (int i = 0; i < 100000; ++i) nots += "NOT ";
  EXPECT_EQ(Eval(nots + "TRUE"), "EExpression:Expression too complex");
  std::string calls;
  for (int i = 0; i < 100000; ++i) calls += "ABS(";
  EXPECT_EQ(Eval(calls + "1"), "EExpression:Expression too complex");
  std::string rightNested;
  for (int i = 0; i < 100000; ++i) rightNested += "1+(";
  EXPECT_EQ(Eval(rightNested + "1"), "EExpression:Expression too complex");
}

// Only nesting is limited: a flat chain of one level is no deeper than two terms, so
// 1+1+...+1 of a thousand terms (once refused from 256 on as "too complex") evaluates,
// and so does a chain of 100,000 terms, read and freed without one stack frame per
// operator (the sanitizer build runs this with its larger frames).
TEST(FormulaParser, FlatChainOfAThousandTermsIsNotTooComplex) {
  auto chain = [](int terms, const std::string& op, const std::string& term) {
    std::string s = term;
    for (int i = 1; i < terms; ++i) s += op + term;
    return s;
  };
  EXPECT_EQ(Eval(chain(1000, "+", "1")), "Integer:1000");
  EXPECT_EQ(Eval(chain(100000, "+", "1")), "Integer:100000");
  EXPECT_EQ(Eval(chain(100000, "-", "1")), "Integer:-99998");
  EXPECT_EQ(Eval(chain(100000, "*", "1")), "Integer:1");
  EXPECT_EQ(Eval(chain(100000, "+", "0.5")), "Float:50000");
  EXPECT_EQ(Eval(chain(100000, "+", "2*3")), "Integer:600000");
  EXPECT_EQ(Eval(chain(100000, "+", "(1+1)")), "Integer:200000");
  EXPECT_EQ(Eval(chain(100000, " OR ", "FALSE") + " OR TRUE"), "Boolean:TRUE");
  EXPECT_EQ(Eval(chain(100000, "+", "'ab'")).size(), std::string("String:").size() + 200000);
  EXPECT_EQ(Eval(chain(100000, "+", "1") + " = 100000"), "Boolean:TRUE");
  EXPECT_EQ(Eval("IF(" + chain(100000, "+", "1") + " > 5, 'big', 'small')"), "String:big");
  // Nesting still counts inside a chain.
  EXPECT_EQ(Eval(chain(1000, "+", std::string(150, '(') + "1" + std::string(150, ')'))), "Integer:1000");
  EXPECT_EQ(Eval(chain(3, "+", std::string(250, '(') + "1" + std::string(250, ')'))),
            "EExpression:Expression too complex");
}

// A node that counts its evaluations, to see what AND, OR and IF evaluate.
class Probe : public TkvExpression {
 public:
  Probe(bool v, int& n) : FValue(v), FCount(n) {}
  bool AsBoolean() override { ++FCount; return FValue; }
  TkvExprType ExprType() override { return etBoolean; }
 private:
  bool FValue;
  int& FCount;
};

TEST(FormulaEvaluation, AndOrSkipTheSecondOperandWhenDecided) {
  int count = 0;
  TkvIdentifierFunction fn = [&](const AnsiString& id, TkvParameterListPtr&) -> TkvExpressionPtr {
    return std::make_unique<Probe>(id == "T", count);
  };
  struct Case { const char* F; bool Value; int Evaluated; } cases[] = {
      {"F AND X", false, 1}, {"T OR X", true, 1}, {"T AND F", false, 2}, {"F OR T", true, 2}, {"T XOR T", false, 2},
  };
  for (const Case& c : cases) {
    count = 0;
    TkvExpressionPtr e = CreateExpression(c.F, fn);
    EXPECT_EQ(e->AsBoolean(), c.Value) << c.F;
    EXPECT_EQ(count, c.Evaluated) << c.F;
  }
}

TEST(FormulaEvaluation, IfTypeIsTheBranchesCommonTypeWhileBuilding) {
  // Building never evaluates the condition: the counting callback sees no evaluation.
  int count = 0;
  TkvIdentifierFunction fn = [&](const AnsiString& id, TkvParameterListPtr&) -> TkvExpressionPtr {
    return std::make_unique<Probe>(true, count);
  };
  TkvExpressionPtr e = CreateExpression("IF(C, 2, 1.5) * 2", fn);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(e->ExprType(), etFloat);
  EXPECT_EQ(e->AsFloat(), 4.0);
}

TEST(FormulaEvaluation, TextSumReadAsNumberRaisesInsteadOfGivingZero) {
  EXPECT_EQ(Eval("FLOAT('a' + 'b')"), "EExpression:Cannot read String as Float");
  TkvExpressionPtr e = CreateExpression("'a' + 'b'");
  EXPECT_THROW(e->AsInteger(), EExpression);
}

TEST(FormulaEvaluation, FailedEvaluationLeavesTheTreeUsable) {
  int32_t divisor = 0;
  TkvIdentifierFunction fn = [&](const AnsiString&, TkvParameterListPtr&) -> TkvExpressionPtr {
    return std::make_unique<TkvIntegerLiteral>(divisor);
  };
  TkvExpressionPtr e = CreateExpression("10 DIV D", fn);
  EXPECT_THROW(e->AsInteger(), EDivByZero);
  EXPECT_THROW(e->AsInteger(), EDivByZero);
}

TEST(FormulaNodes, ConstructorsRefuseWrongOperators) {
  auto lit = [] { return std::make_unique<TkvIntegerLiteral>(1); };
  auto msg = [](auto fn) {
    try { fn(); } catch (const EExpression& e) { return e.Message(); }
    return AnsiString("no error");
  };
  EXPECT_EQ(msg([&] { TkvUnaryOp(opMult, lit()); }), "opMult is not simple unary operator");
  EXPECT_EQ(msg([&] { TkvBinaryOp(opEq, lit(), lit()); }), "opEq is not a simple binary operator");
  EXPECT_EQ(msg([&] { TkvRelationalOp(opPlus, lit(), lit()); }), "opPlus is not relational operator");
}

TEST(FormulaNodes, InternalErrorThirteenForANumberAskedAsBoolean) {
  TkvExpressionPtr e = CreateExpression("1 + 2");
  try {
    e->AsBoolean();
    FAIL();
  } catch (const EExpression& ex) {
    EXPECT_EQ(ex.Message(), "Internal parser error. Code 13");
  }
}

TEST(FormulaNodes, FloatNodeAskedAsIntegerRoundsHalfToEven) {
  EXPECT_EQ(CreateExpression("2.0 * 1.25")->AsInteger(), 2);
  EXPECT_EQ(CreateExpression("7/2")->AsInteger(), 4);
}

TEST(FormulaScanner, ScanWordClassifiesWords) {
  struct Case { const char* Text; int Kind; const char* Word; size_t End; } cases[] = {
      {"qty*2", 0, "QTY", 3}, {"and(", 1, "AND", 3}, {"True ", 2, "TRUE", 4}, {"2x", 0, "2X", 2}, {"=", 0, "", 0},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    AnsiString word;
    TkvOperator op = opNot;
    bool b = false;
    EXPECT_EQ(ScanWord(c.Text, pos, word, op, b), c.Kind) << c.Text;
    EXPECT_EQ(word, c.Word);
    EXPECT_EQ(pos, c.End);
  }
}

}  // namespace
