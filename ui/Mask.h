// The masked edit: an edit whose text follows an edit mask, position by position.
//
// Mask grammar (the platform's): "<mask>[;<save literals 0|1>[;<blank char>]]".
//   0 digit, required      9 digit, optional      # digit, + or -, optional
//   L letter, required     l letter, optional     A letter or digit, required
//   a letter or digit, opt C any character, req.  c any character, optional
//   /  the date separator  :  the time separator  \x  x as a literal
//   >  upper case from here  <  lower case from here  <>  case as typed
//   !  leading-blank flag (kept, no effect on a fixed-width mask)
//   anything else is a literal.
// The window shows every position: literals, typed characters, and the blank character
// where nothing was typed. Text gives the typed characters with a space for each
// empty position, and the literals when the mask saves them ("    -  -  " for an empty
// date mask "!9999/99/99;1;_" with "-" as date separator).
#pragma once
#include <vector>

#include "ui/StdCtrls.h"

POS_EXCEPTION(EDBEditError, Exception);

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);
  const AnsiString& EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& v);
  bool IsMasked() const { return !FPositions.empty(); }
  // What the window shows: literals, characters, blank characters.
  AnsiString EditText() const;
  // Raises EDBEditError "Invalid input value.  Use escape key to abandon changes" when
  // a required position is empty; the focus stays.
  void ValidateEdit();

 protected:
  AnsiString GetText() const override;
  void SetTextCore(const AnsiString& v) override;
  void WndProc(TMessage& m) override;
  void DoExit() override;
  void DoEnter() override;

 private:
  struct Pos {
    char Literal = 0;     // non-zero for a literal position
    char Kind = 0;        // the mask character of an input position
    int Case = 0;         // 1 upper, -1 lower
  };
  bool Accepts(const Pos& p, wchar_t ch) const;
  static bool Required(char kind);
  void Show();  // the buffer into the window, keeping the caret
  int NextInput(int from, int step) const;
  void TypeChar(wchar_t ch);
  void ClearSelection(int start, int end);
  void GetSel(int& s, int& e) const;
  void SetCaret(int at);

  AnsiString FEditMask;
  std::vector<Pos> FPositions;
  std::vector<wchar_t> FChars;  // what was typed per position (0: empty)
  bool FSaveLiterals = true;
  char FBlank = '_';
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
};
