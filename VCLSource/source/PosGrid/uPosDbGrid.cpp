// TJbDbGrid and its column class TJbColumn; the grid's published properties.
#include "VCLSource/source/PosGrid/uPosDbGrid.h"

#include "rtl/PublishedProperties.h"

void TJbColumn::Assign(TPersistent* Source) {
  TkwColumn::Assign(Source);
  if (auto* c = dynamic_cast<TJbColumn*>(Source)) FTag = c->FTag;
}

void TJbColumn::DefinePublished(TPublishedProperties& P) {
  TkwColumn::DefinePublished(P);
  P.AddInteger("Tag", this, &TJbColumn::Tag, &TJbColumn::SetTag).Stored([this] { return FTag != 0; });
}

// The base constructor made its columns before this class's column class could answer.
TJbDbGrid::TJbDbGrid(TComponent* AOwner) : TkwCustomDBGrid(AOwner) { RecreateColumns(); }

TCollectionItemClass TJbDbGrid::GetColumnClass() { return CollectionItemClassOf<TJbColumn>(); }

TkwColumn* TJbDbGrid::ColumnByFieldName(const AnsiString& FieldName) const { return FindColumnByFieldName(FieldName); }

void TJbDbGrid::DefinePublished(TPublishedProperties& P) {
  TkwCustomDBGrid::DefinePublished(P);
  P.AddBoolean("TabStop", this, &TJbDbGrid::TabStop, &TJbDbGrid::SetTabStop).Default(true);
  P.AddEnumeration("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}, this,
                   &TJbDbGrid::Align, &TJbDbGrid::SetAlign)
      .Default(alNone);
  P.AddSet("Anchors", {"akLeft", "akTop", "akRight", "akBottom"},
           [this] { return static_cast<int64_t>(Anchors().Bits()); },
           [this](int64_t v) { SetAnchors(TAnchors::FromBits(static_cast<uint32_t>(v))); })
      .Default(TAnchors{akLeft, akTop}.Bits());
  P.AddEnumeration("BorderStyle", {"bsNone", "bsSingle"}, this, &TJbDbGrid::BorderStyle, &TJbDbGrid::SetBorderStyle)
      .Default(bsSingle);
  P.AddInteger("Color", this, &TJbDbGrid::Color, &TJbDbGrid::SetColor).Default(clWindow);
  P.AddBoolean("DefaultDrawing", this, &TJbDbGrid::DefaultDrawing, &TJbDbGrid::SetDefaultDrawing).Default(true);
  P.AddInteger("DefaultRowHeight", this, &TJbDbGrid::DefaultRowHeight, &TJbDbGrid::SetDefaultRowHeight).Default(18);
  P.AddBoolean("Enabled", this, &TJbDbGrid::Enabled, &TJbDbGrid::SetEnabled).Default(true);
  P.AddInteger("FixedColor", this, &TJbDbGrid::FixedColor, &TJbDbGrid::SetFixedColor).Default(clBtnFace);
  P.AddClass("Font", [this] { return static_cast<TPersistent*>(&FFontProperties); });
  P.AddBoolean("Footer", this, &TJbDbGrid::Footer, &TJbDbGrid::SetFooter);
  P.AddSet("Options",
           {"dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize", "dgColLines",
            "dgRowLines", "dgTabs", "dgRowSelect", "dgTwoColor", "dgAlwaysShowSelection", "dgConfirmDelete",
            "dgCancelOnExit", "dgMultiSelect", "dgFooter", "dgWordWrap", "dgModifyOnly", "dgDisSort", "dgDisFilter",
            "dgDiscompareBlankRow"},
           [this] { return static_cast<int64_t>(Options()); },
           [this](int64_t v) { SetOptions(static_cast<TkwDBGridOptions>(v)); });
  P.AddBoolean("ParentFont", this, &TJbDbGrid::ParentFont, &TJbDbGrid::SetParentFont).Default(true);
  P.AddBoolean("ParentShowHint", this, &TJbDbGrid::ParentShowHint, &TJbDbGrid::SetParentShowHint).Default(true);
  P.AddBoolean("ParentColor", this, &TJbDbGrid::ParentColor, &TJbDbGrid::SetParentColor).Default(false);
  P.AddBoolean("ReadOnly", this, &TJbDbGrid::ReadOnly, &TJbDbGrid::SetReadOnly).Default(false);
  P.AddBoolean("ShowHint", this, &TJbDbGrid::ShowHint, &TJbDbGrid::SetShowHint);
  P.AddInteger("TabOrder", this, &TJbDbGrid::TabOrder, &TJbDbGrid::SetTabOrder).Default(-1);
  P.AddClass("TitleFont", [this] { return static_cast<TPersistent*>(TitleFont()); });
  P.AddBoolean("Visible", [this] { return Visible(); }, [this](bool v) { SetVisible(v); }).Default(true);
}
