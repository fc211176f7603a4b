// Drop-down lists in the data-aware grid under Wine, by posted input: a pick-list column
// and a lookup column edit through the grid's data-aware editor (the list opened by
// Alt+Down or the button), the chosen value lands in the field once and is posted as it
// is; the editor's lists and buttons follow the current column; keys a field refuses are
// not typed, a typed key is; the editor of a lookup column shows its key after a choice.
#include <functional>

#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbEditer.h"
#include "db/Field.h"
#include "db/FieldClasses.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/ExtCtrls.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

TDataPacket BillRows() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"GOODSID", ftInteger, 0}, {"PAY", ftString, 10}, {"QTY", ftFloat, 0}};
  p.Rows = {{Variant(1), Variant(1), Variant("现金"), Variant(2.0)},
            {Variant(2), Variant(3), Variant(""), Variant(5.0)},
            {Variant(3), Variant(2), Variant("刷卡"), Variant(1.0)}};
  return p;
}

TDataPacket LookupGoods() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}};
  p.Rows = {{Variant(1), Variant("苹果")}, {Variant(2), Variant("香蕉")}, {Variant(3), Variant("橙子")}};
  return p;
}

// A bill grid: ID, GOODSID shown through the goods' NAME (lookup column), PAY with a
// pick list, QTY.
struct ListGrid {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> bill{new TClientDataSet(nullptr)};
  std::unique_ptr<TClientDataSet> goods{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> billSource{new TDataSource(nullptr)};
  std::unique_ptr<TDataSource> goodsSource{new TDataSource(nullptr)};
  TkwCustomDBGrid* grid;
  TkwColumn* goodsCol;
  TkwColumn* payCol;
  TkwColumn* qtyCol;
  int writes = 0;  // stores into the bill's fields

  ListGrid() {
    bill->SetData(BillRows());
    goods->SetData(LookupGoods());
    billSource->SetDataSet(bill.get());
    goodsSource->SetDataSet(goods.get());
    for (int i = 0; i < bill->Fields().Count(); ++i) bill->Fields()[i]->OnChange = [this](TField*) { ++writes; };
    form->SetBounds(60, 60, 480, 260);
    grid = new TkwCustomDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 440, 190);
    grid->Columns()->Add()->SetFieldName("ID");
    goodsCol = grid->Columns()->Add();
    goodsCol->SetFieldName("GOODSID");
    goodsCol->SetButtonStyle(gcbsLookupList);
    goodsCol->SetLookupSource(goodsSource.get());
    goodsCol->SetKeyField("ID");
    goodsCol->SetListField("NAME");
    payCol = grid->Columns()->Add();
    payCol->SetFieldName("PAY");
    payCol->SetButtonStyle(gcbsLookupList);
    payCol->PickList()->Add("现金");
    payCol->PickList()->Add("刷卡");
    payCol->PickList()->Add("赊账");
    qtyCol = grid->Columns()->Add();
    qtyCol->SetFieldName("QTY");
    grid->SetDataSource(billSource.get());
    form->Show();
    Settle();
    Focus(grid);
  }
  ~ListGrid() {
    form.reset();
    billSource.reset();
    goodsSource.reset();
  }
  TkwDBGridInplaceEdit* Editor() { return dynamic_cast<TkwDBGridInplaceEdit*>(grid->InplaceEditor()); }
  // The editor over column dataCol of the focused row, by F2.
  TkwDBGridInplaceEdit* Edit(int dataCol) {
    grid->SetCol(grid->DataToRawColumn(dataCol));
    Pump();
    PostKey(VK_F2);
    return Editor();
  }
  void AltDown() {
    HeldKey alt(VK_MENU);
    ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
  }
  void ClickButton() {
    const TRect r = Editor()->ButtonRect();
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(Editor()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(Editor()->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  AnsiString Text(int recNo, const char* field) {
    bill->SetRecNo(recNo);
    return bill->FieldByName(field)->Text();
  }
};

}  // namespace

TEST(KwDbGridLists, PickListColumnWritesTheChosenItemOnceAndPostsIt) {
  ListGrid f;
  TkwDBGridInplaceEdit* editor = f.Edit(2);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditStyle(), esPickList);
  EXPECT_EQ(editor->Text(), "现金");
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->ActiveList(), editor->PickList());
  EXPECT_EQ(editor->PickList()->Items()->Count(), 3);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(f.bill->FieldByName("PAY")->Text(), "赊账");
  EXPECT_EQ(editor->Text(), "赊账");
  EXPECT_EQ(f.writes, 1);
  PostKey(VK_DOWN);  // to the next row: the record is posted as it is
  EXPECT_EQ(f.bill->State(), dsBrowse);
  EXPECT_EQ(f.grid->FocusedRowIndex(), 1);
  EXPECT_EQ(f.writes, 1);
  EXPECT_EQ(f.Text(1, "PAY"), "赊账");
}

// The lookup list shows the goods' names and opens on the cell's key; the key chosen is
// written once and posted as it is (the editor shows the key's text again, never the
// name, so the post has nothing else to write).
TEST(KwDbGridLists, LookupColumnWritesTheChosenKeyOnceAndPostsIt) {
  ListGrid f;
  TkwDBGridInplaceEdit* editor = f.Edit(1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditStyle(), esPickList);
  EXPECT_EQ(editor->ActiveList(), editor->DataList());
  EXPECT_EQ(editor->Text(), "1");  // the key's text
  f.ClickButton();
  ASSERT_TRUE(editor->ListVisible());
  ASSERT_NE(editor->DataList(), nullptr);
  ASSERT_EQ(editor->DataList()->Items()->Count(), 3);
  EXPECT_EQ(editor->DataList()->Items()->Strings(2), "橙子");
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(f.writes, 0);
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(f.bill->FieldByName("GOODSID")->AsInteger(), 2);
  EXPECT_EQ(editor->Text(), "2");  // the key's text again
  EXPECT_EQ(f.writes, 1);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.bill->State(), dsBrowse);
  EXPECT_EQ(f.grid->FocusedRowIndex(), 1);
  EXPECT_EQ(f.writes, 1);
  EXPECT_EQ(f.Text(1, "GOODSID"), "2");
  EXPECT_FALSE(f.goods->ControlsDisabled());
}

// The editor's list, style and button follow the current column.
TEST(KwDbGridLists, EditorListsFollowTheColumn) {
  ListGrid f;
  int clicks = 0;
  f.qtyCol->SetButtonStyle(gcbsEllipsis);
  f.qtyCol->OnEditButtonClick = [&](TObject* s) { clicks += s == f.qtyCol; };
  TkwDBGridInplaceEdit* editor = f.Edit(1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->ActiveList(), editor->DataList());
  PostKey(VK_TAB);  // to PAY
  PostKey(VK_F2);
  EXPECT_EQ(f.grid->SelectedColumn(), f.payCol);
  EXPECT_EQ(editor->EditStyle(), esPickList);
  EXPECT_EQ(editor->ActiveList(), editor->PickList());
  f.ClickButton();
  EXPECT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->PickList()->Items()->Strings(1), "刷卡");
  PostKey(VK_ESCAPE);
  PostKey(VK_TAB);  // to QTY: an ellipsis button, no list
  PostKey(VK_F2);
  EXPECT_EQ(editor->EditStyle(), esEllipsis);
  EXPECT_EQ(editor->ActiveList(), nullptr);
  f.ClickButton();
  EXPECT_EQ(clicks, 1);
  f.AltDown();
  EXPECT_FALSE(editor->ListVisible());
  // A read-only column drops nothing.
  f.payCol->SetReadOnly(true);
  PostKey(VK_ESCAPE);
  f.Edit(2);
  EXPECT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(editor->EditStyle(), esSimple);
  f.AltDown();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(f.writes, 0);
}

// Letters are not typed into numbers, nor anything into a check-box column; a sign
// only leads a number.
TEST(KwDbGridLists, KeysTheFieldRefusesAreNotTyped) {
  ListGrid f;
  f.grid->SetCol(f.grid->DataToRawColumn(3));
  Pump();
  TypeText(L"a7x.5.");
  ASSERT_NE(f.Editor(), nullptr);
  EXPECT_EQ(f.Editor()->Text(), "7.5");
  TypeText(L"-");
  EXPECT_EQ(f.Editor()->Text(), "7.5");
  PostKey(VK_DOWN);
  EXPECT_EQ(f.grid->GetCellValue(f.qtyCol, 0).AsDouble(), 7.5);
  f.grid->SetCol(f.grid->DataToRawColumn(1));
  Pump();
  TypeText(L"9.b");  // an integer key: no point, no letters
  EXPECT_EQ(f.Editor()->Text(), "9");
  PostKey(VK_UP);  // a key typed into a lookup column is written as typed
  EXPECT_EQ(f.grid->GetCellValue(f.goodsCol, 1).AsInteger(), 9);
  f.qtyCol->SetButtonStyle(gcbsCheckBox);
  Pump();
  f.grid->SetCol(f.grid->DataToRawColumn(3));
  Pump();
  TypeText(L"5");
  EXPECT_EQ(f.bill->State(), dsBrowse);
  EXPECT_EQ(f.grid->GetCellValue(f.qtyCol, 0).AsDouble(), 7.5);
  EXPECT_EQ(f.writes, 2);
}

// The view is its controller's view while both live, and answers for the current column.
TEST(KwDbGridLists, TheViewIsTheControllersView) {
  ListGrid f;
  TkwCustomDbGridView& view = f.grid->DbView();
  ASSERT_NE(f.grid->GridController(), nullptr);
  EXPECT_EQ(f.grid->GridController()->View(), static_cast<IkwDbGridView*>(&view));
  f.grid->SetCol(f.grid->DataToRawColumn(1));
  ASSERT_NE(view.GetField(), nullptr);
  EXPECT_EQ(view.GetField()->FieldName(), "GOODSID");
  EXPECT_EQ(view.GetDisplayText(f.goodsCol->DbField()), "苹果");
  EXPECT_EQ(view.GetValue(f.goodsCol->DbField()).AsInteger(), 1);
}

// A lookup field of the bill (GOODSNAME over GOODSID) drops the goods' names, opened on
// the record's goods; the choice is written to the key field, once, and posted; nothing
// is typed into the lookup field.
TEST(KwDbGridLists, LookupFieldDropsItsDatasetAndWritesTheKeyField) {
  TClientDataSet goods(nullptr), bill(nullptr);
  TDataSource source(nullptr);
  goods.SetData(LookupGoods());
  auto add = [&bill](TField* f, const char* name) {
    f->SetFieldName(name);
    f->SetDataSet(&bill);
    return f;
  };
  add(new TIntegerField(&bill), "ID");
  TField* key = add(new TIntegerField(&bill), "GOODSID");
  TField* name = add(new TStringField(&bill), "GOODSNAME");
  name->SetSize(20);
  name->SetFieldKind(fkLookup);
  name->SetKeyFields("GOODSID");
  name->SetLookupDataSet(&goods);
  name->SetLookupKeyFields("ID");
  name->SetLookupResultField("NAME");
  int writes = 0;
  key->OnChange = [&](TField*) { ++writes; };
  TDataPacket rows;
  rows.Fields = {{"ID", ftInteger, 0}, {"GOODSID", ftInteger, 0}};
  rows.Rows = {{Variant(1), Variant(3)}, {Variant(2), Variant(1)}};
  bill.SetData(rows);
  source.SetDataSet(&bill);
  TForm form(nullptr);  // goes first: the grid before its dataset
  form.SetBounds(60, 60, 360, 200);
  auto* grid = new TkwCustomDBGrid(&form);
  grid->SetParent(&form);
  grid->SetBounds(8, 8, 320, 140);
  grid->Columns()->Add()->SetFieldName("ID");
  TkwColumn* column = grid->Columns()->Add();
  column->SetFieldName("GOODSNAME");
  column->SetButtonStyle(gcbsLookupList);
  grid->SetDataSource(&source);
  form.Show();
  Settle();
  Focus(grid);
  grid->SetCol(grid->DataToRawColumn(1));
  PostKey(VK_F2);
  auto* editor = dynamic_cast<TkwDBGridInplaceEdit*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Text(), "橙子");
  TypeText(L"x");
  EXPECT_EQ(editor->Text(), "橙子");
  HeldKey alt(VK_MENU);
  ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
  Pump();
  ASSERT_TRUE(editor->ListVisible());
  ASSERT_EQ(editor->DataList()->Items()->Count(), 3);
  EXPECT_EQ(editor->DataList()->ItemIndex(), 2);
  PostKey(VK_UP);
  PostKey(VK_RETURN);
  EXPECT_EQ(key->AsInteger(), 2);
  EXPECT_EQ(writes, 1);
  PostKey(VK_DOWN);
  EXPECT_EQ(bill.State(), dsBrowse);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(grid->GetCellValue(column, 0).AsString(), "香蕉");
  form.Hide();
}

namespace {

TDataPacket LatinGoods() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}};
  p.Rows = {{Variant(1), Variant("Apple")}, {Variant(2), Variant("Banana")}, {Variant(3), Variant("Cherry")},
            {Variant(4), Variant("Cocoa")}};
  return p;
}

}  // namespace

// Regression: keys pressed while a list was open were used up before translation, so
// letters typed on the keyboard never searched the lookup list or the pick list.
TEST(KwDbGridLists, FaultKeysTypedIntoTheOpenListsNeverSearchedThem) {
  ListGrid f;
  f.goods->SetData(LatinGoods());
  TkwDBGridInplaceEdit* editor = f.Edit(1);
  ASSERT_NE(editor, nullptr);
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  TPopupDataList* lookup = editor->DataList();
  ASSERT_NE(lookup, nullptr);
  DWORD now = 10000;
  lookup->TickCount = [&] { return now; };
  std::string seen = std::to_string(lookup->ItemIndex());
  for (WORD vk : std::initializer_list<WORD>{'C', 'O', VK_BACK, 'B'}) {
    PostKey(vk);
    seen += " " + std::to_string(lookup->ItemIndex());
  }
  EXPECT_EQ(seen, "0 2 3 3 1");
  EXPECT_EQ(editor->Text(), "1");
  PostKey(VK_RETURN);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(f.bill->FieldByName("GOODSID")->AsInteger(), 2);
  EXPECT_EQ(f.writes, 1);
  // The pick list of the next column.
  f.payCol->PickList()->Clear();
  for (const char* s : {"Cash", "Card", "Credit"}) f.payCol->PickList()->Add(s);
  editor = f.Edit(2);
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  editor->PickList()->TickCount = [&] { return now; };
  seen.clear();
  for (WORD vk : {'C', 'R'}) {
    PostKey(vk);
    seen += std::string(editor->PickList()->SearchText().c_str()) + std::to_string(editor->PickList()->ItemIndex());
  }
  EXPECT_EQ(seen, "c0cr2");
  PostKey(VK_RETURN);
  EXPECT_EQ(f.bill->FieldByName("PAY")->Text(), "Credit");
  EXPECT_EQ(f.writes, 2);
}

// Regression: a press on a control that takes no focus left the lookup list open; it
// closes without taking the item under the selection.
TEST(KwDbGridLists, FaultAPressElsewhereLeftTheLookupListOpen) {
  ListGrid f;
  auto* panel = new TPanel(f.form.get());
  panel->SetParent(f.form.get());
  panel->SetBounds(8, 202, 200, 20);
  TkwDBGridInplaceEdit* editor = f.Edit(1);
  ASSERT_NE(editor, nullptr);
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  PostKey(VK_DOWN);
  ASSERT_EQ(editor->DataList()->ItemIndex(), 1);
  ::PostMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_FALSE(::IsWindowVisible(editor->DataList()->Handle()));
  EXPECT_EQ(f.bill->FieldByName("GOODSID")->AsInteger(), 1);
  EXPECT_EQ(editor->Text(), "1");
  EXPECT_EQ(f.writes, 0);
  EXPECT_EQ(::GetFocus(), editor->Handle());
}

// Regression: choosing again the key a lookup cell already had put the goods' name into
// its editor, which shows the key, and nothing told the grid: Tab handed the name to the
// next column as if typed there (stored in PAY), Enter and a click on another row raised
// a conversion error (and the click went nowhere), and a digit typed after it made a
// key no field takes (a digit is typed after the key).
TEST(KwDbGridLists, FaultTheKeyChosenAgainLeftTheNameInTheLookupEditor) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ListGrid f;
  struct Way {
    const char* name;
    std::function<void()> leave;
  };
  const Way ways[] = {
      {"Tab, Down", [] {
         PostKey(VK_TAB);
         PostKey(VK_DOWN);
       }},
      {"Enter, Down", [] {
         PostKey(VK_RETURN);
         PostKey(VK_DOWN);
       }},
      {"a click on the next row", [&f] {
         const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(3), f.grid->TitleOffset() + 1);
         const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
         ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
         ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, at);
         Pump();
       }},
      {"3 typed, Down", [] {
         PostKey('3');
         PostKey(VK_DOWN);
       }},
  };
  std::string got, want;
  for (const Way& way : ways) {
    f.grid->DbView().SetRecNo(1);
    f.grid->UpdateActive();
    Pump();
    f.writes = 0;
    script.ClearAsked();
    TkwDBGridInplaceEdit* editor = f.Edit(1);
    ASSERT_NE(editor, nullptr);
    f.AltDown();
    ASSERT_TRUE(editor->ListVisible());
    ASSERT_EQ(editor->DataList()->ItemIndex(), 0);  // the goods 1 the cell has
    PostKey(VK_RETURN);
    got += std::string(way.name) + ": editor " + std::string(editor->Text());
    way.leave();
    std::string boxes;
    for (const auto& asked : script.Asked()) boxes += "[" + std::string(asked.Text) + "]";
    got += ", row " + std::to_string(f.grid->FocusedRowIndex());
    got += ", " + std::string(f.Text(1, "GOODSID")) + "/" + std::string(f.Text(1, "PAY")) + ", writes " + std::to_string(f.writes) + ", boxes " + boxes + "\n";
    const bool typed = way.name[0] == '3';
    want += std::string(way.name) + ": editor 1, row 1, " + (typed ? "13" : "1") + "/现金, writes " + (typed ? "1" : "0") +
            ", boxes \n";
  }
  EXPECT_EQ(got, want);
}
