// Collections: TCollection, an ordered list of TCollectionItem made by the collection's
// item factory, and TOwnedCollection, a collection that knows its owner.
//
// Ownership: a collection owns its items (it deletes them in Delete, Clear and its
// destructor); `delete item` takes the item out of its collection first, as on the
// platform. Items are made only through the collection (Add/Insert, which call the
// factory) or by constructing an item with the collection as argument.
//
// Identity: every item gets an ID from its collection's counter when it joins (0, 1,
// 2 ... never reused within that collection); Index is its current position.
//
// Change announcements: Update(Item) is called after a change of one item,
// Update(nullptr) after a change of the list or of all items. Inside BeginUpdate/
// EndUpdate (nesting) no Update is called; the outermost EndUpdate calls Update(nullptr)
// once. Notify(Item, Action) is called for every item joining (cnAdded, after it is in
// the list) and leaving (cnExtracting for an item moved out or deleted, cnDeleting just
// before an item the collection deletes is destroyed), also inside updates. An item made
// by Add/Insert is announced (cnAdded, then the change) only once it is fully built, so
// overrides may look at the derived item; an item constructed directly and an item that
// deletes itself are announced from TCollectionItem's own constructor/destructor, where
// only the TCollectionItem part exists.
#pragma once
#include <functional>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  // Joins collection (when not null) at its end.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;  // leaves its collection first

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (or out of any, with nullptr); the item gets a
  // new ID there.
  void SetCollection(TCollection* value);
  int ID() const { return FID; }
  int Index() const;  // -1 outside a collection
  // Moves the item within its collection (clamped to 0..Count-1); Update(nullptr).
  virtual void SetIndex(int value);
  // The item's name in editors: ClassName() unless overridden.
  virtual AnsiString DisplayName() const;
  virtual void SetDisplayName(const AnsiString& value);

 protected:
  // Announces a change of this item (Update(this)) or of all items (Update(nullptr)).
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// Makes one item in the given collection (the item's constructor joins it).
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;
template <class T>
TCollectionItemClass CollectionItemClassOf() {
  return [](TCollection* c) -> TCollectionItem* { return new T(c); };
}

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;  // deletes every item (inside an update, without Update calls)

  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (<index>)" outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  template <class T>
  T* ItemsAs(int index) const { return static_cast<T*>(Items(index)); }
  TCollectionItem* FindItemID(int id) const;  // nullptr when absent

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);  // Add, then moved to index (0..Count)
  void Delete(int index);              // EListError out of range
  void Clear();                        // inside one update
  void Exchange(int index1, int index2);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Copies the items of a TCollection source: clears, then adds one item per source item
  // and Assigns it from that item (items must know how to assign), inside one update.
  void Assign(TPersistent* Source) override;

  const TCollectionItemClass& ItemClass() const { return FItemClass; }
  // The owner for names and editors; nullptr for a plain collection.
  virtual TPersistent* Owner() const { return nullptr; }

 protected:
  // Called after changes as described above; overridden by collections that react.
  virtual void Update(TCollectionItem* item) {}
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  // Announces a change of the list: Update(nullptr) unless an update is open.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void ItemChanged(TCollectionItem* item);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
  int FAdding = 0;  // > 0 while Add builds an item: its joining is announced afterwards
};

class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(std::move(itemClass)), FOwner(owner) {}
  TPersistent* Owner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};
