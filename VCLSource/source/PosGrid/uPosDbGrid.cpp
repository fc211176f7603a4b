// TJbDbGrid and its column class TJbColumn.
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
