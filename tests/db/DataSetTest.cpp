// The dataset: state machine and its errors, navigation, bookmarks, Locate/Lookup,
// editing, calculated and lookup fields.
#include "DbTestUtil.h"

using namespace dbtest;

namespace {

// --- states and their errors ---------------------------------------------------------------

TEST(DataSetState, OperationsOnAClosedDataSet) {
  TClientDataSet ds(nullptr);
  ds.SetName("cdsGoods");
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecNo(), -1);
  EXPECT_EQ(ErrorOf([&] { ds.Post(); }),
            "EDatabaseError: cdsGoods: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorOf([&] { ds.Edit(); }),
            "EDatabaseError: cdsGoods: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorOf([&] { ds.Next(); }),
            "EDatabaseError: cdsGoods: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorOf([&] { ds.Open(); }), "EDatabaseError: cdsGoods: Missing data provider or data packet");
  EXPECT_FALSE(ds.Active());
}

TEST(DataSetState, PostAndFieldWritesNeedEditMode) {
  auto ds = Numbered(3);
  EXPECT_EQ(ErrorOf([&] { ds->Post(); }), "EDatabaseError: Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("Name")->SetAsString("x"); }),
            "EDatabaseError: Dataset not in edit or insert mode");
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r1");
}

TEST(DataSetState, ReadOnlyDataSetRefusesEveryChange) {
  auto ds = Numbered(3);
  ds->SetReadOnly(true);
  for (auto op : std::vector<std::function<void()>>{[&] { ds->Edit(); }, [&] { ds->Insert(); },
                                                    [&] { ds->Append(); }, [&] { ds->Delete(); }})
    EXPECT_EQ(ErrorOf(op), "EDatabaseError: Cannot modify a read-only dataset");
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_FALSE(ds->FieldByName("Id")->CanModify());
}

TEST(DataSetState, ReadOnlyFieldRefusesWrites) {
  auto ds = Numbered(3);
  ds->FieldByName("Name")->SetReadOnly(true);
  ds->Edit();
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("Name")->SetAsString("x"); }),
            "EDatabaseError: Field 'Name' cannot be modified");
  EXPECT_FALSE(ds->FieldByName("Name")->CanModify());
  EXPECT_TRUE(ds->FieldByName("Id")->CanModify());
}

TEST(DataSetState, EditOnAnEmptyDataSetInserts) {
  auto ds = Numbered(0);
  ds->Edit();
  EXPECT_EQ(ds->State(), dsInsert);
  ds->FieldByName("Id")->SetAsInteger(7);
  ds->Post();
  EXPECT_EQ(Ids(*ds), "7");
}

TEST(DataSetState, DeleteOnAnEmptyDataSet) {
  auto ds = Numbered(0);
  EXPECT_EQ(ErrorOf([&] { ds->Delete(); }),
            "EDatabaseError: Cannot perform this operation on an empty dataset");
}

TEST(DataSetState, RequiredFieldKeepsTheEditOpen) {
  auto ds = Numbered(2);
  ds->FieldByName("Name")->SetRequired(true);
  ds->Append();
  ds->FieldByName("Id")->SetAsInteger(3);
  EXPECT_EQ(ErrorOf([&] { ds->Post(); }), "EDatabaseError: Field 'Name' must have a value");
  EXPECT_EQ(ds->State(), dsInsert);
  ds->FieldByName("Name")->SetAsString("r3");
  ds->Post();
  EXPECT_EQ(Ids(*ds), "1,2,3");
}

TEST(DataSetState, CancelRestoresTheRecord) {
  auto ds = Numbered(3);
  ds->Next();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("changed");
  EXPECT_TRUE(ds->Modified());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "changed");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r2");
  EXPECT_FALSE(ds->Modified());
}

TEST(DataSetState, CheckBrowseModePostsOnlyModifiedEdits) {
  auto ds = Numbered(3);
  ds->Edit();
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Next();
  ds->Prior();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "x");
}

TEST(DataSetState, NewRecordDefaultsDoNotCountAsModification) {
  auto ds = Numbered(2);
  ds->OnNewRecord = [](TDataSet* d) { d->FieldByName("Name")->SetAsString("default"); };
  ds->Append();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "default");
  EXPECT_FALSE(ds->Modified());
  ds->First();  // an untouched new record is cancelled
  EXPECT_EQ(ds->RecordCount(), 2);
  ds->Append();
  ds->Post();  // an explicit Post keeps it
  EXPECT_EQ(ds->RecordCount(), 3);
}

TEST(DataSetState, CancelledInsertReturnsToTheRecordItStoodBefore) {
  for (int buffers : {1, 3, 10}) {
    auto ds = Numbered(5);
    TDataSource src(nullptr);
    src.SetDataSet(ds.get());
    TDataLink link;
    link.SetBufferCount(buffers);
    link.SetDataSource(&src);
    ds->MoveBy(2);
    ds->Insert();
    ds->Cancel();
    EXPECT_EQ(ds->RecNo(), 3) << buffers;
    ds->Append();
    ds->Cancel();
    EXPECT_EQ(ds->RecNo(), 5) << buffers;
    EXPECT_EQ(ds->RecordCount(), 5);
  }
}

TEST(DataSetState, GetFieldPropertyNamesTheControl) {
  auto ds = Numbered(1);
  TComponent edit(nullptr);
  edit.SetName("edtName");
  EXPECT_EQ(GetFieldProperty(ds.get(), &edit, "name"), ds->FieldByName("Name"));
  EXPECT_EQ(ErrorOf([&] { GetFieldProperty(ds.get(), &edit, "Nope"); }),
            "EDatabaseError: edtName: Field 'Nope' not found");
}

TEST(DataSetState, SetKeyAndGotoKey) {
  auto ds = Numbered(5);
  ds->SetKey();
  EXPECT_EQ(ds->State(), dsSetKey);
  ds->FieldByName("Name")->SetAsString("r4");
  EXPECT_TRUE(ds->GotoKey());
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecNo(), 4);
  ds->SetKey();
  ds->Cancel();
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST(DataSetState, UnidirectionalRefusesGoingBack) {
  struct Forward : TClientDataSet {
    Forward() : TClientDataSet(nullptr) { SetUniDirectional(true); }
  };
  Forward ds;
  TDataPacket p;
  p.Fields = {Col("Id", ftInteger)};
  p.Rows = {{Variant(1)}, {Variant(2)}};
  ds.SetData(p);
  EXPECT_TRUE(ds.IsUnidirectional());
  ds.Next();
  EXPECT_EQ(ErrorOf([&] { ds.Prior(); }), "EDatabaseError: Operation not allowed on a unidirectional dataset");
  EXPECT_EQ(ErrorOf([&] { ds.Last(); }), "EDatabaseError: Operation not allowed on a unidirectional dataset");
  EXPECT_FALSE(ds.CanModify());
}

// --- navigation ------------------------------------------------------------------------------

TEST(DataSetNavigation, BofEofAndMoveBy) {
  auto ds = Numbered(4);
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(2), 2);
  EXPECT_EQ(ds->MoveBy(5), 1);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(ds->MoveBy(-10), -3);
  EXPECT_TRUE(ds->Bof());
  ds->SetRecNo(99);
  EXPECT_EQ(ds->RecNo(), 4);
  auto empty = Numbered(0);
  EXPECT_TRUE(empty->Bof());
  EXPECT_TRUE(empty->Eof());
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_TRUE(empty->FieldByName("Id")->IsNull());
  EXPECT_EQ(empty->FieldByName("Name")->AsString(), "");
  EXPECT_EQ(empty->FieldByName("Id")->AsInteger(), 0);
}

TEST(DataSetNavigation, FieldNamesIgnoreCaseAndTheFirstOfRepeatedNamesWins) {
  auto ds = MakeDataSet({Col("Qty", ftInteger), Col("qty", ftInteger), Col("Name", ftString, 5)},
                        {{Variant(1), Variant(2), Variant("a")}});
  EXPECT_EQ(ds->FieldByName("QTY")->AsInteger(), 1);
  EXPECT_EQ(ds->FindField("qty")->AsInteger(), 1);
  EXPECT_EQ(ds->Fields()[1]->AsInteger(), 2);
  EXPECT_EQ(ds->FindField("missing"), nullptr);
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("missing"); }), "EDatabaseError: Field 'missing' not found");
}

// --- bookmarks --------------------------------------------------------------------------------

TEST(DataSetBookmarks, SurviveInsertsAndDeletesOfOtherRecords) {
  auto ds = Numbered(5);
  ds->SetRecNo(4);
  const TBookmark b4 = ds->Bookmark();
  ds->First();
  const TBookmark b1 = ds->Bookmark();
  ds->Insert();
  ds->FieldByName("Id")->SetAsInteger(0);
  ds->Post();
  ds->SetRecNo(3);  // r2
  ds->Delete();
  ds->Append();
  ds->FieldByName("Id")->SetAsInteger(6);
  ds->Post();
  EXPECT_EQ(Ids(*ds), "0,1,3,4,5,6");
  ASSERT_TRUE(ds->BookmarkValid(b4));
  ds->GotoBookmark(b4);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 4);
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_LT(ds->CompareBookmarks(b1, b4), 0);
  EXPECT_GT(ds->CompareBookmarks(b4, b1), 0);
  EXPECT_EQ(ds->CompareBookmarks(b4, ds->Bookmark()), 0);
  EXPECT_LT(ds->CompareBookmarks("", b1), 0);
}

TEST(DataSetBookmarks, DeletedOrFilteredRecordIsNotFound) {
  auto ds = Numbered(3);
  ds->Next();
  const TBookmark b = ds->Bookmark();
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(b));
  EXPECT_EQ(ErrorOf([&] { ds->GotoBookmark(b); }), "EDatabaseError: Record not found");
  ds->First();
  const TBookmark first = ds->Bookmark();
  ds->SetFilter("Id > 1");
  ds->SetFiltered(true);
  EXPECT_FALSE(ds->BookmarkValid(first));
  EXPECT_FALSE(ds->BookmarkValid("garbage"));
  EXPECT_FALSE(ds->BookmarkValid("#99999999999999999999999"));
  ds->SetFiltered(false);
  EXPECT_TRUE(ds->BookmarkValid(first));
}

TEST(DataSetBookmarks, NoBookmarkWhileInserting) {
  auto ds = Numbered(2);
  ds->Insert();
  EXPECT_EQ(ds->Bookmark(), "");
  EXPECT_FALSE(ds->BookmarkAvailable());
  EXPECT_EQ(ds->RecNo(), -1);
}

// --- Locate and Lookup -------------------------------------------------------------------------

std::unique_ptr<TClientDataSet> People() {
  return MakeDataSet({Col("Code", ftString, 10), Col("Name", ftString, 20), Col("Age", ftInteger)},
                     {{Variant("A01"), Variant("Zhang San"), Variant(30)},
                      {Variant("a02"), Variant("李四"), Variant(41)},
                      {Variant("B01"), Variant("zhang wei"), Variant(30)},
                      {Variant("B02"), Variant::Null(), Variant::Null()}});
}

struct LocateCase {
  const char* fields;
  Variant values;
  TLocateOptions options;
  int recNo;  // 0: not found
};

TEST(DataSetLocate, OptionsTable) {
  const LocateCase cases[] = {
      {"Code", Variant("B01"), 0, 3},
      {"code", Variant("b01"), 0, 0},
      {"Code", Variant("b01"), loCaseInsensitive, 3},
      {"Name", Variant("zhang"), 0, 0},
      {"Name", Variant("zhang"), loPartialKey, 3},
      {"Name", Variant("zhang"), loPartialKey | loCaseInsensitive, 1},
      {"Name", Variant("李"), loPartialKey, 2},
      {"Age", Variant(41), 0, 2},
      {"Age", Variant("41"), 0, 2},
      {"Age", Variant("x"), 0, 0},
      {"Age", Variant::Null(), 0, 4},
      {"Name;Age", VarArrayOf({Variant("zhang wei"), Variant(30)}), 0, 3},
      {"Name;Age", VarArrayOf({Variant("zhang wei"), Variant(31)}), 0, 0},
  };
  for (const LocateCase& c : cases) {
    auto ds = People();
    ds->Last();
    const bool found = ds->Locate(c.fields, c.values, c.options);
    EXPECT_EQ(found, c.recNo != 0) << c.fields << " " << VarToStr(c.values);
    EXPECT_EQ(ds->RecNo(), c.recNo ? c.recNo : 4) << c.fields << " " << VarToStr(c.values);
  }
}

TEST(DataSetLocate, PartialKeyEndsOnACharacterBoundary) {
  // The first byte alone of a double-byte character is no prefix of a text starting with it.
  auto ds = People();
  const AnsiString li = "李";
  EXPECT_FALSE(ds->Locate("Name", Variant(li.substr(0, 1)), loPartialKey));
}

TEST(DataSetLocate, ValueCountMustMatchTheFields) {
  auto ds = People();
  EXPECT_EQ(ErrorOf([&] { ds->Locate("Name;Age", Variant("x"), 0); }),
            "EDatabaseError: Field count (2) and value count (1) differ");
  EXPECT_EQ(ErrorOf([&] { ds->Locate("Name;Age", VarArrayOf({Variant("x")}), 0); }),
            "EDatabaseError: Field count (2) and value count (1) differ");
  EXPECT_TRUE(ds->Locate("Age", VarArrayOf({Variant(41)}), 0));
}

TEST(DataSetNavigation, PersistentFieldsBindToTheFirstColumnOfTheirName) {
  TClientDataSet ds(nullptr);
  auto* a = new TIntegerField(&ds);
  a->SetFieldName("QTY");
  a->SetDataSet(&ds);
  TDataPacket p;
  p.Fields = {Col("Name", ftString, 5), Col("Qty", ftInteger), Col("qty", ftInteger)};
  p.Rows = {{Variant("a"), Variant(1), Variant(2)}};
  ds.SetData(p);
  EXPECT_EQ(a->AsInteger(), 1);
  EXPECT_EQ(ds.FieldCount(), 1);
  EXPECT_FALSE(ds.DefaultFields());
}

TEST(DataSetLocate, UnknownFieldRaises) {
  auto ds = People();
  EXPECT_EQ(ErrorOf([&] { ds->Locate("Nope", Variant(1), 0); }), "EDatabaseError: Field 'Nope' not found");
}

TEST(DataSetLookup, DoesNotMove) {
  auto ds = People();
  ds->Next();
  EXPECT_EQ(VarToStr(ds->Lookup("Code", Variant("B01"), "Name")), "zhang wei");
  const Variant both = ds->Lookup("Code", Variant("A01"), "Name;Age");
  EXPECT_EQ(VarToStr(both[0]), "Zhang San");
  EXPECT_EQ(both[1].AsInteger(), 30);
  EXPECT_TRUE(ds->Lookup("Code", Variant("none"), "Name").IsNull());
  EXPECT_EQ(ds->RecNo(), 2);
}

// --- calculated and lookup fields -------------------------------------------------------------

TEST(DataSetFields, CalculatedAndLookupFields) {
  auto types = MakeDataSet({Col("TypeId", ftString, 5), Col("TypeName", ftString, 20)},
                           {{Variant("t1"), Variant("衬衫")}, {Variant("t2"), Variant("裤子")}});
  TClientDataSet ds(nullptr);
  auto* qty = new TIntegerField(&ds);
  qty->SetFieldName("Qty");
  qty->SetDataSet(&ds);
  auto* price = new TFloatField(&ds);
  price->SetFieldName("Price");
  price->SetDataSet(&ds);
  auto* type = new TStringField(&ds);
  type->SetFieldName("TypeId");
  type->SetDataSet(&ds);
  auto* amount = new TFloatField(&ds);
  amount->SetFieldName("Amount");
  amount->SetFieldKind(fkCalculated);
  amount->SetDataSet(&ds);
  auto* typeName = new TStringField(&ds);
  typeName->SetFieldName("TypeName");
  typeName->SetFieldKind(fkLookup);
  typeName->SetKeyFields("TypeId");
  typeName->SetLookupDataSet(types.get());
  typeName->SetLookupKeyFields("TypeId");
  typeName->SetLookupResultField("TypeName");
  typeName->SetDataSet(&ds);
  ds.OnCalcFields = [](TDataSet* d) {
    EXPECT_EQ(d->State(), dsCalcFields);
    d->FieldByName("Amount")->SetAsFloat(d->FieldByName("Qty")->AsFloat() * d->FieldByName("Price")->AsFloat());
  };
  ds.CreateDataSet();
  EXPECT_FALSE(ds.DefaultFields());
  ds.Append();
  qty->SetAsInteger(3);
  price->SetAsFloat(2.5);
  type->SetAsString("t2");
  EXPECT_EQ(amount->AsString(), "7.5");  // recalculated on every change while editing
  ds.Post();
  EXPECT_EQ(amount->AsString(), "7.5");
  EXPECT_EQ(typeName->AsString(), "裤子");
  EXPECT_FALSE(amount->CanModify());
  ds.Close();
  EXPECT_EQ(ds.FieldCount(), 5);  // persistent fields stay
}

TEST(DataSetFields, LookupFieldWithoutDefinitionRefusesToOpen) {
  TClientDataSet ds(nullptr);
  ds.FieldDefs().Add("Id", ftInteger);
  auto* look = new TStringField(&ds);
  look->SetFieldName("L");
  look->SetFieldKind(fkLookup);
  look->SetDataSet(&ds);
  auto* id = new TIntegerField(&ds);
  id->SetFieldName("Id");
  id->SetDataSet(&ds);
  EXPECT_EQ(ErrorOf([&] { ds.CreateDataSet(); }),
            "EDatabaseError: Lookup information for field 'L' is incomplete");
  EXPECT_FALSE(ds.Active());
}

// --- controls ------------------------------------------------------------------------------------

TEST(DataSetControls, DisableCountsNesting) {
  auto ds = Numbered(2);
  ds->DisableControls();
  ds->DisableControls();
  ds->EnableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
  ds->EnableControls();  // unbalanced: ignored
  EXPECT_FALSE(ds->ControlsDisabled());
}

TEST(DataSetControls, ExceptionInAnEventLeavesTheDataSetUsable) {
  auto ds = Numbered(3);
  ds->BeforePost = [](TDataSet*) { Abort(); };
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsEdit);
  ds->BeforePost = nullptr;
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "x");
  ds->OnFilterRecord = [](TDataSet*, bool&) { throw EDatabaseError("filter"); };
  EXPECT_THROW(ds->SetFiltered(true), EDatabaseError);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 3);
}

}  // namespace
