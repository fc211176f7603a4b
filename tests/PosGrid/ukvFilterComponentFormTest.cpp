// The criteria's component form: TFilterWrapper written and read by component
// streaming. Golden bytes are written from docs/formats/component-stream.md.
#include <gtest/gtest.h>

#include <string>
#include "rtl/ComponentStreaming.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"

namespace {

std::string Hex(std::string_view hex) {
  std::string out;
  int nibbles = 0, v = 0;
  for (char c : hex) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else continue;
    v = v * 16 + d;
    if (++nibbles == 2) {
      out += static_cast<char>(v);
      nibbles = v = 0;
    }
  }
  return out;
}

std::string Str(std::string_view s) { return std::string(1, static_cast<char>(s.size())) + std::string(s); }

const std::string kHead = "TPF0" + Str("TFilterWrapper") + Str("");
const std::string kEnd = Hex("00 00");  // end of properties, end of children

std::string Saved(TkvFilterCriteria& c) {
  TMemoryStream m;
  c.SaveToStream(m);
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

void Load(TkvFilterCriteria& c, const std::string& bytes) {
  TStringStream s(bytes);
  c.LoadFromStream(s);
}

struct Field : TObject {};

// Maps one field to id 3, and stores its tree as the binary property "Criteria" the way
// the data-aware criteria do.
class TreeCriteria : public TkvFilterCriteria {
 public:
  Field F;
  int32_t GetIdByLink(TObject* link) override { return link == &F ? 3 : -1; }
  TObject* GetLinkById(int32_t id) override { return id == 3 ? &F : nullptr; }

 protected:
  void DefineProperties(TFiler& filer) override {
    TkvFilterCriteria::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Criteria", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, HasCriteriaData());
  }
};

TEST(FilterComponentFormTest, UntouchedCriteriaWritesNoProperty) {
  TkvFilterCriteria c;
  EXPECT_EQ(Saved(c), kHead + kEnd);
}

TEST(FilterComponentFormTest, ChangedSettingsAreWrittenUnderFilter) {
  TkvFilterCriteria c;
  c.SetMaxValueListCount(5);
  c.SetOptions(fcoCaseInsensitive | fcoSoftNull);
  c.SetPercentWildcard('*');
  c.SetUnderscoreWildcard('?');
  EXPECT_EQ(Saved(c), kHead + Str("Filter.MaxValueListCount") + Hex("02 05") + Str("Filter.Options") + Hex("0B") +
                          Str("fcoCaseInsensitive") + Str("fcoSoftNull") + Hex("00") + Str("Filter.PercentWildcard") +
                          Hex("06 01 2A") + Str("Filter.UnderscoreWildcard") + Hex("06 01 3F") + kEnd);
}

TEST(FilterComponentFormTest, EveryOptionHasItsName) {
  TkvFilterCriteria c;
  c.SetOptions(fcoCaseInsensitive | fcoShowOperatorDescription | fcoSoftNull | fcoSoftCompare | fcoIgnoreNull);
  EXPECT_EQ(Saved(c), kHead + Str("Filter.Options") + Hex("0B") + Str("fcoCaseInsensitive") +
                          Str("fcoShowOperatorDescription") + Str("fcoSoftNull") + Str("fcoSoftCompare") +
                          Str("fcoIgnoreNull") + Hex("00") + kEnd);
}

TEST(FilterComponentFormTest, ConditionsAndUnpublishedSettingsAreNotPartOfTheBaseForm) {
  TkvFilterCriteria c;
  Field f;
  c.AddCondition(nullptr, &f, foEqual, Variant(5), "abc");
  c.SetDateTimeFormat("yyyy");
  c.SetSupportedLike(false);
  c.SetTranslateIn(true);
  c.OnChanged = [](TObject*) {};
  EXPECT_EQ(Saved(c), kHead + kEnd);
}

TEST(FilterComponentFormTest, LoadSetsTheSettingsInOneUpdate) {
  TkvFilterCriteria c;
  int changes = 0;
  c.OnChanged = [&](TObject*) { ++changes; };
  Load(c, kHead + Str("Filter.Options") + Hex("0B") + Str("fcoSoftCompare") + Str("fcoIgnoreNull") + Hex("00") +
              Str("Filter.PercentWildcard") + Hex("06 01 2A") + Str("Filter.UnderscoreWildcard") + Hex("06 01 3F") +
              Str("Filter.MaxValueListCount") + Hex("03 10 27") + kEnd);
  EXPECT_EQ(c.Options(), fcoSoftCompare | fcoIgnoreNull);
  EXPECT_EQ(c.PercentWildcard(), '*');
  EXPECT_EQ(c.UnderscoreWildcard(), '?');
  EXPECT_EQ(c.MaxValueListCount(), 10000);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(c.LockCount(), 0);
}

TEST(FilterComponentFormTest, LoadingWhatIsAlreadySetChangesNothing) {
  TkvFilterCriteria c;
  int changes = 0;
  c.OnChanged = [&](TObject*) { ++changes; };
  Load(c, kHead + Str("Filter.PercentWildcard") + Hex("06 01 25") + kEnd);
  EXPECT_EQ(changes, 0);
}

TEST(FilterComponentFormTest, SavedSettingsReadBackIntoAnotherCriteria) {
  TkvFilterCriteria a;
  a.SetMaxValueListCount(-1);
  a.SetOptions(fcoShowOperatorDescription);
  a.SetUnderscoreWildcard('\xA1');
  const std::string image = Saved(a);
  TkvFilterCriteria b;
  Load(b, image);
  EXPECT_EQ(b.MaxValueListCount(), -1);
  EXPECT_EQ(b.Options(), fcoShowOperatorDescription);
  EXPECT_EQ(b.PercentWildcard(), '%');
  EXPECT_EQ(b.UnderscoreWildcard(), '\xA1');
  EXPECT_EQ(Saved(b), image);
}

TEST(FilterComponentFormTest, SettingsTheStreamDoesNotHoldKeepTheirValues) {
  // The component reader only sets what the stream holds: a default that was left out
  // when writing does not reset a changed setting.
  TkvFilterCriteria c;
  c.SetOptions(fcoSoftNull);
  Load(c, kHead + Str("Filter.PercentWildcard") + Hex("06 01 2A") + kEnd);
  EXPECT_EQ(c.Options(), fcoSoftNull);
  EXPECT_EQ(c.PercentWildcard(), '*');
}

TEST(FilterComponentFormTest, BadStreamsRaiseAndEndTheUpdate) {
  struct Case {
    const char* what;
    std::string image;
    std::string message;
  };
  const Case cases[] = {
      {"unknown setting", kHead + Str("Filter.Active") + Hex("09") + kEnd, "Property Active does not exist"},
      {"unknown option", kHead + Str("Filter.Options") + Hex("0B") + Str("fcoFast") + Hex("00") + kEnd,
       "Invalid property value at offset 35"},
      {"wildcard of two bytes", kHead + Str("Filter.PercentWildcard") + Hex("06 02 2A 2A") + kEnd,
       "Invalid property value at offset 43"},
      {"cut short", kHead + Str("Filter.PercentWildcard") + Hex("06 01"), "Invalid stream format at offset 45"},
      {"not a component stream", "\xFF\xFF\xFF\xFF", "Invalid stream format at offset 0"},
  };
  for (const Case& c : cases) {
    TkvFilterCriteria criteria;
    criteria.SetMaxValueListCount(7);
    try {
      Load(criteria, c.image);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
    EXPECT_EQ(criteria.LockCount(), 0) << c.what;
    EXPECT_EQ(criteria.PercentWildcard(), '%') << c.what;
    EXPECT_EQ(criteria.MaxValueListCount(), 7) << c.what;
  }
}

TEST(FilterComponentFormTest, DefinedBinaryPropertyOfTheCriteriaTravelsAsFilterCriteria) {
  TreeCriteria a;
  EXPECT_EQ(Saved(a), kHead + kEnd);  // no tree: the property has no data
  a.AddCondition(nullptr, &a.F, foEqual, Variant(5), "abc");
  const std::string tree = Hex("FF FF FF FF 00 01 00 00 00 00 00 03 00 00 00 61 62 63 03 00 00 00 02 05");
  const std::string image = kHead + Str("Filter.Criteria") + Hex("0A 18 00 00 00") + tree + kEnd;
  EXPECT_EQ(Saved(a), image);

  TreeCriteria b;
  int changes = 0;
  b.OnChanged = [&](TObject*) { ++changes; };
  Load(b, image);
  EXPECT_TRUE(b.IsEqual(a));
  EXPECT_EQ(b.FilterText(), a.FilterText());
  EXPECT_EQ(changes, 1);
}

}  // namespace
