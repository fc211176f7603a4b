// TMemo: the multi-line edit, with its lines as a TStrings over the window's text.
#pragma once
#include "rtl/StringList.h"
#include "ui/Edit.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The lines of a memo: the memo's text split at line breaks.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TControl* memo) : FMemo(memo) {}
  int Count() const override;
  AnsiString Strings(int index) const override;
  void SetStrings(int index, const AnsiString& s) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  AnsiString Text() const override;
  void SetText(std::string_view text) override;

 private:
  std::vector<AnsiString> Split() const;
  void Join(const std::vector<AnsiString>& lines);
  TControl* FMemo;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  TStrings* Lines() { return &FLines; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }

 protected:
  void CreateParams(TCreateParams& p) override;
  bool WantsKey(WORD key, const MSG* msg) override;

 private:
  TMemoStrings FLines{this};
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
 public:
  using TCustomMemo::TCustomMemo;
};
