// The controller's value readers, its class functions and items, key locate over several
// fields, and the field items of a closed dataset.
#include <gtest/gtest.h>

#include <typeinfo>

#include "DataControllerFixture.h"
#include "VCLSource/source/PosGrid/ukvDbHelper.h"
#include "VCLSource/source/PosGrid/ukvDbHelperValueReaders.h"

using kvtest::Grid;
using kvtest::Named;
using kvtest::Row6;

namespace {

// A column whose text is its record's ID as the controller's reader gives it and the
// stored NAME.
struct ReaderColumn : IkwColumn {
  explicit ReaderColumn(TkvCustomDbDataController* c) : C(c) {}
  bool HasValueExpression() override { return false; }
  Variant EvaluateValueExpression(int) override { return Variant::Null(); }
  bool NeedCustomDisplayText() override { return true; }
  AnsiString GetDisplayText(int recordIndex, const AnsiString& storedText) override {
    auto reader = C->DisplayTextReader();
    Placed = reader->GetRecordIndex();
    return VarToStr(reader->GetValue(Id)) + ":" + storedText;
  }
  TkvCustomDbDataController* C;
  TkvDbField* Id = nullptr;
  int Placed = -99;
};

TEST(ValueReaders, ColumnTextsReadTheirRecordThroughTheControllersReader) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  ReaderColumn column(g.C.get());
  column.Id = g.F("ID");
  TkvDbField* name = g.C->AddField(&column, "NAME");
  g.C->Reload(true);
  auto reader = g.C->DisplayTextReader();
  reader->SetRecordIndex(7);
  AnsiString text;
  g.C->GetDisplayText(1, name->Index(), text);
  EXPECT_EQ(text, "2:b");
  EXPECT_EQ(column.Placed, 1);
  EXPECT_EQ(reader->GetRecordIndex(), 7);  // put back
}

TEST(ValueReaders, ValueFieldsConvertTheReadersValues) {
  const Variant n = Variant::Null();
  Grid g({{Variant(3), Variant("x"), Variant(2.5), n, Variant::FromDate(46000.25), Variant(true)},
          {n, n, n, n, n, n}});
  auto reader = g.C->DisplayTextReader();
  reader->SetRecordIndex(0);
  auto price = reader->GetValueField(g.F("PRICE"));
  EXPECT_EQ(price->AsFloat(), 2.5);
  EXPECT_EQ(price->AsString(), "2.5");
  EXPECT_EQ(reader->GetValueField(g.F("ID"))->AsInteger(), 3);
  EXPECT_EQ(reader->GetValueField(g.F("DAY"))->AsDateTime(), 46000.25);
  EXPECT_TRUE(reader->GetValueField(g.F("ACTIVE"))->AsBoolean());
  EXPECT_EQ(reader->GetValueField(g.F("NAME"))->DisplayText(), "x");
  EXPECT_EQ(price->ValueReader(), reader);
  reader->SetRecordIndex(1);
  EXPECT_FALSE(reader->GetValueField(g.F("ACTIVE"))->AsBoolean());  // Null
  EXPECT_TRUE(price->Value().IsNull());
  // A record or field the controller does not have reads Null and an empty text.
  reader->SetRecordIndex(5);
  EXPECT_TRUE(reader->GetValue(g.F("ID")).IsNull());
  reader->SetRecordIndex(-40);
  EXPECT_EQ(reader->GetDisplayText(g.F("NAME")), "");
  Grid other(Named({{1, "a"}}));
  reader->SetRecordIndex(0);
  EXPECT_TRUE(reader->GetValue(other.F("ID")).IsNull());
  // The reader outlives its controller without reaching it.
  auto kept = reader->GetValueField(g.F("ID"));
  g.C.reset();
  EXPECT_TRUE(kept->Value().IsNull());
}

TEST(KeyLocate, SeveralKeyFieldsFindTheFirstRecordWithAllValues) {
  Grid g(Named({{5, "a"}, {7, "b"}, {5, "c"}, {5, nullptr}}));
  const std::vector<TkvDbField*> keys{g.F("ID"), g.F("NAME")};
  EXPECT_EQ(g.C->LocateByFields(keys, VarArrayOf({Variant(5), Variant("c")})), 2);
  EXPECT_EQ(g.C->LocateByFields(keys, VarArrayOf({Variant("7"), Variant("b")})), 1);  // read into the field's type
  EXPECT_EQ(g.C->LocateByFields(keys, VarArrayOf({Variant(7), Variant("c")})), -1);
  EXPECT_EQ(g.C->LocateByFields(keys, VarArrayOf({Variant(5)})), 3);  // a missing element is Null
  EXPECT_EQ(g.C->LocateByFields(keys, Variant(5)), -1);  // several fields need an array
  const int internal = g.C->Storage().InternalRecordCount();
  g.C->LocateByFields(keys, VarArrayOf({Variant(5), Variant("a")}));
  TkvDataControllerKeyLocateObject locate(g.C.get());
  locate.Fields = keys;
  EXPECT_EQ(locate.Locate(), -1);  // no key record yet
  ASSERT_TRUE(locate.SetKeyValues(VarArrayOf({Variant(7), Variant("b")})));
  EXPECT_LT(locate.KeyRecord(), 0);
  EXPECT_EQ(locate.Locate(), 1);
  locate.ReleaseKeyRecord();
  EXPECT_EQ(locate.KeyRecord(), 0);
  EXPECT_EQ(g.C->Storage().InternalRecordCount(), internal);
}

// A controller that substitutes its own classes.
struct MySearch : TkvDataControllerSearch {
  using TkvDataControllerSearch::TkvDataControllerSearch;
};
struct MyFilter : TkvDBDataFilterCriteria {
  using TkvDBDataFilterCriteria::TkvDBDataFilterCriteria;
};
struct MyReader : TkvValueDefDBReader {
  using TkvValueDefDBReader::TkvValueDefDBReader;
};
struct MyLink : TkvDbDataLink {
  using TkvDbDataLink::TkvDbDataLink;
};
struct MyProvider : TkvDbDataProvider {
  using TkvDbDataProvider::TkvDbDataProvider;
  TkvDataLinkClass GetDataLinkClass() override { return &kvMake<MyLink, TkvDbDataLink>; }
};
struct MyCalculator : TkvExpressionCalculator {
  explicit MyCalculator(TkvCustomDbDataController*) {}
};
struct MyController : TkvCustomDbDataController {
  using TkvCustomDbDataController::TkvCustomDbDataController;
  TkvProviderClass GetProviderClass() override { return &kvMake<MyProvider, TkvDbDataProvider>; }
  TkvCalculatorClass GetCalculatorClass() override { return &kvMake<MyCalculator, TkvExpressionCalculator>; }
  TkvFilterClass GetFilterClass() override { return &kvMake<MyFilter, TkvDBDataFilterCriteria>; }
  TkvSearchClass GetSearchClass() override { return &kvMake<MySearch, TkvDataControllerSearch>; }
  TkvReaderClass GetReaderClass() override { return &kvMake<MyReader, TkvValueDefDBReader>; }
  void BeforeLoadRecords(TkvValueDefReader& reader) override { LoadedWithMyReader = dynamic_cast<MyReader*>(&reader); }
  void GetOwnerText(AnsiString& text) override { text = "grid"; }
  bool LoadedWithMyReader = false;
};

TEST(DataController, ClassFunctionsOfADescendantMakeItsObjects) {
  TClientDataSet ds(nullptr);
  ds.SetData(kvtest::Packet6(Named({{1, "a"}})));
  TDataSource source(nullptr);
  source.SetDataSet(&ds);
  MyController c(nullptr);
  c.AddField(nullptr, "ID");
  c.SetDataSource(&source);
  EXPECT_EQ(c.GetRecordCount(), 1);
  EXPECT_TRUE(c.LoadedWithMyReader);
  EXPECT_NE(dynamic_cast<MyProvider*>(&c.Provider()), nullptr);
  EXPECT_NE(dynamic_cast<MyLink*>(&c.Provider().DataLink()), nullptr);
  EXPECT_NE(dynamic_cast<MyCalculator*>(&c.GetCalculator()), nullptr);
  EXPECT_NE(dynamic_cast<MyFilter*>(&c.Filter()), nullptr);
  EXPECT_NE(dynamic_cast<MyFilter*>(c.AddFilter()), nullptr);
  EXPECT_NE(dynamic_cast<MySearch*>(&c.Search()), nullptr);
  AnsiString owner;
  c.GetOwnerText(owner);
  EXPECT_EQ(owner, "grid");
  // The base controller's own classes.
  Grid g(Named({{1, "a"}}));
  EXPECT_EQ(typeid(g.C->Provider()), typeid(TkvDbDataProvider));
  EXPECT_EQ(typeid(g.C->Provider().DataLink()), typeid(TkvDbDataLink));
  EXPECT_EQ(typeid(g.C->Search()), typeid(TkvDataControllerSearch));
  g.C->GetOwnerText(owner);
  EXPECT_EQ(owner, "");
}

TEST(DataController, ItemsAreTheFieldItemsFoundByTheirKey) {
  Grid g(Named({{1, "a"}}));
  EXPECT_EQ(g.C->GetItemCount(), 6);
  EXPECT_EQ(g.C->GetItem(1), g.F("NAME"));
  EXPECT_EQ(g.C->GetItem(6), nullptr);
  EXPECT_EQ(g.C->FindItemByKey(g.C->GetItemKey(g.F("DAY"))), g.F("DAY"));
  EXPECT_EQ(g.C->FindItemByKey(-1), nullptr);
}

TEST(DataController, FocusInfoRefreshesAndResyncsFromTheCurrentRecord) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDataFocusingInfo info(&g.C->Info());
  g.DataSet->Last();
  info.RefreshRecord();
  EXPECT_EQ(info.RecordIndex, 1);
  info.Resync();  // no row: no record
  EXPECT_EQ(info.RecordIndex, -1);
  EXPECT_EQ(info.SavedRecordIndex, -1);
  info.RowIndex = 0;
  info.Resync();
  EXPECT_EQ(info.RecordIndex, 1);
  EXPECT_EQ(info.SavedRecordIndex, 1);
}

TEST(DataController, FocusingTheInsertingRecordWhileItsInsertRunsIsReached) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  g.C->FocusRowIndex(1);
  g.DataSet->Insert();
  const int inserting = g.C->Provider().InsertingRecord;
  ASSERT_GE(inserting, 0);
  // Inside the controller's own post (re-entered), the insert stays under way.
  g.DataSet->FieldByName("ID")->SetValue(9);
  bool reached = false, other = true;
  g.DataSet->BeforePost = [&](TDataSet*) {
    reached = g.C->FocusRecord(inserting);
    other = g.C->FocusRecord(inserting == 0 ? 1 : 0);
  };
  g.C->Post();
  EXPECT_TRUE(reached);
  EXPECT_FALSE(other);
  EXPECT_EQ(g.DataSet->State(), dsBrowse);
}

// A closed dataset frees its default fields: the field items must not keep them.
TEST(DataController, FaultFieldItemsKeptTheFreedFieldsOfAClosedDataset) {
  Grid g(Named({{1, "a"}}));
  ASSERT_NE(g.F("NAME")->DataField(), nullptr);
  const TDataPacket data = g.DataSet->Data();
  g.DataSet->Close();
  for (int i = 0; i < g.C->FieldCount(); ++i) EXPECT_EQ(g.C->Fields().Items(i)->DataField(), nullptr) << i;
  AnsiString caption;
  g.C->GetLinkCaption(g.F("NAME"), caption);  // reads no freed field
  EXPECT_EQ(caption, "NAME");
  EXPECT_FALSE(g.C->ReloadLock());
  g.DataSet->SetData(data);
  EXPECT_NE(g.F("NAME")->DataField(), nullptr);
  EXPECT_EQ(g.RowIds(), "1");
}

}  // namespace
