// Fields: typed access, text and display text, formats, conversions and their errors.
#include "DbTestUtil.h"
#include "rtl/DateTime.h"

using namespace dbtest;

namespace {

std::unique_ptr<TClientDataSet> OneOfEach() {
  return MakeDataSet(
      {Col("S", ftString, 6), Col("W", ftWideString, 6), Col("Small", ftSmallint), Col("I", ftInteger),
       Col("Wd", ftWord), Col("L", ftLargeint), Col("F", ftFloat), Col("C", ftCurrency), Col("B", ftBCD),
       Col("Bool", ftBoolean), Col("D", ftDate), Col("T", ftTime), Col("DT", ftDateTime), Col("M", ftMemo)},
      {{Variant("衬衫"), Variant(u"衬衫"), Variant(short(-3)), Variant(12), Variant((unsigned short)7),
        Variant(static_cast<long long>(1) << 40), Variant(12.5), Variant(3.0),
        Variant::FromCurrency(Currency(int64_t(2))), Variant(true),
        Variant::FromDate(EncodeDate(2024, 3, 5)), Variant::FromDate(EncodeTime(9, 5, 7, 0)),
        Variant::FromDate(EncodeDate(2024, 3, 5) + EncodeTime(13, 30, 0, 0)), Variant("memo text")}});
}

TEST(FieldClassesByType, DefaultFieldsHaveTheTypesClass) {
  auto ds = OneOfEach();
  EXPECT_NE(dynamic_cast<TStringField*>(ds->FieldByName("S")), nullptr);
  EXPECT_NE(dynamic_cast<TWideStringField*>(ds->FieldByName("W")), nullptr);
  EXPECT_NE(dynamic_cast<TSmallintField*>(ds->FieldByName("Small")), nullptr);
  EXPECT_NE(dynamic_cast<TNumericField*>(ds->FieldByName("Wd")), nullptr);
  EXPECT_NE(dynamic_cast<TLargeintField*>(ds->FieldByName("L")), nullptr);
  EXPECT_NE(dynamic_cast<TFloatField*>(ds->FieldByName("C")), nullptr);
  EXPECT_TRUE(dynamic_cast<TFloatField*>(ds->FieldByName("C"))->Currency());
  EXPECT_NE(dynamic_cast<TBCDField*>(ds->FieldByName("B")), nullptr);
  EXPECT_NE(dynamic_cast<TBooleanField*>(ds->FieldByName("Bool")), nullptr);
  EXPECT_NE(dynamic_cast<TDateTimeField*>(ds->FieldByName("D")), nullptr);
  EXPECT_NE(dynamic_cast<TDateField*>(ds->FieldByName("D")), nullptr);
  EXPECT_NE(dynamic_cast<TMemoField*>(ds->FieldByName("M")), nullptr);
  EXPECT_EQ(ds->FieldByName("F")->Alignment(), taRightJustify);
  EXPECT_EQ(ds->FieldByName("S")->Alignment(), taLeftJustify);
  EXPECT_EQ(ds->FieldByName("S")->Size(), 6);
  EXPECT_TRUE(ds->DefaultFields());
}

TEST(FieldText, AsStringOfEveryKind) {
  auto ds = OneOfEach();
  const std::pair<const char*, const char*> expected[] = {
      {"S", "衬衫"}, {"W", "衬衫"}, {"Small", "-3"}, {"I", "12"}, {"Wd", "7"},
      {"L", "1099511627776"}, {"F", "12.5"}, {"C", "3"}, {"B", "2"}, {"Bool", "True"},
      {"D", "2024-03-05"}, {"T", "09:05:07"}, {"DT", "2024-03-05 13:30:00"}, {"M", "memo text"}};
  for (const auto& e : expected) EXPECT_EQ(ds->FieldByName(e.first)->AsString(), e.second) << e.first;
}

TEST(FieldText, FloatsUseTheShortestForm) {
  auto ds = MakeDataSet({Col("F", ftFloat)}, {{Variant(12.5)}, {Variant(3.0)}, {Variant(0.1 + 0.2)},
                                              {Variant(1.0 / 3)}, {Variant(-0.0001)}});
  std::string all;
  for (ds->First(); !ds->Eof(); ds->Next()) all += ds->FieldByName("F")->AsString() + " ";
  EXPECT_EQ(all, "12.5 3 0.3 0.333333333333333 -0.0001 ");
}

TEST(FieldText, DisplayAndEditFormats) {
  auto ds = OneOfEach();
  auto* f = static_cast<TFloatField*>(ds->FieldByName("F"));
  f->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(f->DisplayText(), "12.50");
  EXPECT_EQ(f->Text(), "12.50");
  f->SetEditFormat("0.0000");
  EXPECT_EQ(f->Text(), "12.5000");
  EXPECT_EQ(f->AsString(), "12.5");
  auto* i = static_cast<TIntegerField*>(ds->FieldByName("I"));
  i->SetDisplayFormat("000");
  EXPECT_EQ(i->DisplayText(), "012");
  auto* d = static_cast<TDateTimeField*>(ds->FieldByName("DT"));
  d->SetDisplayFormat("yyyy年mm月dd日 hh:nn");
  EXPECT_EQ(d->DisplayText(), "2024年03月05日 13:30");
  EXPECT_EQ(d->Text(), "2024-03-05 13:30:00");
  auto* b = static_cast<TBooleanField*>(ds->FieldByName("Bool"));
  b->SetDisplayValues("是;否");
  EXPECT_EQ(b->DisplayText(), "是");
}

TEST(FieldText, OnGetTextAndOnSetText) {
  auto ds = OneOfEach();
  TField* f = ds->FieldByName("I");
  f->OnGetText = [](TField* s, AnsiString& text, bool display) {
    text = (display ? "D:" : "E:") + s->AsString();
  };
  EXPECT_EQ(f->DisplayText(), "D:12");
  EXPECT_EQ(f->Text(), "E:12");
  f->OnSetText = [](TField* s, const AnsiString& text) { s->SetAsInteger(StrToInt(text) * 2); };
  ds->Edit();
  f->SetText("21");
  EXPECT_EQ(f->AsInteger(), 42);
}

TEST(FieldConvert, TextToTypedFields) {
  auto ds = OneOfEach();
  ds->Edit();
  struct {
    const char* field;
    const char* text;
    const char* result;  // AsString after, or the error
  } cases[] = {
      {"I", "123", "123"},
      {"I", " 45 ", "45"},
      {"I", "abc", "EDatabaseError: 'abc' is not a valid integer value for field 'I'"},
      {"I", "", ""},
      {"Small", "40000", "EDatabaseError: 40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767"},
      {"Wd", "-1", "EDatabaseError: -1 is not a valid value for field 'Wd'. The allowed range is 0 to 65535"},
      {"F", "2.25", "2.25"},
      {"F", "1,5", "EDatabaseError: '1,5' is not a valid floating point value for field 'F'"},
      {"B", "1.23456", "1.2346"},
      {"Bool", "false", "False"},
      {"Bool", "maybe", "EDatabaseError: 'maybe' is not a valid boolean value for field 'Bool'"},
      {"D", "2024-12-31", "2024-12-31"},
      {"D", "31/31/31", "EDatabaseError: '31/31/31' is not a valid date and time for field 'D'"},
      {"S", "abcdefgh", "abcdef"},
      {"S", "abcde衫", "abcde"},  // never half a character
  };
  for (const auto& c : cases) {
    TField* f = ds->FieldByName(c.field);
    const std::string err = ErrorOf([&] { f->SetAsString(c.text); });
    EXPECT_EQ(err == "no error" ? std::string(f->AsString()) : err, c.result) << c.field << " " << c.text;
  }
}

TEST(FieldConvert, TruncationNeverSplitsADoubleByteCharacter) {
  auto ds = MakeDataSet({Col("S", ftString, 5)}, {{Variant("a")}});
  ds->Edit();
  ds->FieldByName("S")->SetAsString("ab衬衫");  // 6 bytes into 5: the second character goes whole
  EXPECT_EQ(ds->FieldByName("S")->AsString(), "ab衬");
  ds->FieldByName("S")->SetAsString("衬衫衣");
  EXPECT_EQ(ds->FieldByName("S")->AsString(), "衬衫");
}

TEST(FieldConvert, NumbersAndNull) {
  auto ds = OneOfEach();
  EXPECT_EQ(ds->FieldByName("F")->AsInteger(), 13);  // rounded
  EXPECT_DOUBLE_EQ(ds->FieldByName("I")->AsFloat(), 12.0);
  EXPECT_EQ(ds->FieldByName("B")->AsCurrency(), Currency(2));
  EXPECT_TRUE(ds->FieldByName("Bool")->AsBoolean());
  ds->Edit();
  ds->FieldByName("F")->Clear();
  EXPECT_TRUE(ds->FieldByName("F")->IsNull());
  EXPECT_EQ(ds->FieldByName("F")->AsFloat(), 0.0);
  EXPECT_EQ(ds->FieldByName("F")->AsString(), "");
  EXPECT_TRUE(ds->FieldByName("F")->Value().IsNull());
  ds->FieldByName("F")->SetValue(Variant("7.75"));
  EXPECT_EQ(ds->FieldByName("F")->AsFloat(), 7.75);
  ds->FieldByName("S")->SetAsInteger(5);
  EXPECT_EQ(ds->FieldByName("S")->AsString(), "5");
  EXPECT_EQ(ds->FieldByName("S")->AsInteger(), 5);
  ds->FieldByName("DT")->SetAsDateTime(EncodeDate(2000, 1, 2));
  EXPECT_EQ(ds->FieldByName("DT")->AsString(), "2000-01-02");
  ds->FieldByName("T")->SetAsDateTime(EncodeDate(2000, 1, 2) + EncodeTime(1, 2, 3, 0));
  EXPECT_NEAR(ds->FieldByName("T")->AsDateTime(), EncodeTime(1, 2, 3, 0), 1e-8);
}

TEST(FieldProperties, NamesLabelsIndexAndValidChars) {
  auto ds = OneOfEach();
  TField* f = ds->FieldByName("F");
  EXPECT_EQ(f->DisplayName(), "F");
  f->SetDisplayLabel("价格");
  EXPECT_EQ(f->DisplayLabel(), "价格");
  EXPECT_EQ(f->Index(), 6);
  f->SetIndex(0);
  EXPECT_EQ(ds->Fields()[0], f);
  EXPECT_TRUE(f->IsValidChar('5'));
  EXPECT_TRUE(f->IsValidChar('.'));
  EXPECT_FALSE(f->IsValidChar('x'));
  EXPECT_FALSE(ds->FieldByName("I")->IsValidChar('.'));
  EXPECT_TRUE(ds->FieldByName("S")->IsValidChar('x'));
  EXPECT_EQ(f->FullName(), "F");
  EXPECT_EQ(ErrorOf([&] { f->SetFieldName("G"); }),
            "EDatabaseError: Cannot perform this operation on an open dataset");
}

TEST(FieldProperties, OnChangeAndOnValidate) {
  auto ds = OneOfEach();
  TField* f = ds->FieldByName("I");
  int changes = 0;
  f->OnChange = [&](TField*) { ++changes; };
  f->OnValidate = [](TField* s) {
    if (s->AsInteger() < 0) throw EDatabaseError("negative");
  };
  ds->Edit();
  f->SetAsInteger(5);
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(f->SetAsInteger(-1), EDatabaseError);
  EXPECT_EQ(f->AsInteger(), 5);  // the refused value is not kept
  EXPECT_EQ(changes, 1);
}

TEST(FieldProperties, AggregateFieldKeepsItsOwnValue) {
  TAggregateField agg(nullptr);
  EXPECT_EQ(agg.FieldKind(), fkAggregate);
  EXPECT_TRUE(agg.IsNull());
  agg.SetDisplayFormat("0.00");
  EXPECT_FALSE(agg.CanModify());
}

}  // namespace
