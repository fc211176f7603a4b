// TCollection and TCollectionItem: ownership, IDs, order and batched change notices.
#include "rtl/Collection.h"

#include <algorithm>

// --- TCollectionItem ---------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int cur = Index();
  if (cur < 0) return;
  int last = FCollection->Count() - 1;
  value = std::clamp(value, 0, last);
  if (value == cur) return;
  auto& items = FCollection->FItems;
  items.erase(items.begin() + cur);
  items.insert(items.begin() + value, this);
  Changed(true);
}

AnsiString TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const AnsiString& value) { Changed(false); }

void TCollectionItem::Changed(bool allItems) {
  if (!FCollection) return;
  if (allItems)
    FCollection->Changed();
  else
    FCollection->ItemChanged(this);
}

// --- TCollection -------------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass itemClass) : FItemClass(std::move(itemClass)) {}

TCollection::~TCollection() {
  // No notices from a collection that is going away; items are freed last-added first.
  ++FUpdateCount;
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    FItems.pop_back();
    item->FCollection = nullptr;
    delete item;
  }
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass) throw EInvalidOperation("Collection has no item class");
  // The item joins silently while it is being built and is announced once it is whole.
  ++FAdding;
  TCollectionItem* item = nullptr;
  try {
    item = FItemClass(this);
  } catch (...) {
    --FAdding;
    throw;
  }
  --FAdding;
  if (item->FCollection != this) {
    delete item;
    throw EInvalidOperation("Collection item class made an item outside its collection");
  }
  Notify(item, cnAdded);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  TUpdateScope update(this);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  delete item;  // leaves the list through RemoveItem
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateScope update(this);
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    Notify(item, cnDeleting);
    delete item;
  }
}

void TCollection::Exchange(int index1, int index2) {
  TCollectionItem* a = Items(index1);
  TCollectionItem* b = Items(index2);
  if (a == b) return;
  std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
  Changed();
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount <= 0) return;
  if (--FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (FUpdateCount == 0) Update(item);
}

void TCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  TUpdateScope update(this);
  Clear();
  for (TCollectionItem* from : src->FItems) Add()->Assign(from);
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  if (FAdding == 0) {
    Notify(item, cnAdded);
    Changed();
  }
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  Notify(item, cnExtracting);
  FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}
