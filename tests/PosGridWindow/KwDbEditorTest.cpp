// The data-aware cell editor under Wine, by posted messages, hosted by a test view (a
// panel stands for the grid's window) over a bill dataset and a goods lookup dataset:
// list values reach the field only on the user's accept and once; a data-change notice
// never writes; missing fields and closed lookups raise nothing; the numeric key filter,
// Esc and typing outside a grid.
#include <vector>

#include "KwGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbEditer.h"
#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "db/Field.h"
#include "rtl/PngWriter.h"
#include "tests/support/Screenshot.h"
#include "ui/ExtCtrls.h"

using namespace kwtest;
using namespace uitest;

namespace {

TDataPacket BillPacket() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"GOODSID", ftInteger, 0}, {"QTY", ftFloat, 0}, {"MEMO", ftString, 20}};
  p.Rows = {{Variant(1), Variant(1), Variant(12.0), Variant("旧")},
            {Variant(2), Variant(3), Variant(5.0), Variant("")},
            {Variant(3), Variant(2), Variant(1.0), Variant("")}};
  return p;
}

TDataPacket GoodsPacket() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}};
  p.Rows = {{Variant(1), Variant("苹果")}, {Variant(2), Variant("香蕉")}, {Variant(3), Variant("橙子")}};
  return p;
}

// The data-aware side of a grid's view, over the bill's current field; its window is a
// panel. It records what the editor asks of it.
class TTestDbView : public TkwEmptyDbGridView {
 public:
  TTestDbView(TWinControl* host, TDataSource* goods) : FHost(host), FGoods(goods) {}
  TkwDBGridInplaceEdit* Editor = nullptr;
  TField* Field = nullptr;
  bool ViewReadOnly = false;
  bool LookupColumn = false;
  TEditStyle Style = esPickList;
  TStringList Items;
  int Rows = 0;
  EventLog Log;

  bool Focused() override { return ::GetFocus() == FHost->Handle(); }
  HWND GetHandle() override { return FHost->Handle(); }
  bool HasGrid() override { return true; }
  int Col() override { return 1; }
  int Row() override { return 1; }
  AnsiString GetEditText(int, int) override { return Field ? Field->Text() : AnsiString(); }
  TEditStyle GetEditStyle(int, int) override { return Style; }
  std::shared_ptr<IkwField> GetField() override { return Field ? std::make_shared<TkwField>(Field) : nullptr; }
  TStrings* PickList() override { return &Items; }
  int DropDownRows() override { return Rows; }
  bool ReadOnly() override { return ViewReadOnly; }
  void ClearLookupList() override {
    Log.Add("clear");
    Editor->DataList()->SetListSource(nullptr);
  }
  void AssignEditorFromColumn() override {
    Log.Add("assign");
    Editor->DataList()->SetListSource(FGoods);
    Editor->DataList()->SetListField("NAME");
    Editor->DataList()->SetKeyField("ID");
  }
  void HookEditorEvents() override {
    Log.Add("hook");
    if (LookupColumn) Editor->ActivateDataList();
  }
  void EditButtonClick() override { Log.Add("button"); }

 private:
  TWinControl* FHost;
  TDataSource* FGoods;
};

struct DbEditForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> bill{new TClientDataSet(nullptr)};
  std::unique_ptr<TClientDataSet> goods{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> billSource{new TDataSource(nullptr)};
  std::unique_ptr<TDataSource> goodsSource{new TDataSource(nullptr)};
  TPanel* host;
  TkwDBGridInplaceEdit* editor;
  std::shared_ptr<TTestDbView> view;
  int writes = 0;  // stores into the bill's fields

  // With a view the editor is a grid's; without one it stands alone on the form.
  explicit DbEditForm(bool inGrid) {
    bill->SetData(BillPacket());
    goods->SetData(GoodsPacket());
    billSource->SetDataSet(bill.get());
    goodsSource->SetDataSet(goods.get());
    for (int i = 0; i < bill->Fields().Count(); ++i) bill->Fields()[i]->OnChange = [this](TField*) { ++writes; };
    form->SetBounds(60, 60, 320, 200);
    host = new TPanel(form.get());
    host->SetParent(form.get());
    host->SetBounds(8, 8, 280, 120);
    host->SetTabStop(true);
    editor = new TkwDBGridInplaceEdit(form.get());
    if (inGrid) {
      view = std::make_shared<TTestDbView>(host, goodsSource.get());
      view->Editor = editor;
      view->Items.Add("苹果");
      view->Items.Add("香蕉");
      view->Items.Add("橙子");
      editor->SetGridView(view);
    }
    editor->SetParent(inGrid ? static_cast<TWinControl*>(host) : form.get());
    form->Show();
    Settle();
  }
  ~DbEditForm() {
    form.reset();
    billSource.reset();
    goodsSource.reset();
  }
  // Loads the cell and gives the editor the focus over it.
  void Open() {
    editor->UpdateContents();
    if (view) {
      Focus(host);
      editor->Move(Rect(10, 10, 170, 30));
    } else {
      editor->SetBounds(10, 140, 160, 22);
    }
    Focus(editor);
  }
  void AltDown() {
    HeldKey alt(VK_MENU);
    ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
  }
  AnsiString BillText(const char* name) { return bill->FieldByName(name)->Text(); }
};

}  // namespace

// The pick list comes from the view with its rows; Esc writes nothing; Enter writes the
// chosen item once; choosing the field's own value again writes nothing.
TEST(KwDbEditor, PickListWritesTheFieldOnlyOnAcceptAndOnce) {
  DbEditForm f(true);
  f.view->Field = f.bill->FieldByName("MEMO");
  f.view->Rows = 2;
  f.bill->Edit();
  f.Open();
  ASSERT_EQ(::GetFocus(), f.editor->Handle());
  EXPECT_EQ(f.editor->EditStyle(), esPickList);
  EXPECT_EQ(f.editor->Text(), "旧");
  f.AltDown();
  ASSERT_TRUE(f.editor->ListVisible());
  EXPECT_EQ(f.editor->PickList()->Items()->Count(), 3);
  EXPECT_EQ(f.editor->DropDownRows(), 2);
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(f.editor->ListVisible());
  EXPECT_EQ(f.BillText("MEMO"), "旧");
  EXPECT_EQ(f.writes, 0);
  f.AltDown();
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(f.editor->ListVisible());
  EXPECT_EQ(f.BillText("MEMO"), "香蕉");
  EXPECT_EQ(f.editor->Text(), "香蕉");
  EXPECT_EQ(f.writes, 1);
  f.AltDown();
  PostKey(VK_RETURN);
  EXPECT_EQ(f.writes, 1);
}

// Regression: a field that went away while the list was open was written through a null
// interface.
TEST(KwDbEditor, FaultAcceptWithoutAFieldReachedANullField) {
  DbEditForm f(true);
  f.view->Field = f.bill->FieldByName("MEMO");
  f.bill->Edit();
  f.Open();
  f.AltDown();
  ASSERT_TRUE(f.editor->ListVisible());
  f.view->Field = nullptr;
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(f.editor->ListVisible());
  EXPECT_EQ(f.BillText("MEMO"), "旧");
  EXPECT_EQ(f.writes, 0);
}

// The view decides: read-only, no field, or a field that cannot change: no list.
TEST(KwDbEditor, CanModifyAsksTheViewsFieldInAGrid) {
  DbEditForm f(true);
  f.Open();
  EXPECT_FALSE(f.editor->CanModify());  // no field
  f.view->Field = f.bill->FieldByName("MEMO");
  EXPECT_TRUE(f.editor->CanModify());
  f.view->ViewReadOnly = true;
  EXPECT_FALSE(f.editor->CanModify());
  f.AltDown();
  EXPECT_FALSE(f.editor->ListVisible());
  f.view->ViewReadOnly = false;
  f.bill->FieldByName("MEMO")->SetReadOnly(true);
  EXPECT_FALSE(f.editor->CanModify());
}

namespace {

// A lookup column in a grid: the bill's GOODSID shows the goods' NAME.
void BindLookup(DbEditForm& f) {
  f.view->LookupColumn = true;
  f.view->Field = f.bill->FieldByName("GOODSID");
  f.editor->SetUseDataList(true);
  f.editor->SetDataSource(f.billSource.get());
  f.editor->SetEditFieldName("GOODSID");
  f.editor->SetListSource(f.goodsSource.get());
  f.editor->SetKeyFieldNames("ID");
  f.editor->SetListFieldName("NAME");
}

}  // namespace

// Regression: a data-change notice (scrolling the bill) wrote the lookup value into the
// field, modifying a record nobody edited (or raising outside edit mode). Now it only
// refreshes the lookup value and text.
TEST(KwDbEditor, FaultADataChangeNoticeWroteTheField) {
  DbEditForm f(true);
  BindLookup(f);
  f.Open();
  EXPECT_EQ(f.editor->ActiveList(), f.editor->DataList());
  f.bill->Next();
  EXPECT_EQ(f.bill->State(), dsBrowse);
  EXPECT_EQ(f.writes, 0);
  EXPECT_EQ(VarToStr(f.editor->LookupValue()), "3");
  EXPECT_EQ(f.editor->LookupText(), "橙子");
  f.bill->Next();
  EXPECT_EQ(f.editor->LookupText(), "香蕉");
  EXPECT_EQ(f.bill->State(), dsBrowse);
  EXPECT_EQ(f.writes, 0);
}

// The lookup list shows the goods' names; Enter writes the chosen key once (the write's
// own notice does not write again) and the editor shows the cell's text again, Esc
// writes nothing.
TEST(KwDbEditor, LookupListWritesTheChosenKeyOnce) {
  DbEditForm f(true);
  BindLookup(f);
  f.bill->Edit();
  f.Open();
  f.AltDown();
  ASSERT_TRUE(f.editor->ListVisible());
  TPopupDataList* list = f.editor->DataList();
  ASSERT_EQ(list->Items()->Count(), 3);
  EXPECT_EQ(list->Items()->Strings(1), "香蕉");
  EXPECT_EQ(list->ItemIndex(), 0);  // the bill's goods 1
  {
    TBitmap shot;
    RenderControl(list, shot, false);
    png::WriteFile(std::string("Z:") + POS_BINARY_DIR + "/kw-db-editor-lookup.png", shot.Width(), shot.Height(),
                   shot.PixelsRGB());
  }
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.writes, 0);
  EXPECT_EQ(f.BillText("GOODSID"), "1");
  f.AltDown();
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.BillText("GOODSID"), "2");
  EXPECT_EQ(f.writes, 1);
  EXPECT_EQ(f.editor->Text(), "2");  // the cell's text as the view gives it: the key
  EXPECT_EQ(f.view->Log.Str(), "hook assign clear assign clear");
  EXPECT_FALSE(f.goods->ControlsDisabled());
}

// Regression: typing a goods name's first character in the open lookup list searched for
// its lead byte alone and found nothing; the whole character finds the goods.
TEST(KwDbEditor, FaultChineseTypeAheadInTheLookupListFoundNothing) {
  DbEditForm f(true);
  BindLookup(f);
  f.bill->Edit();
  f.Open();
  f.AltDown();
  ASSERT_TRUE(f.editor->ListVisible());
  PostChar(L'橙');
  EXPECT_EQ(f.editor->DataList()->ItemIndex(), 2);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.BillText("GOODSID"), "3");
  EXPECT_EQ(f.editor->Text(), "3");
}

// Closing the lookup dataset, or names that are empty or unknown, give no field and
// raise nothing.
TEST(KwDbEditor, ClosedLookupsAndMissingNamesGiveNoField) {
  DbEditForm f(true);
  BindLookup(f);
  EXPECT_EQ(f.editor->ListField(), f.goods->FieldByName("NAME"));
  EXPECT_EQ(f.editor->EditField(), f.bill->FieldByName("GOODSID"));
  EXPECT_NO_THROW(f.goods->Close());
  EXPECT_EQ(f.editor->ListField(), nullptr);
  EXPECT_EQ(f.editor->KeyField(), nullptr);
  EXPECT_FALSE(f.editor->SetKeyValue(Variant(1)));
  EXPECT_NO_THROW(f.bill->Next());
  EXPECT_NO_THROW(f.editor->SetEditFieldName(""));
  EXPECT_EQ(f.editor->EditField(), nullptr);
  EXPECT_NO_THROW(f.editor->SetEditFieldName("NOPE"));
  EXPECT_EQ(f.editor->EditField(), nullptr);
  EXPECT_NO_THROW(f.goods->SetData(GoodsPacket()));  // open again
  EXPECT_EQ(f.editor->ListField(), f.goods->FieldByName("NAME"));
}

// Outside a grid: a number's sign only at the start and once, one decimal point, none in
// an integer field.
TEST(KwDbEditor, NumericKeyFilterOutsideAGrid) {
  DbEditForm f(false);
  f.editor->SetDataSource(f.billSource.get());
  f.editor->SetEditFieldName("QTY");
  f.Open();
  ASSERT_EQ(::GetFocus(), f.editor->Handle());
  EXPECT_FALSE(f.editor->ReadOnly());
  f.editor->SetText("12");
  f.editor->SetSelStart(2);
  PostChar(L'-');
  EXPECT_EQ(f.editor->Text(), "12");
  f.editor->SetSelStart(0);
  PostChar(L'-');
  EXPECT_EQ(f.editor->Text(), "-12");
  f.editor->SetSelStart(0);
  PostChar(L'+');
  EXPECT_EQ(f.editor->Text(), "-12");
  f.editor->SetSelStart(3);
  PostChar(L'.');
  PostChar(L'5');
  PostChar(L'.');
  EXPECT_EQ(f.editor->Text(), "-12.5");
  f.editor->SetEditFieldName("GOODSID");
  f.editor->SetText("7");
  f.editor->SetSelStart(1);
  PostChar(L'.');
  EXPECT_EQ(f.editor->Text(), "7");
}

// Outside a grid with an active link: typing puts the dataset in edit mode and marks the
// text modified; Esc gives the typed text up (the field's text back, all selected).
TEST(KwDbEditor, EscDiscardsTypedTextAndTypingEdits) {
  DbEditForm f(false);
  f.editor->SetDataSource(f.billSource.get());
  f.editor->SetEditFieldName("MEMO");
  f.Open();
  f.editor->SetText(f.BillText("MEMO"));
  f.editor->SetModified(false);
  f.editor->SetSelStart(2);  // after the first letter (GBK bytes)
  TypeText(L"新x");
  EXPECT_EQ(f.editor->Text(), "旧新x");
  EXPECT_TRUE(f.editor->Modified());
  EXPECT_EQ(f.bill->State(), dsEdit);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.editor->Text(), "旧");
  EXPECT_FALSE(f.editor->Modified());
  EXPECT_EQ(f.editor->SelLength(), 2);
  EXPECT_EQ(f.writes, 0);
}

// Outside a grid nothing to edit makes the editor read-only when it is entered.
TEST(KwDbEditor, WithoutAFieldTheEditorIsReadOnlyOnEnter) {
  DbEditForm f(false);
  f.Open();
  EXPECT_FALSE(f.editor->CanModify());
  EXPECT_TRUE(f.editor->ReadOnly());
  EXPECT_TRUE(f.editor->EditorFocused());
  f.editor->SetDataSource(f.billSource.get());
  f.editor->SetEditFieldName("MEMO");
  Focus(f.host);
  EXPECT_FALSE(f.editor->EditorFocused());
  Focus(f.editor);
  EXPECT_FALSE(f.editor->ReadOnly());
}
