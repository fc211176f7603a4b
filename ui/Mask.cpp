// TCustomMaskEdit: parsing the mask, typing into positions, the text with and without
// literals.
#include "ui/Mask.h"

#include "rtl/FormatSettings.h"

using namespace ui_win;

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const AnsiString& v) {
  if (v == FEditMask) return;
  AnsiString text = GetText();
  FEditMask = v;
  FPositions.clear();
  FSaveLiterals = true;
  FBlank = '_';
  // "<mask>;<save>;<blank>": the last two fields are read from the end.
  AnsiString mask = v;
  size_t semi = mask.rfind(';');
  if (semi != AnsiString::npos && semi + 2 == mask.size() && semi > 0) {
    size_t semi2 = mask.rfind(';', semi - 1);
    if (semi2 != AnsiString::npos && semi2 + 2 == semi) {
      FBlank = mask[semi + 1];
      FSaveLiterals = mask[semi2 + 1] != '0';
      mask.resize(semi2);
    }
  } else if (semi != AnsiString::npos && semi + 2 == mask.size()) {
    FSaveLiterals = mask[semi + 1] != '0';
    mask.resize(semi);
  }
  int caseMode = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    Pos p;
    switch (c) {
      case '!': continue;
      case '>': caseMode = (i + 1 < mask.size() && mask[i + 1] == '<') ? (++i, 0) : 1; continue;
      case '<': caseMode = -1; continue;
      case '\\':
        if (i + 1 < mask.size()) p.Literal = mask[++i];
        break;
      case '/': p.Literal = FormatSettings.DateSeparator; break;
      case ':': p.Literal = FormatSettings.TimeSeparator; break;
      case '0': case '9': case '#': case 'L': case 'l': case 'A': case 'a': case 'C': case 'c':
        p.Kind = c;
        p.Case = caseMode;
        break;
      case '_': p.Literal = ' '; break;
      default: p.Literal = c; break;
    }
    FPositions.push_back(p);
  }
  FChars.assign(FPositions.size(), 0);
  SetTextCore(text);
}

bool TCustomMaskEdit::Required(char kind) { return kind == '0' || kind == 'L' || kind == 'A' || kind == 'C'; }

bool TCustomMaskEdit::Accepts(const Pos& p, wchar_t ch) const {
  bool digit = ch >= L'0' && ch <= L'9';
  bool letter = (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || ch >= 0x80;
  switch (p.Kind) {
    case '0': case '9': return digit;
    case '#': return digit || ch == L'+' || ch == L'-';
    case 'L': case 'l': return letter;
    case 'A': case 'a': return letter || digit;
    case 'C': case 'c': return ch >= L' ';
    default: return false;
  }
}

AnsiString TCustomMaskEdit::EditText() const {
  if (!IsMasked()) return TCustomEdit::GetText();
  AnsiString s;
  for (size_t i = 0; i < FPositions.size(); ++i) {
    if (FPositions[i].Literal) s += FPositions[i].Literal;
    else if (FChars[i]) s += Ansi(&FChars[i], 1);
    else s += FBlank;
  }
  return s;
}

AnsiString TCustomMaskEdit::GetText() const {
  if (!IsMasked()) return TCustomEdit::GetText();
  AnsiString s;
  for (size_t i = 0; i < FPositions.size(); ++i) {
    if (FPositions[i].Literal) {
      if (FSaveLiterals) s += FPositions[i].Literal;
    } else if (FChars[i]) {
      s += Ansi(&FChars[i], 1);
    } else {
      s += ' ';
    }
  }
  return s;
}

// Text is read back position by position: literals in the text are skipped where the
// mask has them, characters that fit a position go there, others leave it empty.
void TCustomMaskEdit::SetTextCore(const AnsiString& v) {
  if (!IsMasked()) {
    TCustomEdit::SetTextCore(v);
    return;
  }
  std::wstring w = Wide(v);
  std::fill(FChars.begin(), FChars.end(), 0);
  size_t k = 0;
  for (size_t i = 0; i < FPositions.size() && k < w.size(); ++i) {
    const Pos& p = FPositions[i];
    if (p.Literal) {
      if (FSaveLiterals || w[k] == static_cast<unsigned char>(p.Literal)) ++k;
      continue;
    }
    wchar_t ch = w[k++];
    if (p.Case > 0 && ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
    if (p.Case < 0 && ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch + 32);
    if (Accepts(p, ch)) FChars[i] = ch;
  }
  FText = EditText();
  if (HandleAllocated()) Show();
}

void TCustomMaskEdit::GetSel(int& s, int& e) const {
  DWORD a = 0, b = 0;
  ::SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  s = static_cast<int>(a);
  e = static_cast<int>(b);
}

void TCustomMaskEdit::SetCaret(int at) { ::SendMessageW(FHandle, EM_SETSEL, at, at); }

void TCustomMaskEdit::Show() {
  int s = 0, e = 0;
  GetSel(s, e);
  std::wstring w = Wide(EditText());
  ++FCreating;  // one change notice per edit, sent by the caller
  ::SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  --FCreating;
  ::SendMessageW(FHandle, EM_SETSEL, s, e);
}

int TCustomMaskEdit::NextInput(int from, int step) const {
  for (int i = from; i >= 0 && i < static_cast<int>(FPositions.size()); i += step)
    if (!FPositions[static_cast<size_t>(i)].Literal) return i;
  return -1;
}

void TCustomMaskEdit::ClearSelection(int start, int end) {
  for (int i = start; i < end && i < static_cast<int>(FChars.size()); ++i) FChars[static_cast<size_t>(i)] = 0;
}

void TCustomMaskEdit::TypeChar(wchar_t ch) {
  int s = 0, e = 0;
  GetSel(s, e);
  int at = NextInput(s, 1);
  if (at < 0 || FReadOnly) {
    ::MessageBeep(0);
    return;
  }
  Pos& p = FPositions[static_cast<size_t>(at)];
  if (p.Case > 0 && ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
  if (p.Case < 0 && ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch + 32);
  if (!Accepts(p, ch)) {
    ::MessageBeep(0);
    return;
  }
  if (e > s) ClearSelection(s, e);
  FChars[static_cast<size_t>(at)] = ch;
  Show();
  int next = NextInput(at + 1, 1);
  SetCaret(next < 0 ? static_cast<int>(FPositions.size()) : next);
  Change();
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked()) return;
  for (size_t i = 0; i < FPositions.size(); ++i) {
    if (FPositions[i].Kind && Required(FPositions[i].Kind) && !FChars[i]) {
      throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
    }
  }
}

void TCustomMaskEdit::DoEnter() {
  TCustomEdit::DoEnter();
  if (IsMasked() && HandleAllocated()) {
    int first = NextInput(0, 1);
    if (!FAutoSelect) SetCaret(first < 0 ? 0 : first);
  }
}

void TCustomMaskEdit::DoExit() {
  try {
    ValidateEdit();
  } catch (...) {
    // The user stays in the field, at the first position still to fill.
    if (CanFocus()) {
      SetFocus();
      for (size_t i = 0; i < FPositions.size(); ++i)
        if (FPositions[i].Kind && Required(FPositions[i].Kind) && !FChars[i]) {
          SetCaret(static_cast<int>(i));
          break;
        }
    }
    throw;
  }
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::WndProc(TMessage& m) {
  if (!IsMasked() || !HandleAllocated()) {
    TCustomEdit::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case WM_CHAR: {
      wchar_t ch = static_cast<wchar_t>(m.WParam);
      if (ch == VK_BACK) {
        if (FReadOnly) return;
        int s = 0, e = 0;
        GetSel(s, e);
        if (e > s) {
          ClearSelection(s, e);
          Show();
          SetCaret(s);
        } else {
          int at = NextInput(s - 1, -1);
          if (at >= 0) {
            FChars[static_cast<size_t>(at)] = 0;
            Show();
            SetCaret(at);
          }
        }
        Change();
        return;
      }
      if (ch < L' ') {  // other control characters: the edit's own (Ctrl+C, ...)
        TCustomEdit::WndProc(m);
        return;
      }
      TypeChar(ch);
      return;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_DELETE) {
        if (FReadOnly) return;
        int s = 0, e = 0;
        GetSel(s, e);
        ClearSelection(s, e > s ? e : s + 1);
        Show();
        SetCaret(s);
        Change();
        return;
      }
      TCustomEdit::WndProc(m);
      return;
    case WM_PASTE: {
      if (FReadOnly) return;
      for (wchar_t ch : ClipboardText(FHandle))
        if (ch >= L' ') TypeChar(ch);
      return;
    }
    case WM_CUT: case WM_CLEAR: {
      if (FReadOnly) return;
      int s = 0, e = 0;
      GetSel(s, e);
      if (m.Msg == WM_CUT) TCustomEdit::WndProc(m);  // the system copies, we clear
      ClearSelection(s, e);
      Show();
      SetCaret(s);
      Change();
      return;
    }
    default:
      TCustomEdit::WndProc(m);
  }
}
