// Value types (round trip, order, display text, casts) and record storage scenarios.
#include <gtest/gtest.h>

#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

// One value in its own little record, as the storage keeps it.
struct Slot {
  explicit Slot(TkvValueTypeClass t) : Type(t), Bytes(static_cast<size_t>(t->DataSize()) + 1, 0) {}
  TkvValuePlace Place() { return {Bytes.data(), Type->UsesCell() ? &Cell : nullptr}; }
  TkvValueTypeClass Type;
  std::vector<uint8_t> Bytes;
  TkvCell Cell;
};

struct TypeRow {
  TkvValueTypeClass (*Class)();
  const char* ShortName;
  TVarType VarType;
  Variant Low, High;
  const char* HighText;
};

TEST(ValueTypes, RoundTripOrderAndDisplayText) {
  const TypeRow rows[] = {
      {TkvStringValueTypeClass, "String", varString, Variant("ABC"), Variant("abc"), "abc"},
      {TkvWideStringValueTypeClass, "WideString", varOleStr, Variant(u"a"), Variant(u"\u20AC"), "\x80"},
      {TkvSmallintValueTypeClass, "Smallint", varSmallint, Variant(-32768), Variant(32767), "32767"},
      {TkvIntegerValueTypeClass, "Integer", varInteger, Variant(-2147483647 - 1), Variant(2147483647), "2147483647"},
      {TkvWordValueTypeClass, "Word", varWord, Variant(0), Variant(65535), "65535"},
      {TkvBooleanValueTypeClass, "Boolean", varBoolean, Variant(false), Variant(true), "True"},
      {TkvFloatValueTypeClass, "Float", varDouble, Variant(-1.5), Variant(2.25), "2.25"},
      {TkvCurrencyValueTypeClass, "Currency", varCurrency, Variant::FromCurrency(Currency(1)),
       Variant::FromCurrency(Currency(12.5)), "12.5"},
      {TkvDateTimeValueTypeClass, "DateTime", varDate, Variant::FromDate(46370), Variant::FromDate(46371.5),
       "2026-12-15 12:00:00"},
      {TkvLargeIntValueTypeClass, "LargeInt", varInt64, Variant(static_cast<long long>(-1)),
       Variant(static_cast<long long>(1) << 50), "1125899906842624"},
      {TkvFMTBcdValueTypeClass, "FMTBcd", varFMTBcd, Variant::FromBcd(-5, 0), Variant::FromBcd(12345, 2), "123.45"},
      {TkvVariantValueTypeClass, "Variant", varVariant, Variant(1), Variant("x"), "x"},
  };
  for (const TypeRow& r : rows) {
    TkvValueTypeClass t = r.Class();
    SCOPED_TRACE(r.ShortName);
    EXPECT_EQ(t->ShortName(), r.ShortName);
    EXPECT_EQ(t->VarType(), r.VarType);
    Slot lo(t), hi(t);
    t->SetVariant(lo.Place(), r.Low);
    t->SetVariant(hi.Place(), r.High);
    EXPECT_LT(t->CompareBuffers(lo.Place(), hi.Place()), 0);
    EXPECT_GT(t->CompareBuffers(hi.Place(), lo.Place()), 0);
    EXPECT_EQ(t->CompareBuffers(hi.Place(), hi.Place()), 0);
    AnsiString text;
    t->GetDisplayText(hi.Place(), text);
    EXPECT_EQ(text, r.HighText);
    // Stream round trip.
    TMemoryStream m;
    t->WriteValue(hi.Place(), m);
    m.SetPosition(0);
    Slot back(t);
    t->ReadValue(back.Place(), m);
    EXPECT_EQ(t->CompareBuffers(back.Place(), hi.Place()), 0);
    Variant v;
    t->GetVariant(back.Place(), v);
    EXPECT_EQ(CompareVariants(v, r.High), 0);
  }
  EXPECT_EQ(TkvValueTypeBaseClass()->ShortName(), "");
  EXPECT_EQ(TkvStringValueTypeClass()->IsString(), true);
  EXPECT_EQ(TkvWideStringValueTypeClass()->IsString(), true);
  EXPECT_EQ(TkvIntegerValueTypeClass()->IsString(), false);
}

TEST(ValueTypes, WideStringSurvivesTheStreamUnchanged) {
  TkvValueTypeClass t = TkvWideStringValueTypeClass();
  Slot s(t);
  const WideString text = u"\u20AC\U0001F600中";
  t->SetVariant(s.Place(), Variant(text));
  TMemoryStream m;
  t->WriteValue(s.Place(), m);
  m.SetPosition(0);
  Slot back(t);
  t->ReadValue(back.Place(), m);
  Variant v;
  t->GetVariant(back.Place(), v);
  EXPECT_EQ(v.AsWideString(), text);
}

TEST(ValueTypes, SixteenBitTypesRefuseValuesOutOfRange) {
  struct Case { TkvValueTypeClass (*Class)(); Variant V; } cases[] = {
      {TkvSmallintValueTypeClass, Variant(70000)}, {TkvSmallintValueTypeClass, Variant(-32769)},
      {TkvWordValueTypeClass, Variant(-1)}, {TkvWordValueTypeClass, Variant(65536)},
  };
  for (const Case& c : cases) {
    TkvValueTypeClass t = c.Class();
    Slot s(t);
    t->SetVariant(s.Place(), Variant(7));
    EXPECT_THROW(t->SetVariant(s.Place(), c.V), EVariantError);
    Variant v;
    t->GetVariant(s.Place(), v);
    EXPECT_EQ(v.AsInteger(), 7);
  }
}

TEST(ValueTypes, TryCast) {
  Variant twelve = Variant("12");
  EXPECT_TRUE(TkvIntegerValueTypeClass()->TryCast(twelve));
  EXPECT_EQ(twelve.VType(), varInteger);
  EXPECT_EQ(twelve.AsInteger(), 12);
  Variant x = Variant("x");
  EXPECT_FALSE(TkvIntegerValueTypeClass()->TryCast(x));
  EXPECT_EQ(x.VType(), varString);
  Variant n = Variant::Null();
  EXPECT_TRUE(TkvIntegerValueTypeClass()->TryCast(n));
  EXPECT_TRUE(TkvVariantValueTypeClass()->TryCast(x));
}

TEST(ValueTypes, IntegerOrderAndBooleanFromItsStreamByte) {
  TkvValueTypeClass t = TkvIntegerValueTypeClass();
  Slot a(t), b(t);
  t->SetVariant(a.Place(), Variant(2147483647));
  t->SetVariant(b.Place(), Variant(-2147483647 - 1));
  EXPECT_GT(t->CompareValues(a.Place(), b.Place()), 0);
  TkvValueTypeClass bt = TkvBooleanValueTypeClass();
  Slot flag(bt);
  TMemoryStream m;
  m.WriteUInt8(1);
  m.SetPosition(0);
  bt->ReadValue(flag.Place(), m);
  AnsiString text;
  bt->GetDisplayText(flag.Place(), text);
  EXPECT_EQ(text, "True");
}

// --- storage ---------------------------------------------------------------------------

// Renders every data record as "id:v1,v2|..." (values by display text, Null as ~).
std::string Dump(TkvDataStorage& s) {
  std::string out;
  TkvValueDefs& defs = s.ValueDefs();
  for (int i = 0; i < s.RecordCount(); ++i) {
    if (i) out += "|";
    if (s.RecordIds()) out += std::to_string(s.GetRecordId(i)) + ":";
    for (int d = 0; d < defs.Count(); ++d) {
      Variant v;
      s.GetValue(i, defs.Items(d), v);
      if (d) out += ",";
      out += v.IsNull() ? "~" : VarToStr(v);
    }
  }
  return out;
}

TEST(RecordStorage, UnallocatedRecordsReadNull) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.SetRecordCount(2);
  Variant v = 1;
  s.GetValue(1, a, v);
  EXPECT_TRUE(v.IsNull());
  AnsiString text = "x";
  s.GetDisplayText(1, a, text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(s.SetRecordCount(-5), 0);
}

TEST(RecordStorage, AddingAndRemovingDefinitionsKeepsOtherValues) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  TkvValueDef* b = s.ValueDefs().Add(TkvStringValueTypeClass(), true, true, nullptr);
  for (int i = 0; i < 3; ++i) {
    s.AppendRecord();
    s.SetValue(i, a, i * 10);
    s.SetValue(i, b, AnsiString(1, static_cast<char>('a' + i)));
  }
  TkvValueDef* c = s.ValueDefs().Add(TkvFloatValueTypeClass(), true, false, nullptr);
  EXPECT_EQ(Dump(s), "0,a,~|10,b,~|20,c,~");
  s.SetValue(1, c, 1.5);
  s.ValueDefs().Remove(b);
  EXPECT_EQ(Dump(s), "0,~|10,1.5|20,~");
  s.ValueDefs().Remove(a);
  EXPECT_EQ(Dump(s), "~|1.5|~");
  EXPECT_EQ(s.InternalDefs().Count(), 1);
}

TEST(RecordStorage, RemovingTheLastStoredDefinitionKeepsRecordHeaders) {
  TkvDataStorage s;
  s.SetRecordIds(true);
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.AppendRecord();
  s.AppendRecord();
  s.SetValue(0, a, 5);
  const int scratch = s.AppendInternalRecord();
  s.ValueDefs().Remove(a);
  EXPECT_EQ(s.GetRecordId(0), 1u);
  EXPECT_EQ(s.GetRecordId(1), 2u);
  // The scratch record is still in use: the next one is a different record.
  EXPECT_NE(s.AppendInternalRecord(), scratch);
}

TEST(RecordStorage, RecordIds) {
  TkvDataStorage s;
  s.SetRecordIds(true);
  s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.AppendRecord();
  s.AppendRecord();
  s.InsertRecord(1);
  EXPECT_EQ(Dump(s), "1:~|3:~|2:~");
  s.DeleteRecord(0);
  s.DeleteRecord(0);
  s.DeleteRecord(0);
  EXPECT_EQ(s.AppendRecord(), 0);
  EXPECT_EQ(s.GetRecordId(0), 1u);
}

TEST(RecordStorage, InternalRecords) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvStringValueTypeClass(), true, false, nullptr);
  EXPECT_EQ(s.AppendInternalRecord(), -1);
  EXPECT_EQ(s.AppendInternalRecord(), -2);
  EXPECT_EQ(s.AppendInternalRecord(), -3);
  // A data definition works on an internal record through its twin.
  s.SetValue(-1, a, "scratch");
  Variant v;
  s.GetValue(-1, a, v);
  EXPECT_EQ(VarToStr(v), "scratch");
  s.DeleteRecord(-2);
  EXPECT_TRUE(TkvDataStorage::TestState(s.RecordAt(-1), kvRecordInUse));
  EXPECT_TRUE(TkvDataStorage::TestState(s.RecordAt(-3), kvRecordInUse));
  EXPECT_EQ(s.AppendInternalRecord(), -2);
  EXPECT_EQ(s.AppendInternalRecord(), -4);
  // A definition added later reaches internal records too.
  TkvValueDef* b = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.SetValue(-1, b, 3);
  s.GetValue(-1, a, v);
  EXPECT_EQ(VarToStr(v), "scratch");
  // A record of each range compares through its own definition.
  s.AppendRecord();
  s.SetValue(0, a, "scratch");
  EXPECT_EQ(s.CompareRecords(0, -1, a), 0);
  int cleared = 0;
  s.OnClearInternalRecords = [&](TObject*) { ++cleared; };
  s.Clear(true);
  EXPECT_EQ(cleared, 0);
  s.Clear(false);
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(s.InternalRecordCount(), 0);
}

TEST(RecordStorage, NoNoticeWhileTheStorageIsDestroyed) {
  int cleared = 0;
  {
    TkvDataStorage s;
    s.AppendInternalRecord();
    s.OnClearInternalRecords = [&](TObject*) { ++cleared; };
  }
  EXPECT_EQ(cleared, 0);
}

TEST(RecordStorage, OutOfRangeIndexesRaiseTheRecordIndexError) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.AppendRecord();
  Variant v;
  for (int index : {1, -1, 1000, -1000}) {
    try {
      s.GetValue(index, a, v);
      FAIL() << index;
    } catch (const EkvInvalidDataControllerOperation& e) {
      EXPECT_EQ(e.Message(), "记录索引超出范围");
    }
  }
  EXPECT_THROW(s.DeleteRecord(5), EkvInvalidDataControllerOperation);
  EXPECT_THROW(s.InsertRecord(3), EkvInvalidDataControllerOperation);
}

TEST(RecordStorage, FailedConversionLeavesTheRecordUnchanged) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  s.AppendRecord();
  EXPECT_THROW(s.SetValue(0, a, "abc"), EVariantError);
  Variant v;
  s.GetValue(0, a, v);
  EXPECT_TRUE(v.IsNull());
  s.SetValue(0, a, 4);
  EXPECT_THROW(s.SetValue(0, a, "abc"), EVariantError);
  s.GetValue(0, a, v);
  EXPECT_EQ(v.AsInteger(), 4);
  s.SetValue(0, a, Variant::Null());
  s.GetValue(0, a, v);
  EXPECT_TRUE(v.IsNull());
}

TEST(RecordStorage, CachedDisplayTexts) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, true, nullptr);
  s.AppendRecord();
  int calls = 0;
  a->OnGetText = [&](TkvValueDef*, int index, AnsiString& text) {
    ++calls;
    text = "<" + text + ">";
  };
  s.SetDisplayText(0, a, "one");
  AnsiString text;
  s.GetDisplayText(0, a, text);
  s.GetDisplayText(0, a, text);
  EXPECT_EQ(text, "<one>");
  EXPECT_EQ(calls, 1);
  // A new source text is shown on the next read although the stamp did not move.
  s.SetDisplayText(0, a, "two");
  s.GetDisplayText(0, a, text);
  EXPECT_EQ(text, "<two>");
  EXPECT_EQ(calls, 2);
  a->InvalidateTexts();
  s.GetDisplayText(0, a, text);
  EXPECT_EQ(calls, 3);
}

TEST(RecordStorage, CachedTextStaysStaleAfter256Invalidations) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, true, nullptr);
  s.AppendRecord();
  int calls = 0;
  a->OnGetText = [&](TkvValueDef*, int, AnsiString&) { ++calls; };
  s.SetDisplayText(0, a, "x");
  AnsiString text;
  s.GetDisplayText(0, a, text);
  for (int i = 0; i < 256; ++i) a->InvalidateTexts();
  s.GetDisplayText(0, a, text);
  EXPECT_EQ(calls, 2);
}

class MapReader : public TkvValueDefReader {
 public:
  void GetValue(TkvValueDef* def, Variant& v) override { v = def->ValueType()->IsString() ? Variant("t") : Variant(9); }
  void GetDisplayText(TkvValueDef*, AnsiString& text) override { text = "shown"; }
  bool SkipValueDef(TkvValueDef* def) override { return def->ValueType() == TkvFloatValueTypeClass(); }
};

TEST(RecordStorage, ReadRecordFromAReader) {
  TkvDataStorage s;
  TkvValueDef* a = s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, true, nullptr);
  s.ValueDefs().Add(TkvStringValueTypeClass(), true, false, nullptr);
  s.ValueDefs().Add(TkvFloatValueTypeClass(), true, false, nullptr);
  s.AppendRecord();
  MapReader reader;
  s.ReadRecord(0, reader);
  EXPECT_EQ(Dump(s), "9,t,~");
  AnsiString text;
  s.GetDisplayText(0, a, text);
  EXPECT_EQ(text, "shown");
}

TEST(RecordStorage, LinksAndStoredCount) {
  TkvDataStorage s;
  TObject f1, f2;
  s.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, &f1);
  TkvValueDef* b = s.ValueDefs().Add(TkvIntegerValueTypeClass(), false, false, &f2);
  EXPECT_EQ(s.ValueDefs().FindByLink(&f2), b);
  EXPECT_EQ(s.InternalDefs().Items(1)->GetLink(), &f2);
  EXPECT_EQ(s.ValueDefs().StoredCount(), 2);  // not StoredOnly: every definition is stored
  s.SetStoredOnly(true);
  EXPECT_EQ(s.ValueDefs().StoredCount(), 1);
}

}  // namespace
