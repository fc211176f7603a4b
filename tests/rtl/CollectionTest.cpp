// TCollection: item factory, IDs and order, ownership, batched Update notices, Assign.
#include <gtest/gtest.h>

#include "rtl/Collection.h"

namespace {

class TNamedItem : public TCollectionItem {
 public:
  explicit TNamedItem(TCollection* c) : TCollectionItem(c) {}
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v) {
    if (v == FName) return;
    FName = v;
    Changed(false);
  }
  AnsiString DisplayName() const override { return FName.empty() ? TCollectionItem::DisplayName() : FName; }
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TNamedItem*>(Source)) {
      SetName(s->FName);
      return;
    }
    TCollectionItem::Assign(Source);
  }

 private:
  AnsiString FName;
};

// Records every Update and Notify as text.
class TLoggedCollection : public TOwnedCollection {
 public:
  explicit TLoggedCollection(TPersistent* owner = nullptr)
      : TOwnedCollection(owner, CollectionItemClassOf<TNamedItem>()) {}
  std::string Log;
  TNamedItem* Item(int i) const { return ItemsAs<TNamedItem>(i); }

 protected:
  void Update(TCollectionItem* item) override {
    Log += item ? "U(" + static_cast<TNamedItem*>(item)->Name() + ")" : "U*";
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* names[] = {"add", "extract", "delete"};
    Log += std::string(names[action]) + "#" + std::to_string(item->ID()) + " ";
  }
};

std::string Names(const TLoggedCollection& c) {
  std::string s;
  for (int i = 0; i < c.Count(); ++i) s += (i ? "," : "") + c.Item(i)->Name();
  return s;
}

TNamedItem* AddNamed(TLoggedCollection& c, const char* name) {
  auto* item = static_cast<TNamedItem*>(c.Add());
  item->SetName(name);
  return item;
}

}  // namespace

TEST(Collection, AddMakesItemsOfTheItemClassWithIncreasingIds) {
  TLoggedCollection c;
  TNamedItem* a = AddNamed(c, "a");
  TNamedItem* b = AddNamed(c, "b");
  EXPECT_EQ(c.Log, "add#0 U*U(a)add#1 U*U(b)");
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(b->Collection(), &c);
  c.Delete(0);
  TNamedItem* d = AddNamed(c, "d");
  EXPECT_EQ(d->ID(), 2);  // IDs are never reused
  EXPECT_EQ(c.FindItemID(1), b);
  EXPECT_EQ(c.FindItemID(0), nullptr);
  EXPECT_EQ(b->DisplayName(), "b");
}

TEST(Collection, IndexErrors) {
  TLoggedCollection c;
  AddNamed(c, "a");
  try {
    c.Items(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(c.Delete(-1), EListError);
  EXPECT_THROW(c.Insert(2), EListError);
}

TEST(Collection, SetIndexMovesAndInsertPlaces) {
  TLoggedCollection c;
  for (const char* n : {"a", "b", "c"}) AddNamed(c, n);
  c.Item(0)->SetIndex(2);
  EXPECT_EQ(Names(c), "b,c,a");
  c.Item(2)->SetIndex(-5);  // clamped
  EXPECT_EQ(Names(c), "a,b,c");
  static_cast<TNamedItem*>(c.Insert(1))->SetName("x");
  EXPECT_EQ(Names(c), "a,x,b,c");
  c.Exchange(0, 3);
  EXPECT_EQ(Names(c), "c,x,b,a");
}

TEST(Collection, UpdatesAreBatchedIntoOneNoticeAtTheOutermostEnd) {
  TLoggedCollection c;
  AddNamed(c, "a");
  c.Log.clear();
  c.BeginUpdate();
  c.BeginUpdate();
  AddNamed(c, "b");
  c.Item(0)->SetName("A");
  c.Delete(0);
  c.EndUpdate();
  EXPECT_EQ(c.Log, "add#1 delete#0 extract#0 ");  // notifications still come, updates wait
  c.EndUpdate();
  EXPECT_EQ(c.Log, "add#1 delete#0 extract#0 U*");
  c.Log.clear();
  c.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(c.Log, "");
}

TEST(Collection, ClearIsOneUpdate) {
  TLoggedCollection c;
  for (const char* n : {"a", "b"}) AddNamed(c, n);
  c.Log.clear();
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Log, "delete#1 extract#1 delete#0 extract#0 U*");
}

TEST(Collection, DeletingAnItemTakesItOut) {
  TLoggedCollection c;
  AddNamed(c, "a");
  TNamedItem* b = AddNamed(c, "b");
  c.Log.clear();
  delete b;
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Log, "extract#1 U*");
}

TEST(Collection, SetCollectionMovesBetweenCollections) {
  TLoggedCollection a, b;
  TNamedItem* x = AddNamed(a, "x");
  AddNamed(b, "y");
  x->SetCollection(&b);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(Names(b), "y,x");
  EXPECT_EQ(x->ID(), 1);  // a new ID in the new collection
  x->SetCollection(nullptr);
  EXPECT_EQ(x->Index(), -1);
  delete x;  // no longer owned by anyone
}

TEST(Collection, AssignCopiesItemsInOneUpdate) {
  TLoggedCollection src, dst;
  AddNamed(src, "a");
  AddNamed(src, "b");
  AddNamed(dst, "old");
  dst.Log.clear();
  dst.Assign(&src);
  EXPECT_EQ(Names(dst), "a,b");
  EXPECT_EQ(dst.Log, "delete#0 extract#0 add#1 add#2 U*");
  TPersistent other;
  EXPECT_THROW(dst.Assign(&other), EConvertError);
}

TEST(Collection, OwnedCollectionKnowsItsOwner) {
  TPersistent owner;
  TLoggedCollection c(&owner);
  EXPECT_EQ(c.Owner(), &owner);
  TCollection plain(CollectionItemClassOf<TNamedItem>());
  EXPECT_EQ(plain.Owner(), nullptr);
  EXPECT_EQ(plain.Add()->DisplayName(), "TNamedItem");
}
