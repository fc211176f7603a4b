// TEdit: the single-line edit (system class EDIT). Its limit and selection count GBK
// bytes, as the library counts text.
#pragma once
#include "ui/Controls.h"
#include "ui/Forms.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  // The most bytes of GBK text the user can type or paste (0: no limit). Text set by
  // the program is not cut.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char v);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v);
  bool Modified() const;
  void SetModified(bool v);

  // Selection in GBK byte positions, as the library counts text.
  int SelStart();
  void SetSelStart(int v);
  int SelLength();
  void SetSelLength(int v);
  AnsiString SelText();
  void SetSelText(const AnsiString& v);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void DoEnter() override;
  virtual void Change();
  // Whether text of `bytes` GBK bytes may replace the selection.
  bool FitsMaxLength(int insertBytes);
  void WMPaste(TMessage& m);
  void WMChar(TMessage& m);

  bool FReadOnly = false;
  int FMaxLength = 0;
  char FPasswordChar = 0;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  TEditCharCase FCharCase = ecNormal;
  bool FModified = false;
  int FCreating = 0;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};
