// TListControlStrings: the items of a list box or combo box, kept in the window's own
// list while the window exists and in the object while it does not.
#pragma once
#include "rtl/StringList.h"
#include "ui/Controls.h"

// The items of a list box or combo box: the window's list while it exists.
class TListControlStrings : public TStrings {
 public:
  struct Messages {
    UINT GetCount, GetText, GetTextLen, Insert, Delete, Reset, GetData, SetData;
  };
  TListControlStrings(TWinControl* owner, const Messages& m) : FOwner(owner), FMsg(m) {}

  int Count() const override;
  AnsiString Strings(int index) const override;
  TObject* Objects(int index) const override;
  void SetObjects(int index, TObject* obj) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;

  // The owner's window was made: our lines go into it.
  void LoadIntoWindow();
  // The owner's window is going: the lines come back into the object.
  void SaveFromWindow();

 private:
  bool Live() const { return FOwner->HandleAllocated(); }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
  TWinControl* FOwner;
  Messages FMsg;
  TStringList FStore;
};
