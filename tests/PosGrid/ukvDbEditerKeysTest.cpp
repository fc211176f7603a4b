// The editor's key filter: signs, decimal points and the field's own valid characters.
#include "VCLSource/source/PosGrid/ukvDbEditerKeys.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "db/FieldClasses.h"

using namespace kw_edit;

namespace {

// "text|caret|key" -> accepted, one case per line of the result.
std::string Typed(TFieldType type, std::initializer_list<std::tuple<const char*, int, char>> cases) {
  const std::unique_ptr<TField> field(CreateDefaultField(type, nullptr));
  std::string out;
  for (const auto& [text, caret, key] : cases)
    out += std::string(text) + "|" + std::to_string(caret) + "|" + key + " " +
           (FieldKeyAccepted(*field, text, caret, key) ? "yes" : "beep") + "\n";
  return out;
}

}  // namespace

TEST(ukvDbEditerKeys, FieldTypesGetTheFilterOfTheirDefaultFieldClass) {
  std::string kinds;
  for (TFieldType t : {ftString, ftSmallint, ftInteger, ftWord, ftAutoInc, ftLargeint, ftFloat, ftCurrency,
                       ftBCD, ftFMTBcd, ftBoolean, ftDate, ftMemo, ftVariant})
    kinds += "NID"[static_cast<int>(NumericKeysOf(t))];
  EXPECT_EQ(kinds, "NIIIIIDDDDNNNN");
}

TEST(ukvDbEditerKeys, SignsOnlyFirstAndOnlyOnce) {
  EXPECT_EQ(Typed(ftFloat, {{"12", 2, '-'}, {"12", 0, '-'}, {"", 0, '+'}, {"", 3, '-'}, {"-12", 0, '+'},
                          {"+12", 0, '-'}, {"12", 1, '+'}}),
            "12|2|- beep\n"
            "12|0|- yes\n"
            "|0|+ yes\n"
            "|3|- yes\n"
            "-12|0|+ beep\n"
            "+12|0|- beep\n"
            "12|1|+ beep\n");
  EXPECT_EQ(Typed(ftInteger, {{"12", 2, '-'}, {"12", 0, '-'}}), "12|2|- beep\n12|0|- yes\n");
}

TEST(ukvDbEditerKeys, DecimalPointOnceAndNeverInIntegers) {
  EXPECT_EQ(Typed(ftFloat, {{"12", 2, '.'}, {"1.5", 3, '.'}, {"", 0, '.'}, {"12", 2, ','}}),
            "12|2|. yes\n"
            "1.5|3|. beep\n"
            "|0|. yes\n"
            "12|2|, beep\n");
  EXPECT_EQ(Typed(ftBCD, {{"1.5", 0, '.'}}), "1.5|0|. beep\n");
  EXPECT_EQ(Typed(ftInteger, {{"12", 2, '.'}, {"", 0, '.'}}), "12|2|. beep\n|0|. beep\n");
  EXPECT_EQ(Typed(ftLargeint, {{"12", 2, '.'}}), "12|2|. beep\n");
  // The integer rule holds on its own, for an integer field whose valid characters
  // were widened.
  EXPECT_FALSE(NumericKeyAccepted(TNumericKeys::Integer, "12", 2, '.'));
  EXPECT_TRUE(NumericKeyAccepted(TNumericKeys::None, "1.5", 3, '.'));
}

TEST(ukvDbEditerKeys, OtherFieldsTakeTheirValidCharactersAndControlKeysPass) {
  EXPECT_EQ(Typed(ftString, {{"ab-", 3, '-'}, {"1.5", 3, '.'}, {"", 0, 'x'}}),
            "ab-|3|- yes\n"
            "1.5|3|. yes\n"
            "|0|x yes\n");
  EXPECT_EQ(Typed(ftInteger, {{"12", 2, 'a'}, {"12", 2, '7'}, {"12", 2, '\b'}, {"12", 2, '\x16'}}),
            "12|2|a beep\n"
            "12|2|7 yes\n"
            "12|2|\b yes\n"
            "12|2|\x16 yes\n");
}
