// Columns, titles and the font value: appearance, assigned values, options, field
// binding and the parent tree. Values and footers: ukvDbGridsColumnValues.cpp.
#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"

#include <algorithm>
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "db/DataSet.h"
#include "db/Field.h"
#include "rtl/Classes.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/SysUtils.h"
#include "rtl/PublishedProperties.h"

namespace {

// The grid's layout lock for the scope (nothing without a grid).
auto LayoutScope(IkwColumnsGrid* g) {
  if (g) g->BeginLayout();
  return TkvFinally([g] {
    if (g) g->EndLayout();
  });
}

TkwGridFont& PlainFont() {
  static TkwGridFont font;
  return font;
}

}  // namespace

// --- TkwGridFont ------------------------------------------------------------------------------

void TkwGridFont::Changed() {
  if (OnChange) OnChange();
}
void TkwGridFont::SetName(const AnsiString& v) {
  if (v == FName) return;
  FName = v;
  Changed();
}
void TkwGridFont::SetHeight(int v) {
  if (v == FHeight) return;
  FHeight = v;
  Changed();
}
void TkwGridFont::SetStyle(uint8_t v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TkwGridFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TkwGridFont::SetCharset(uint8_t v) {
  if (v == FCharset) return;
  FCharset = v;
  Changed();
}
bool TkwGridFont::SameAs(const TkwGridFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset;
}
void TkwGridFont::Assign(TPersistent* Source) {
  auto* f = dynamic_cast<TkwGridFont*>(Source);
  if (!f) return TPersistent::Assign(Source);
  if (SameAs(*f)) return;
  FName = f->FName;
  FHeight = f->FHeight;
  FStyle = f->FStyle;
  FColor = f->FColor;
  FCharset = f->FCharset;
  Changed();
}
void TkwGridFont::DefinePublished(TPublishedProperties& P) {
  TPersistent::DefinePublished(P);
  P.AddInteger("Charset", this, &TkwGridFont::Charset, &TkwGridFont::SetCharset).Default(1);
  P.AddInteger("Color", this, &TkwGridFont::Color, &TkwGridFont::SetColor);
  P.AddInteger("Height", this, &TkwGridFont::Height, &TkwGridFont::SetHeight);
  P.AddString("Name", this, &TkwGridFont::Name, &TkwGridFont::SetName);
  P.AddSet("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, this, &TkwGridFont::Style,
           &TkwGridFont::SetStyle)
      .Default(0);
}

// --- TkwColumnTitle ---------------------------------------------------------------------------

TkwColumnTitle::TkwColumnTitle(TkwColumn* column) : FColumn(column) {
  FFont.Assign(const_cast<TkwGridFont*>(&DefaultFont()));
  FFont.OnChange = [this] { FontChanged(); };
}

void TkwColumnTitle::FontChanged() {
  if (FRefreshingFont) return;
  FColumn->Assigned(cvTitleFont);
  FColumn->Relayout();
}

void TkwColumnTitle::RefreshDefaultFont() {
  if (FColumn->IsAssigned(cvTitleFont)) return;
  TkvFlagScope guard(FRefreshingFont);
  FFont.Assign(const_cast<TkwGridFont*>(&DefaultFont()));
}

TAlignment TkwColumnTitle::Alignment() const {
  return FColumn->IsAssigned(cvTitleAlignment) ? FAlignment : DefaultAlignment();
}
void TkwColumnTitle::SetAlignment(TAlignment v) {
  if (FColumn->IsAssigned(cvTitleAlignment) && v == FAlignment) return;
  FAlignment = v;
  FColumn->Assigned(cvTitleAlignment);
  FColumn->ColumnChanged();
}

AnsiString TkwColumnTitle::DefaultCaption() const {
  if (TField* f = FColumn->BoundField()) return f->DisplayName();
  return FColumn->FieldName();
}
AnsiString TkwColumnTitle::Caption() const {
  return FColumn->IsAssigned(cvTitleCaption) ? FCaption : DefaultCaption();
}
void TkwColumnTitle::SetCaption(const AnsiString& v) {
  if (!FColumn->Stored()) {
    if (FColumn->LinkActive() && FColumn->BoundField()) FColumn->BoundField()->SetDisplayLabel(v);
    return;
  }
  if (FColumn->IsAssigned(cvTitleCaption) && v == FCaption) return;
  FCaption = v;
  FColumn->Assigned(cvTitleCaption);
  FColumn->ColumnChanged();
}

TColor TkwColumnTitle::DefaultColor() const {
  IkwColumnsGrid* g = FColumn->Grid();
  return g ? g->FixedColor() : kwcolor::BtnFace;
}
TColor TkwColumnTitle::Color() const { return FColumn->IsAssigned(cvTitleColor) ? FColor : DefaultColor(); }
void TkwColumnTitle::SetColor(TColor v) {
  if (FColumn->IsAssigned(cvTitleColor) && v == FColor) return;
  FColor = v;
  FColumn->Assigned(cvTitleColor);
  FColumn->ColumnChanged();
}

const TkwGridFont& TkwColumnTitle::DefaultFont() const {
  IkwColumnsGrid* g = FColumn->Grid();
  if (g && g->TitleFont()) return *g->TitleFont();
  return *FColumn->Font();
}

bool TkwColumnTitle::IsAlignmentStored() const {
  return FColumn->IsAssigned(cvTitleAlignment) && FAlignment != DefaultAlignment();
}
bool TkwColumnTitle::IsCaptionStored() const {
  return FColumn->IsAssigned(cvTitleCaption) && FCaption != DefaultCaption();
}
bool TkwColumnTitle::IsColorStored() const { return FColumn->IsAssigned(cvTitleColor) && FColor != DefaultColor(); }
bool TkwColumnTitle::IsFontStored() const { return FColumn->IsAssigned(cvTitleFont); }

void TkwColumnTitle::RestoreDefaults() {
  const bool fontAssigned = FColumn->IsAssigned(cvTitleFont);
  for (TkwColumnValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont}) FColumn->Unassigned(v);
  FCaption.clear();
  RefreshDefaultFont();
  if (fontAssigned) FColumn->Relayout();
}

void TkwColumnTitle::Assign(TPersistent* Source) {
  auto* t = dynamic_cast<TkwColumnTitle*>(Source);
  if (!t) return TPersistent::Assign(Source);
  if (t->FColumn->IsAssigned(cvTitleAlignment)) SetAlignment(t->Alignment());
  if (t->FColumn->IsAssigned(cvTitleColor)) SetColor(t->Color());
  if (t->FColumn->IsAssigned(cvTitleCaption)) SetCaption(t->Caption());
  if (t->FColumn->IsAssigned(cvTitleFont)) FFont.Assign(&t->FFont);
}

void TkwColumnTitle::DefinePublished(TPublishedProperties& P) {
  TPersistent::DefinePublished(P);
  P.AddEnumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, this, &TkwColumnTitle::Alignment,
                   &TkwColumnTitle::SetAlignment)
      .Stored([this] { return IsAlignmentStored(); });
  P.AddString("Caption", this, &TkwColumnTitle::Caption, &TkwColumnTitle::SetCaption)
      .Stored([this] { return IsCaptionStored(); });
  P.AddInteger("Color", this, &TkwColumnTitle::Color, &TkwColumnTitle::SetColor)
      .Stored([this] { return IsColorStored(); });
  P.AddClass("Font", this, &TkwColumnTitle::Font).Stored([this] { return IsFontStored(); });
}

// --- TkwColumn: creation ----------------------------------------------------------------------

TkwColumn::TkwColumn(TCollection* collection) : TkwInterfaceCollectionItem(collection) {
  const auto layout = LayoutScope(Grid());
  if (IkwColumnsGrid* g = Grid(); g && g->DataController()) FDbField = g->DataController()->AddField(this, "");
  FFont.Assign(const_cast<TkwGridFont*>(&DefaultFont()));
  FFont.OnChange = [this] { FontChanged(); };
  if (IkwColumnsGrid* g = Grid()) FImeName = g->DefaultImeName();
  FTitle = CreateTitle();
}

TkwColumn::~TkwColumn() {
  if (FParent) {
    auto& siblings = FParent->FChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  for (TkwColumn* child : FChildren) child->FParent = nullptr;
  if (FDbField) {
    if (IkwColumnsGrid* g = Grid(); g && g->DataController()) g->DataController()->RemoveFieldItem(FDbField);
  }
}

IkwColumnsGrid* TkwColumn::Grid() const {
  TkwDBGridColumns* c = Columns();
  return c ? c->Grid() : nullptr;
}
TkwDBGridColumns* TkwColumn::Columns() const { return dynamic_cast<TkwDBGridColumns*>(Collection()); }

bool TkwColumn::LinkActive() const {
  IkwColumnsGrid* g = Grid();
  return g && g->DataLink().Active();
}
TDataSet* TkwColumn::GridDataSet() const {
  IkwColumnsGrid* g = Grid();
  return g ? g->DataLink().DataSet() : nullptr;
}

std::unique_ptr<TkwColumnTitle> TkwColumn::CreateTitle() { return std::make_unique<TkwColumnTitle>(this); }

void TkwColumn::SetOption(TkwColumnOption o, bool on) {
  if (on)
    FColumnOptions = static_cast<TkwColumnOptions>(FColumnOptions | ColumnOption(o));
  else
    FColumnOptions = static_cast<TkwColumnOptions>(FColumnOptions & ~ColumnOption(o));
}

// --- appearance ---------------------------------------------------------------------------------

TAlignment TkwColumn::DefaultAlignment() const { return FField ? FField->Alignment() : taLeftJustify; }
TAlignment TkwColumn::Alignment() const { return IsAssigned(cvAlignment) ? FAlignment : DefaultAlignment(); }
void TkwColumn::SetAlignment(TAlignment v) {
  if (!FStored) {
    if (LinkActive() && FField) FField->SetAlignment(v);
    return;
  }
  if (IsAssigned(cvAlignment) && v == FAlignment) return;
  FAlignment = v;
  Assigned(cvAlignment);
  ColumnChanged();
}

void TkwColumn::SetButtonStyle(TkwColumnButtonStyle v) {
  if (v == FButtonStyle) return;
  FButtonStyle = v;
  ColumnChanged();
}

TColor TkwColumn::DefaultColor() const {
  IkwColumnsGrid* g = Grid();
  return g ? g->Color() : kwcolor::Window;
}
TColor TkwColumn::Color() const { return IsAssigned(cvColor) ? FColor : DefaultColor(); }
void TkwColumn::SetColor(TColor v) {
  if (IsAssigned(cvColor) && v == FColor) return;
  FColor = v;
  Assigned(cvColor);
  ColumnChanged();
}

const TkwGridFont& TkwColumn::DefaultFont() const {
  IkwColumnsGrid* g = Grid();
  return g && g->Font() ? *g->Font() : PlainFont();
}
void TkwColumn::FontChanged() {
  if (FRefreshingFont) return;
  Assigned(cvFont);
  if (FTitle) FTitle->RefreshDefaultFont();
  ColumnChanged();
}
void TkwColumn::RefreshDefaultFont() {
  if (IsAssigned(cvFont)) return;
  {
    TkvFlagScope guard(FRefreshingFont);
    FFont.Assign(const_cast<TkwGridFont*>(&DefaultFont()));
  }
  if (FTitle) FTitle->RefreshDefaultFont();
}

TImeMode TkwColumn::DefaultImeMode() const {
  IkwColumnsGrid* g = Grid();
  return g ? g->ImeMode() : imDontCare;
}
TImeMode TkwColumn::ImeMode() const { return IsAssigned(cvImeMode) ? FImeMode : DefaultImeMode(); }
void TkwColumn::SetImeMode(TImeMode v) {
  if (!IsAssigned(cvImeMode) && v == DefaultImeMode()) return;
  if (IsAssigned(cvImeMode) && v == FImeMode) return;
  FImeMode = v;
  Assigned(cvImeMode);
  ColumnChanged();
}
AnsiString TkwColumn::DefaultImeName() const {
  IkwColumnsGrid* g = Grid();
  return g ? g->ImeName() : AnsiString();
}
AnsiString TkwColumn::ImeName() const { return IsAssigned(cvImeName) ? FImeName : DefaultImeName(); }
void TkwColumn::SetImeName(const AnsiString& v) {
  if (!IsAssigned(cvImeName) && v == DefaultImeName()) return;
  if (IsAssigned(cvImeName) && v == FImeName) return;
  FImeName = v;
  Assigned(cvImeName);
  ColumnChanged();
}

TStrings* TkwColumn::PickList() {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}
void TkwColumn::SetPickList(TStrings* v) {
  if (!v) {
    FPickList.reset();
    return;
  }
  PickList()->Assign(v);
}

int TkwColumn::DefaultWidth() const {
  IkwColumnsGrid* g = Grid();
  return g ? g->DefaultColWidth() : 64;
}
int TkwColumn::Width() const {
  if (!Shown()) return -1;
  return IsAssigned(cvWidth) ? FWidth : DefaultWidth();
}
void TkwColumn::SetWidth(int v) {
  // Only a width that changes is written to the field: each write is a layout change of
  // the field's dataset.
  if (!FStored && FField && v != Width()) {
    if (IkwColumnsGrid* g = Grid(); g && g->WriteWidthToField(this, v)) return;
  }
  if (IsAssigned(cvWidth) && v == FWidth) return;
  FWidth = v;
  Assigned(cvWidth);
  ColumnChanged();
}

void TkwColumn::SetDisplayFormat(const AnsiString& v) {
  if (v == FDisplayFormat) return;
  FDisplayFormat = v;
  Total();
  DropTexts();
}

void TkwColumn::SetHideContentStr(const AnsiString& v) {
  if (v == FHideContentStr) return;
  FHideContentStr = v;
  if (Has(gcoHideContent)) DropTexts();
}

// --- options and states -------------------------------------------------------------------------

bool TkwColumn::DefaultReadOnly() const {
  IkwColumnsGrid* g = Grid();
  return (g && g->ReadOnly()) || (FField && FField->ReadOnly());
}
bool TkwColumn::ReadOnly() const {
  if (FValueTree) return true;
  if (IsAssigned(cvReadOnly)) return Has(gcoReadOnly);
  return DefaultReadOnly();
}
void TkwColumn::SetReadOnly(bool v) {
  if (!FStored && LinkActive() && FField) {
    FField->SetReadOnly(v);
    return;
  }
  if (IsAssigned(cvReadOnly) && v == Has(gcoReadOnly)) return;
  SetOption(gcoReadOnly, v);
  Assigned(cvReadOnly);
  ColumnChanged();
}

void TkwColumn::SetFixed(bool v) {
  SetOption(gcoFixed, v);
  Relayout();
}

TkvSummaryKind TkwColumn::TotalKind() {
  if (FTotalKind == skNone) FTotalKind = skSum;
  return FTotalKind;
}
void TkwColumn::SetTotalKind(TkvSummaryKind v) {
  FTotalKind = v;
  Total();
}
void TkwColumn::SetTotalColumn(bool v) {
  SetOption(gcoTotalColumn, v);
  Total();
  ColumnChanged();
}

// Mended: the format was given to the total only when DisplayFormat or TotalColumn was
// set, so a kind picked afterwards (or streamed after TotalColumn) totalled unformatted.
TkvSummary* TkwColumn::Total() {
  if (!TotalColumn() || !FDbField) return nullptr;
  TkvSummary* s = FDbField->GetSummary(TotalKind());
  s->SetDisplayFormat(FDisplayFormat);
  return s;
}

bool TkwColumn::GetVisible() const {
  if (!Has(gcoVisible)) return Fixed();
  // A column whose visibility is being worked out counts as visible to the parent or
  // child that asks back, so the question ends (a parent and its child ask each other).
  if (FVisibilityMark) return true;
  TkvFlagScope mark(FVisibilityMark);
  if (!FParent || FParent->GetVisible()) return true;
  return std::any_of(FChildren.begin(), FChildren.end(), [](const TkwColumn* c) { return c->GetVisible(); });
}
void TkwColumn::SetVisible(bool v) {
  if (v == GetVisible()) return;
  Assigned(cvVisible);
  SetOption(gcoVisible, v);
  Relayout();
}

bool TkwColumn::Shown() const {
  if (Expanded() || !GetVisible()) return false;
  for (const TkwColumn* p = FParent; p; p = p->FParent)
    if (!p->Expanded()) return false;
  return true;
}

bool TkwColumn::Expandable() {
  IkwColumnsGrid* g = Grid();
  if (!FChildren.empty() && g && g->ShowsMultiLevelTitles()) return true;
  TField* f = Field();
  return f && (f->DataType() == ftADT || f->DataType() == ftArray);
}

void TkwColumn::SetExpanded(bool v) {
  if (v == Expanded()) return;
  IkwColumnsGrid* g = Grid();
  TkwColumn* selected = g ? g->SelectedColumn() : nullptr;
  const bool wasShown = selected && selected->Shown();
  Assigned(cvExpanded);
  SetOption(gcoExpanded, v);
  Relayout();
  if (g && !g->InBeginUpdate() && wasShown && !selected->Shown()) g->MoveSelection(selected, v ? 1 : -1);
}

void TkwColumn::SetColumnOptions(TkwColumnOptions v) {
  if (v == FColumnOptions) return;
  const TkwColumnOptions diff = static_cast<TkwColumnOptions>(v ^ FColumnOptions);
  auto differs = [diff](TkwColumnOption o) { return (diff & ColumnOption(o)) != 0; };
  auto in = [v](TkwColumnOption o) { return (v & ColumnOption(o)) != 0; };
  if (differs(gcoReadOnly)) SetReadOnly(in(gcoReadOnly));
  if (differs(gcoFixed)) SetFixed(in(gcoFixed));
  if (differs(gcoTotalColumn)) SetTotalColumn(in(gcoTotalColumn));
  if (differs(gcoVisible)) SetVisible(in(gcoVisible));
  if (differs(gcoExpanded)) SetExpanded(in(gcoExpanded));
  FColumnOptions = v;
  if (differs(gcoShowSortIcon) || differs(gcoConfigNoVisible) || differs(gcoAlwaysShowEditor)) ColumnChanged();
  if (differs(gcoCustomText)) UpdateDataField();
  if (differs(gcoHideContent) || differs(gcoCustomText)) DropTexts();
}

bool TkwColumn::AlwaysShowEditorColumn() const {
  return !ReadOnly() && Has(gcoAlwaysShowEditor) && FButtonStyle != gcbsCheckBox;
}
bool TkwColumn::Editable() const { return !ReadOnly() && !Has(gcoHideContent) && FButtonStyle != gcbsCheckBox; }

bool TkwColumn::CanModify() {
  IkwColumnsGrid* g = Grid();
  if (g && !g->CanModifyData()) return false;
  if (ReadOnly()) return false;
  TField* f = Field();
  if (!f || !f->CanModify()) return false;
  const TFieldType t = f->DataType();
  const bool needsHandler = t == ftBytes || t == ftVarBytes || (t >= ftBlob && t <= ftCursor) || t == ftADT ||
                            t == ftArray || t == ftReference || t == ftDataSet;
  return !needsHandler || static_cast<bool>(f->OnSetText);
}

int TkwColumn::GetFieldSize() { return FField ? FField->Size() : 0; }

// --- field binding -------------------------------------------------------------------------------

TField* TkwColumn::Field() {
  if (!FField && !FFieldName.empty()) {
    TDataSet* ds = GridDataSet();
    if (ds && (ds->Active() || !ds->DefaultFields())) SetField(ds->FindField(FFieldName));
  }
  return FField;
}

// None while no field is bound: the adapter of an unbound column would raise at every
// question asked of it.
IkwField* TkwColumn::GetField() { return Field() ? &FFieldIntf : nullptr; }

void TkwColumn::SetField(TField* v) {
  if (v == FField) return;
  if (v && v->HasState(csDestroying)) v = nullptr;
  FField = v;
  FFieldIntf.SetField(v);
  // Every bound field tells the grid when it is freed, in the grid's field map or not.
  if (IkwColumnsGrid* g = v ? Grid() : nullptr)
    if (TComponent* grid = g->GridComponent()) v->FreeNotification(grid);
  // The field item reads another dataset field now: its values are read again when the
  // collection's change is announced (once for a whole batch of columns).
  if (FDbField && FDbField->DataField() != v)
    if (TkwDBGridColumns* cols = Columns()) cols->FFieldsRebound = true;
  if (v) {
    FFieldName = v->FullName();
    if (FDbField) FDbField->SetFieldName(FFieldName);
  }
  if (!FStored && !v) {
    FFieldName.clear();
    if (FDbField) FDbField->SetFieldName("");
    RestoreDefaults();
  }
  TkwDBGridColumns* cols = Columns();
  if (cols) cols->BeginFieldBinding();
  TkvFinally endBinding([cols] {
    if (cols) cols->EndFieldBinding();
  });
  ColumnChanged();
}

void TkwColumn::SetFieldName(const AnsiString& v) {
  if (v != FFieldName) CheckRename(v, true);
  IkwColumnsGrid* g = Grid();
  TField* found = nullptr;
  const bool lookUp = g && !g->IsLoading() && GridDataSet() && !v.empty();
  if (lookUp) found = GridDataSet()->FindField(v);
  FFieldName = v;
  if (FDbField) FDbField->SetFieldName(v);
  SetField(found);
  FFieldNameSet = true;
  ColumnChanged();
}

void TkwColumn::UpdateDataField() {
  if (FDbField) FDbField->SetDataField(Field());
}

// --- the parent tree -----------------------------------------------------------------------------

int TkwColumn::Level() const { return FParent ? FParent->Level() + 1 : 0; }

AnsiString TkwColumn::ParentCaption() const {
  AnsiString s = FTitle->Caption();
  for (const TkwColumn* p = FParent; p; p = p->FParent) s = p->FTitle->Caption() + s;
  return s;
}

void TkwColumn::SetParent(TkwColumn* v) {
  if (v == FParent) return;
  // Refused before anything changes: the column stays where it was.
  for (const TkwColumn* p = v; p; p = p->FParent)
    if (p == this) throw Exception(kSelfAsParent);
  if (FParent) {
    auto& siblings = FParent->FChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  FParent = v;
  if (v) {
    v->FChildren.push_back(this);
    v->FChildrenSorted = false;
  }
  Relayout();
}

const std::vector<TkwColumn*>& TkwColumn::SortedChildren() {
  if (!FChildrenSorted) {
    std::stable_sort(FChildren.begin(), FChildren.end(), [](const TkwColumn* a, const TkwColumn* b) {
      const bool va = a->GetVisible(), vb = b->GetVisible();
      if (va != vb) return va;
      return a->Index() < b->Index();
    });
    FChildrenSorted = true;
  }
  return FChildren;
}

void TkwColumn::SetIndex(int value) {
  const int old = Index();
  if (value == old || !Collection()) return TkwInterfaceCollectionItem::SetIndex(value);
  if (!FStored) {
    // A default column shows the dataset's field order: its field moves to the place of
    // the field of the column it lands on (at the same level).
    TkwDBGridColumns* cols = Columns();
    if (cols && LinkActive() && Field() && value >= 0 && value < cols->Count()) {
      TkwColumn* target = cols->Items(value);
      if (target->Level() == Level() && target->Field()) FField->SetIndex(target->Field()->Index());
    }
    return TkwInterfaceCollectionItem::SetIndex(value);
  }
  if (FChildren.empty()) return TkwInterfaceCollectionItem::SetIndex(value);
  const auto layout = LayoutScope(Grid());
  const std::vector<TkwColumn*> children = FChildren;
  if (value < old) {
    for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->SetIndex(value);
    TkwInterfaceCollectionItem::SetIndex(value);
  } else {
    TkwInterfaceCollectionItem::SetIndex(value);
    for (TkwColumn* c : children) c->SetIndex(value);
  }
}

void TkwColumn::EditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this);
}
void TkwColumn::PressReturnKey() {
  if (OnPressReturnKeyEvent) OnPressReturnKeyEvent(this);
}

AnsiString TkwColumn::DisplayName() const {
  return FFieldName.empty() ? TkwInterfaceCollectionItem::DisplayName() : FFieldName;
}

// --- defaults and copies -------------------------------------------------------------------------

void TkwColumn::RestoreDefaults() {
  const bool fontAssigned = IsAssigned(cvFont);
  FTitle->RestoreDefaults();
  FAssignedValues = 0;
  RefreshDefaultFont();
  FPickList.reset();
  FButtonStyle = gcbsNone;
  if (fontAssigned)
    Relayout();
  else
    ColumnChanged();
}

void TkwColumn::Assign(TPersistent* Source) {
  auto* c = dynamic_cast<TkwColumn*>(Source);
  if (!c) return TkwInterfaceCollectionItem::Assign(Source);
  TCollection* owner = Collection();
  TUpdateScope update(owner);
  RestoreDefaults();
  SetFieldName(c->FieldName());
  if (c->IsAssigned(cvColor)) SetColor(c->Color());
  if (c->IsAssigned(cvWidth)) SetWidth(c->FWidth);
  if (c->IsAssigned(cvFont)) FFont.Assign(&c->FFont);
  if (c->IsAssigned(cvImeMode)) SetImeMode(c->ImeMode());
  if (c->IsAssigned(cvImeName)) SetImeName(c->ImeName());
  if (c->IsAssigned(cvAlignment)) SetAlignment(c->Alignment());
  if (c->IsAssigned(cvReadOnly)) SetReadOnly(c->Has(gcoReadOnly));
  FTitle->Assign(c->FTitle.get());
  SetDropDownRows(c->DropDownRows());
  SetButtonStyle(c->ButtonStyle());
  SetPickList(c->FPickList.get());
  SetPopupMenu(c->PopupMenu());
  SetColumnOptions(c->ColumnOptions());
}

void TkwColumn::DefinePublished(TPublishedProperties& P) {
  TkwInterfaceCollectionItem::DefinePublished(P);
  P.AddEnumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, this, &TkwColumn::Alignment,
                   &TkwColumn::SetAlignment)
      .Stored([this] { return IsAssigned(cvAlignment) && FAlignment != DefaultAlignment(); });
  P.AddEnumeration("ButtonStyle", {"gcbsNone", "gcbsEllipsis", "gcbsLookupList", "gcbsCheckBox"}, this,
                   &TkwColumn::ButtonStyle, &TkwColumn::SetButtonStyle)
      .Default(gcbsNone);
  P.AddInteger("Color", this, &TkwColumn::Color, &TkwColumn::SetColor)
      .Stored([this] { return IsAssigned(cvColor) && FColor != DefaultColor(); });
  P.AddSet("ColumnOptions",
           {"gcoShowSortIcon", "gcoSortable", "gcoFixed", "gcoReadOnly", "gcoCustomText", "gcoExpanded",
            "gcoVisible", "gcoConfigNoVisible", "gcoTotalColumn", "gcoAlwaysShowEditor", "gcoHideContent",
            "gcoCustomSort"},
           this, &TkwColumn::ColumnOptions, &TkwColumn::SetColumnOptions)
      .Default(ColumnOption(gcoVisible));
  P.AddString("DisplayFormat", this, &TkwColumn::DisplayFormat, &TkwColumn::SetDisplayFormat);
  P.AddInteger("DropDownRows", this, &TkwColumn::DropDownRows, &TkwColumn::SetDropDownRows).Default(7);
  P.AddBoolean("Expanded", this, &TkwColumn::Expanded, &TkwColumn::SetExpanded)
      .Default(0)
      .Stored([this] { return IsAssigned(cvExpanded); });
  P.AddString("FieldName", this, &TkwColumn::FieldName, &TkwColumn::SetFieldName);
  P.AddBoolean("Fixed", this, &TkwColumn::Fixed, &TkwColumn::SetFixed).Default(0);
  P.AddClass("Font", this, &TkwColumn::Font).Stored([this] { return IsAssigned(cvFont); });
  P.AddString("HideContentStr", this, &TkwColumn::HideContentStr, &TkwColumn::SetHideContentStr)
      .Stored([this] { return FHideContentStr != "***"; });
  P.AddEnumeration("ImeMode",
                   {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata",
                    "imKata", "imChinese", "imSHanguel", "imHanguel"},
                   this, &TkwColumn::ImeMode, &TkwColumn::SetImeMode)
      .Stored([this] { return IsAssigned(cvImeMode) && FImeMode != DefaultImeMode(); });
  P.AddString("ImeName", this, &TkwColumn::ImeName, &TkwColumn::SetImeName)
      .Stored([this] { return IsAssigned(cvImeName) && FImeName != DefaultImeName(); });
  P.AddString("Name", this, &TkwColumn::Name, &TkwColumn::SetName);
  P.AddClass("PickList", [this]() -> TPersistent* { return PickList(); })
      .Stored([this] { return FPickList && FPickList->Count() > 0; });
  P.AddBoolean("ReadOnly", this, &TkwColumn::ReadOnly, &TkwColumn::SetReadOnly)
      .Stored([this] { return IsAssigned(cvReadOnly) && Has(gcoReadOnly) != DefaultReadOnly(); });
  P.AddClass("Title", this, &TkwColumn::Title);
  P.AddBoolean("TotalColumn", this, &TkwColumn::TotalColumn, &TkwColumn::SetTotalColumn).Default(0);
  P.AddEnumeration("TotalKind", {"skNone", "skSum", "skMin", "skMax", "skCount", "skAverage"}, this,
                   &TkwColumn::TotalKind, &TkwColumn::SetTotalKind)
      .Default(skSum);  // never reads skNone
  P.AddString("ValueExpression", this, &TkwColumn::ValueExpression, &TkwColumn::SetValueExpression);
  // Visible reads the parents and children too: written only when set on this column.
  P.AddBoolean("Visible", this, &TkwColumn::Visible, &TkwColumn::SetVisible)
      .Default(1)
      .Stored([this] { return IsAssigned(cvVisible); });
  // The width as set, also for a hidden column (whose Width reads -1), so that hiding a
  // column and streaming it does not lose its width.
  P.AddInteger("Width", this, &TkwColumn::StoredWidth, &TkwColumn::SetWidth)
      .Stored([this] { return IsAssigned(cvWidth) && FWidth != DefaultWidth(); });
}

void TkwColumn::DefineProperties(TFiler& Filer) {
  TkwInterfaceCollectionItem::DefineProperties(Filer);
  Filer.DefineProperty(
      "ParentIndex",
      [this](TReader& reader) {
        const int index = reader.ReadInteger();
        if (index < 0) throw EReadError("Invalid column parent index " + IntToStr(index));
        FStreamedParent = index;
      },
      [this](TWriter& writer) { writer.WriteInteger(static_cast<int32_t>(FParent->Index())); }, FParent != nullptr);
}

// --- TkwDBGridColumns ------------------------------------------------------------------------------

TkwDBGridColumns::TkwDBGridColumns(IkwColumnsGrid* grid, TCollectionItemClass columnClass)
    : TCollection(std::move(columnClass)), FGrid(grid) {}

TkwDBGridColumns::~TkwDBGridColumns() {
  // The columns leave while the collection still knows its grid.
  Clear();
}

TkwColumn* TkwDBGridColumns::Add() { return static_cast<TkwColumn*>(TCollection::Add()); }

TkwColumn* TkwDBGridColumns::AddDefault() {
  TkwColumn* c = Add();
  c->SetStored(false);
  return c;
}

TkwDBGridColumns::TState TkwDBGridColumns::State() const {
  return Count() > 0 && Items(0)->Stored() ? csCustomized : csDefault;
}

void TkwDBGridColumns::SetState(TState v) {
  if (v == State()) return;
  if (v == csCustomized)
    RebuildColumns();
  else
    Clear();
}

void TkwDBGridColumns::RebuildColumns() {
  TDataSet* ds = FGrid ? FGrid->DataLink().DataSet() : nullptr;
  if (!ds) return Clear();
  const auto layout = LayoutScope(FGrid);
  TUpdateScope update(this);
  Clear();
  // This library's object fields have no sub-fields of their own, so every field,
  // object fields included, gives exactly one column.
  for (TField* f : ds->Fields()) Add()->SetFieldName(f->FullName());
}

bool TkwDBGridColumns::FieldRemoved(const TComponent* field) {
  if (!field) return false;
  bool used = false;
  for (int i = 0; i < Count(); ++i) {
    TkwColumn* c = Items(i);
    // Compared as components only: the field is no more than that by now.
    if (c->FField && static_cast<const TComponent*>(c->FField) == field) {
      c->FField = nullptr;
      c->FFieldIntf.SetField(nullptr);
      used = true;
    }
    if (c->FLookupKeyField && static_cast<const TComponent*>(c->FLookupKeyField) == field) c->FLookupKeyField = nullptr;
    if (c->FLookupListField && static_cast<const TComponent*>(c->FLookupListField) == field) c->FLookupListField = nullptr;
  }
  return used;
}

void TkwDBGridColumns::ReadReboundFields() {
  if (!FFieldsRebound || !FGrid) return;
  FFieldsRebound = false;
  if (TkvCustomDbDataController* c = FGrid->DataController()) c->ReloadGuarded(false);
}

void TkwDBGridColumns::CompileFooters() {
  for (int i = 0; i < Count(); ++i) Items(i)->CompileFooter();
}

void TkwDBGridColumns::DropTexts() {
  for (int i = 0; i < Count(); ++i) Items(i)->DropTexts();
}

void TkwDBGridColumns::RefreshDefaultFonts() {
  for (int i = 0; i < Count(); ++i) Items(i)->RefreshDefaultFont();
}

TkwColumn* TkwDBGridColumns::FindColumnByFieldName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->FieldName(), name)) return Items(i);
  return nullptr;
}
TkwColumn* TkwDBGridColumns::FindColumnByName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), name)) return Items(i);
  return nullptr;
}

bool TkwDBGridColumns::SetStreamedParents() {
  std::vector<std::pair<TkwColumn*, int>> pending;
  for (int i = 0; i < Count(); ++i) {
    TkwColumn* c = Items(i);
    if (c->FStreamedParent < 0) continue;
    pending.emplace_back(c, c->FStreamedParent);
    c->FStreamedParent = -1;
  }
  if (pending.empty()) return false;
  TUpdateScope update(this);  // its end announces the change
  for (const auto& [column, index] : pending) {
    if (index >= Count()) throw EReadError("Invalid column parent index " + IntToStr(index));
    column->SetParent(Items(index));
  }
  return true;
}

void TkwDBGridColumns::Update(TCollectionItem* item) {
  // The end of a read: the parents named by index can be set now that every column is in.
  if (!item && SetStreamedParents()) return;
  if (!FGrid || FGrid->IsLoading()) return;
  // Inside the grid's layout lock the layout pass at its end reads the rebound fields:
  // a reload per column (each one a walk over every record of the dataset) is not made.
  if (!FGrid->InLayout()) ReadReboundFields();
  if (item)
    FGrid->ColumnChanged(static_cast<TkwColumn*>(item));
  else
    FGrid->ColumnsChanged();
}
