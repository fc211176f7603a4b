// The grid's filter dialog.
#include "fukvGridFilter.h"

#include "ui/Forms.h"

namespace {

template <typename C>
C* Place(TWinControl* parent, TComponent* owner, int l, int t, int w, int h) {
  auto* c = new C(owner);  // owned by the form
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

TLabel* PlaceLabel(TWinControl* parent, TComponent* owner, int l, int t, const char* caption) {
  TLabel* label = Place<TLabel>(parent, owner, l, t, 60, 14);
  label->SetCaption(caption);
  return label;
}

}  // namespace

TfmGridFilter::TfmGridFilter(TComponent* AOwner) : TkwDialog(AOwner) {
  using namespace kw_filter_dialog;
  SetName("fmGridFilter");
  SetCaption(kw_filter_dialog::Caption);
  SetBounds(0, 0, 306, 289);
  Label3 = PlaceLabel(this, this, 16, 18, ColumnLabel);
  cbbFilter = Place<TComboBox>(this, this, 84, 14, 196, 20);
  cbbFilter->SetStyle(csDropDownList);
  cbbFilter->OnChange = [this](TObject* s) { cbbFilterChange(s); };

  // The three condition panels lie on top of each other; one is visible.
  const auto panel = [this] {
    TPanel* p = Place<TPanel>(this, this, 16, 44, 264, 84);
    p->SetBevelOuter(bvLowered);
    return p;
  };
  pnlTextCondition = panel();
  Label4 = PlaceLabel(pnlTextCondition, this, 8, 8, ConditionCaption);
  edtFilter = Place<TEdit>(pnlTextCondition, this, 8, 28, 172, 21);
  chkLike = Place<TCheckBox>(pnlTextCondition, this, 192, 30, 60, 17);
  chkLike->SetCaption(LikeCaption);

  pnlNumericCondition = panel();
  Label1 = PlaceLabel(pnlNumericCondition, this, 8, 8, ConditionCaption);
  Label5 = PlaceLabel(pnlNumericCondition, this, 8, 32, MinLabel);
  edtMin = Place<TEdit>(pnlNumericCondition, this, 72, 28, 180, 21);
  Label6 = PlaceLabel(pnlNumericCondition, this, 8, 58, MaxLabel);
  edtMax = Place<TEdit>(pnlNumericCondition, this, 72, 54, 180, 21);

  pnlDatetimeCondition = panel();
  Label2 = PlaceLabel(pnlDatetimeCondition, this, 8, 8, ConditionCaption);
  Labeldatebegin = PlaceLabel(pnlDatetimeCondition, this, 8, 32, BeginLabel);
  dtpBegin = Place<TDateTimePicker>(pnlDatetimeCondition, this, 72, 28, 180, 21);
  Labeldateend = PlaceLabel(pnlDatetimeCondition, this, 8, 58, EndLabel);
  dtpEnd = Place<TDateTimePicker>(pnlDatetimeCondition, this, 72, 54, 180, 21);

  rgFilterRange = Place<TRadioGroup>(this, this, 16, 136, 264, 80);
  rgFilterRange->SetCaption(ConditionCaption);
  for (const char* item : RangeItems) rgFilterRange->AddItem(item);
  rgFilterRange->SetItemIndex(frFromAll);
  btnFilter = Place<TButton>(this, this, 124, 224, 75, 25);
  btnFilter->SetCaption(OkCaption);
  btnFilter->SetDefault(true);
  btnFilter->OnClick = [this](TObject* s) { btnFilterClick(s); };
  btnCancel = Place<TButton>(this, this, 205, 224, 75, 25);
  btnCancel->SetCaption(CancelCaption);
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
  for (TWinControl* c : std::initializer_list<TWinControl*>{cbbFilter, edtFilter, chkLike, edtMin, edtMax, dtpBegin,
                                                            dtpEnd, btnFilter, btnCancel})
    c->SetTabStop(true);
  cbbFilterChange(nullptr);
}

void TfmGridFilter::AddColumn(const AnsiString& caption, IkwColumn* column) {
  cbbFilter->Items()->Add(caption);
  FColumns.push_back(column);
}

void TfmGridFilter::ClearColumns() {
  cbbFilter->Items()->Clear();
  FColumns.clear();
  cbbFilterChange(nullptr);
}

IkwColumn* TfmGridFilter::SelectedColumn() const {
  const int item = cbbFilter->ItemIndex();
  if (item < 0 || item >= static_cast<int>(FColumns.size())) return nullptr;
  return FColumns[static_cast<size_t>(item)];
}

void TfmGridFilter::cbbFilterChange(TObject*) {
  const TkwFilterConditionKind kind = ConditionKind();
  pnlTextCondition->SetVisible(kind == fckText);
  pnlNumericCondition->SetVisible(kind == fckNumeric);
  pnlDatetimeCondition->SetVisible(kind == fckDate);
}

TkwFilterInput TfmGridFilter::Input() const {
  TkwFilterInput in;
  in.Text = edtFilter->Text();
  in.Like = chkLike->Checked();
  in.Min = edtMin->Text();
  in.Max = edtMax->Text();
  in.Begin = dtpBegin->Date();
  in.End = dtpEnd->Date();
  return in;
}

void TfmGridFilter::btnFilterClick(TObject* Sender) {
  try {
    // Built before anything changes: a refused OK keeps the last conditions.
    TkwFilterConditions built = BuildFilterConditions(SelectedColumn(), FilterRange(), Input());
    FConditions = std::move(built);
    SetModalResult(mrOk);
  } catch (const EkwFilterValueError& e) {
    (void)e;
    Application->HandleException(this);  // the message; the dialog stays open
  }
}

void TfmGridFilter::Apply(TModalResult result, IkwGridFilter& filter) const {
  if (result != mrOk) return;
  // Nothing selected means nothing to filter on; the grid's filter stays as it is.
  if (FilterRange() != frCancelAll && !SelectedColumn()) return;
  ApplyFilterConditions(filter, SelectedColumn(), FilterRange(), FConditions);
}
