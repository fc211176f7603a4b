// Published property lists: lookup, the accessors bound to members, and the rule that
// decides whether the writer stores a property.
#include <gtest/gtest.h>

#include "rtl/Collection.h"
#include "rtl/PublishedProperties.h"

namespace {

enum TShade : uint8_t { shLight, shDark };

class TThing : public TPersistent {
 public:
  TShade Shade() const { return FShade; }
  void SetShade(TShade v) { FShade = v; }
  char Mark() const { return FMark; }
  void SetMark(char v) { FMark = v; }
  uint8_t Flags() const { return FFlags; }
  void SetFlags(uint8_t v) { FFlags = v; }
  bool Keep = true;
  void DefinePublished(TPublishedProperties& P) override {
    P.AddEnumeration("Shade", {"shLight", "shDark"}, this, &TThing::Shade, &TThing::SetShade).Default(shLight);
    P.AddChar("Mark", this, &TThing::Mark, &TThing::SetMark);
    P.AddSet("Flags", {"fA", "fB"}, this, &TThing::Flags, &TThing::SetFlags).Default(0).Stored([this] { return Keep; });
  }

 private:
  TShade FShade = shLight;
  char FMark = 'a';
  uint8_t FFlags = 0;
};

TEST(PublishedPropertiesTest, ListsThePropertiesInOrderAndFindsThemIgnoringCase) {
  TThing t;
  TPublishedProperties props(t);
  ASSERT_EQ(props.Count(), 3);
  EXPECT_EQ(props.Props(0).Name, "Shade");
  EXPECT_EQ(props.Props(2).Name, "Flags");
  ASSERT_NE(props.Find("sHADE"), nullptr);
  EXPECT_EQ(props.Find("sHADE")->Kind, pkEnumeration);
  EXPECT_EQ(props.Find("Shades"), nullptr);
  EXPECT_EQ(props.Find("Shade")->IndexOfName("SHDARK"), 1);
  EXPECT_EQ(props.Find("Shade")->IndexOfName("shMedium"), -1);
}

TEST(PublishedPropertiesTest, MemberAccessorsConvertToAndFromTheOrdinal) {
  TThing t;
  TPublishedProperties props(t);
  props.Find("Shade")->SetOrd(1);
  EXPECT_EQ(t.Shade(), shDark);
  EXPECT_EQ(props.Find("Shade")->GetOrd(), 1);
  // A GBK lead byte is the ordinal 0..255, not a negative char.
  t.SetMark('\xD6');
  EXPECT_EQ(props.Find("Mark")->GetOrd(), 0xD6);
  props.Find("Mark")->SetOrd(0xB0);
  EXPECT_EQ(t.Mark(), '\xB0');
}

TEST(PublishedPropertiesTest, StoredWhenDifferentFromTheDefault) {
  TPublishedProperties P;
  int i = 0;
  int64_t big = 0;
  double f = 0;
  Currency c;
  AnsiString s;
  WideString w;
  bool b = false;
  TCollection coll(CollectionItemClassOf<TCollectionItem>());
  TPersistent* sub = nullptr;
  auto& withDefault = P.AddInteger("WithDefault", [&] { return i; }, [&](int32_t v) { i = v; }).Default(0);
  auto& noDefault = P.AddBoolean("NoDefault", [&] { return b; }, [&](bool v) { b = v; });
  auto& int64 = P.AddInt64("Big", [&] { return big; }, [&](int64_t v) { big = v; });
  auto& real = P.AddFloat("Real", fkDouble, [&] { return f; }, [&](double v) { f = v; });
  auto& money = P.AddCurrency("Money", [&] { return c; }, [&](Currency v) { c = v; });
  auto& text = P.AddString("Text", [&] { return s; }, [&](const AnsiString& v) { s = v; });
  auto& wide = P.AddWideString("Wide", [&] { return w; }, [&](const WideString& v) { w = v; });
  auto& object = P.AddClass("Sub", [&] { return sub; });
  auto& items = P.AddCollection("Items", [&] { return &coll; });

  EXPECT_FALSE(withDefault.ShouldStore());
  EXPECT_TRUE(noDefault.ShouldStore());  // an ordinal without a default is always stored
  EXPECT_FALSE(int64.ShouldStore());
  EXPECT_FALSE(real.ShouldStore());
  EXPECT_FALSE(money.ShouldStore());
  EXPECT_FALSE(text.ShouldStore());
  EXPECT_FALSE(wide.ShouldStore());
  EXPECT_FALSE(object.ShouldStore());
  EXPECT_TRUE(items.ShouldStore());  // an empty collection too

  i = 1;
  big = -1;
  f = -0.5;
  c = Currency::FromScaled(1);
  s = "x";
  w = WideString(1, u'x');
  TThing thing;
  sub = &thing;
  for (const TPropInfo* p : {&withDefault, &int64, &real, &money, &text, &wide, &object})
    EXPECT_TRUE(p->ShouldStore()) << p->Name;
  int64.Default(-1);
  EXPECT_FALSE(int64.ShouldStore());
}

TEST(PublishedPropertiesTest, StoredConditionComesFirst) {
  TThing t;
  t.SetFlags(3);
  TPublishedProperties props(t);
  EXPECT_TRUE(props.Find("Flags")->ShouldStore());
  t.Keep = false;
  EXPECT_FALSE(props.Find("Flags")->ShouldStore());
}

}  // namespace
