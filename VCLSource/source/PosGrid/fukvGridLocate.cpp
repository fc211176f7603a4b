// The grid's locate dialog.
#include "fukvGridLocate.h"

namespace {

template <typename C>
C* Place(TfmGridLocate* form, int l, int t, int w, int h) {
  auto* c = new C(form);  // owned by the form
  c->SetParent(form);
  c->SetBounds(l, t, w, h);
  return c;
}

}  // namespace

TfmGridLocate::TfmGridLocate(TComponent* AOwner) : TkwDialog(AOwner) {
  SetName("fmGridLocate");
  SetCaption("定位");
  SetBounds(0, 0, 342, 228);
  Label1 = Place<TLabel>(this, 16, 18, 60, 14);
  Label1->SetCaption("选择列名");
  cbbLocate = Place<TComboBox>(this, 84, 14, 144, 20);
  cbbLocate->SetStyle(csDropDownList);
  Label2 = Place<TLabel>(this, 16, 48, 60, 14);
  Label2->SetCaption("查找内容");
  edtLocate = Place<TEdit>(this, 84, 44, 144, 21);
  rgRangeOption = Place<TRadioGroup>(this, 16, 76, 212, 104);
  rgRangeOption->SetCaption("查找范围");
  rgRangeOption->AddItem("全部范围");
  rgRangeOption->AddItem("当前光标向下");
  rgRangeOption->AddItem("当前光标向上");
  rgRangeOption->SetItemIndex(0);
  bbFind = Place<TButton>(this, 244, 14, 75, 25);
  bbFind->SetCaption("查  找");
  bbFind->SetDefault(true);
  bbFind->OnClick = [this](TObject* s) { bbFindClick(s); };
  bbAgain = Place<TButton>(this, 244, 48, 75, 25);
  bbAgain->SetCaption("下一个");
  bbAgain->OnClick = [this](TObject* s) { bbAgainClick(s); };
  bbCancel = Place<TButton>(this, 244, 82, 75, 25);
  bbCancel->SetCaption("取  消");
  bbCancel->SetCancel(true);
  bbCancel->OnClick = [this](TObject* s) { bbCancelClick(s); };
  for (TWinControl* c : std::initializer_list<TWinControl*>{cbbLocate, edtLocate, bbFind, bbAgain, bbCancel})
    c->SetTabStop(true);
}

void TfmGridLocate::AddColumn(const AnsiString& caption, int fieldIndex) {
  cbbLocate->Items()->Add(caption);
  FFieldIndexes.push_back(fieldIndex);
}

void TfmGridLocate::ClearColumns() {
  cbbLocate->Items()->Clear();
  FFieldIndexes.clear();
}

bool TfmGridLocate::Perform(TModalResult result, TkvDataControllerSearch& search) const {
  if (result == kwLocateAgain) return search.SearchNext(rgRangeOption->ItemIndex() != 2);
  if (result != kwLocateFind) return false;
  const int item = cbbLocate->ItemIndex();
  if (item < 0 || item >= static_cast<int>(FFieldIndexes.size())) return false;
  return search.Search(FFieldIndexes[static_cast<size_t>(item)], edtLocate->Text());
}
