// Support classes and library-wide state: the reporting string list, the scope guard,
// the lead-byte set and the message table.
#include <gtest/gtest.h>

#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvFilterConst.h"
#include "VCLSource/source/PosGrid/ukxClasses.h"
#include "VCLSource/source/PosGrid/xkxSystem.h"

namespace {

struct Recorder {
  std::string Log;
  void Attach(TkxEventStringList& list) {
    list.OnStringsChange = [this, &list](TObject* sender, const TkxStringListEventObj& e) {
      static const char* const kNames[] = {"Delete", "Insert", "Clear", "Add"};
      Log += std::string(kNames[e.Action]) + "(" + std::to_string(e.Index) + "," + e.S + ")#" +
             std::to_string(list.Count()) + " ";
    };
  }
};

TEST(EventStringList, ReportsEachChange) {
  TkxEventStringList list;
  Recorder r;
  r.Attach(list);
  list.Add("a");
  list.Add("b");
  list.Insert(1, "x");
  list.Delete(2);  // reported while the line is still there
  list.Clear();
  list.Clear();
  EXPECT_EQ(r.Log, "Add(0,a)#1 Add(1,b)#2 Insert(1,x)#3 Delete(2,)#3 Clear(-1,)#2 Clear(-1,)#0 ");
}

// Regression: InsertObject went in unreported; it reports once, as Insert does (which
// no longer reports twice through it), with its object on the line by then.
TEST(EventStringList, FaultInsertObjectWasNotReported) {
  TkxEventStringList list;
  list.Add("a");
  Recorder r;
  r.Attach(list);
  TObject o;
  TObject* seen = nullptr;
  auto report = list.OnStringsChange;
  list.OnStringsChange = [&](TObject* sender, const TkxStringListEventObj& e) {
    report(sender, e);
    seen = list.Objects(e.Index);
  };
  list.InsertObject(0, "x", &o);
  EXPECT_EQ(seen, &o);
  list.Insert(2, "y");
  EXPECT_EQ(r.Log, "Insert(0,x)#2 Insert(2,y)#3 ");
}

TEST(EventStringList, AddObjectOnASortedListReportsOnceWhereTheLineLanded) {
  TkxEventStringList list;
  list.SetSorted(true);
  list.Add("b");
  list.Add("d");
  Recorder r;
  r.Attach(list);
  TObject o;
  EXPECT_EQ(list.AddObject("c", &o), 1);
  EXPECT_EQ(r.Log, "Add(1,c)#3 ");
  EXPECT_FALSE(list.InAddObject());
}

TEST(EventStringList, DeleteOutOfRangeRaisesBeforeReporting) {
  TkxEventStringList list;
  Recorder r;
  r.Attach(list);
  EXPECT_THROW(list.Delete(0), EStringListError);
  EXPECT_EQ(r.Log, "");
}

struct Counted : TObject {
  explicit Counted(int& n) : N(n) {}
  ~Counted() override { ++N; }
  int& N;
};

TEST(AutoFree, FreesOnTheLastReferenceUnlessDetached) {
  int freed = 0;
  {
    IkxAutoFreePtr guard = AutoFree(std::make_unique<Counted>(freed));
    IkxAutoFreePtr copy = guard;
    EXPECT_NE(guard->GetObject(), nullptr);
  }
  EXPECT_EQ(freed, 1);
  std::unique_ptr<TObject> kept;
  {
    IkxAutoFreePtr guard = AutoFree(std::make_unique<Counted>(freed));
    kept.reset(guard->Detach());
  }
  EXPECT_EQ(freed, 1);
  kept.reset();
  EXPECT_EQ(freed, 2);
}

TEST(NoAutoFreeInterfacedObject, CountsNothingAndAnswersNoInterface) {
  TkxNoAutoFreeInterfacedObject o;
  EXPECT_EQ(o._AddRef(), -1);
  EXPECT_EQ(o._Release(), -1);
  void* p = &o;
  EXPECT_EQ(o.QueryInterface("{77C782C6-1D5D-4720-ADFD-9290AC52CA74}", &p), static_cast<int32_t>(0x80004002u));
  EXPECT_EQ(p, nullptr);
}

TEST(LibraryState, LeadBytesAndLockAndSlots) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(kxIsLeadByte(static_cast<unsigned char>(b)), b >= 0x81 && b <= 0xFE) << b;
  std::lock_guard<std::recursive_mutex> outer(kxGlobalLock());
  std::lock_guard<std::recursive_mutex> inner(kxGlobalLock());  // re-entrant
  EXPECT_EQ(kxGlobalObject(0), nullptr);
  std::unique_ptr<TObject> obj = std::make_unique<TObject>();
  kxFreeAndNil(obj);
  EXPECT_EQ(obj, nullptr);
}

// The texts themselves are checked where they are raised (read and write errors, index
// errors); here only the look-up: the filter's texts come through it too, and an id
// the library does not have gives no text.
TEST(LibraryMessages, OneLookUpForTheLibraryAndTheFilterTexts) {
  EXPECT_FALSE(kvLoadStr(SkvRowIndexError).empty());
  EXPECT_EQ(kvLoadStr(65065), kvFilterLoadStr(65065));
  EXPECT_FALSE(kvLoadStr(65065).empty());
  EXPECT_EQ(kvLoadStr(1), "");
  EXPECT_EQ(kvLoadStr(65104), "");
}

}  // namespace
