// The multi-line edit and its lines.
#include "ui/Memo.h"

using namespace ui_win;

std::vector<AnsiString> TMemoStrings::Split() const {
  std::vector<AnsiString> out;
  AnsiString t = FMemo->Text();
  size_t start = 0;
  while (start < t.size()) {
    size_t end = t.find_first_of("\r\n", start);
    if (end == AnsiString::npos) {
      out.push_back(t.substr(start));
      break;
    }
    out.push_back(t.substr(start, end - start));
    start = end + ((t[end] == '\r' && end + 1 < t.size() && t[end + 1] == '\n') ? 2 : 1);
  }
  return out;
}

void TMemoStrings::Join(const std::vector<AnsiString>& lines) {
  AnsiString t;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) t += "\r\n";
    t += lines[i];
  }
  FMemo->SetText(t);
}

int TMemoStrings::Count() const { return static_cast<int>(Split().size()); }

AnsiString TMemoStrings::Strings(int index) const {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  return v[static_cast<size_t>(index)];
}

void TMemoStrings::SetStrings(int index, const AnsiString& s) {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  v[static_cast<size_t>(index)] = s;
  Join(v);
}

void TMemoStrings::Insert(int index, const AnsiString& s) {
  auto v = Split();
  if (index < 0 || index > static_cast<int>(v.size())) CheckIndex(index, static_cast<int>(v.size()));
  v.insert(v.begin() + index, s);
  Join(v);
}

void TMemoStrings::Delete(int index) {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  v.erase(v.begin() + index);
  Join(v);
}

void TMemoStrings::Clear() { FMemo->SetText(""); }

AnsiString TMemoStrings::Text() const {
  AnsiString t;
  for (auto& l : Split()) t += l + "\r\n";
  return t;
}

void TMemoStrings::SetText(std::string_view text) {
  AnsiString t(text);
  // Line breaks become CR LF, the edit control's own.
  AnsiString norm;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r') {
      norm += "\r\n";
      if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else if (t[i] == '\n') {
      norm += "\r\n";
    } else {
      norm += t[i];
    }
  }
  if (norm.size() >= 2 && norm.compare(norm.size() - 2, 2, "\r\n") == 0) norm.resize(norm.size() - 2);
  FMemo->SetText(norm);
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 185, 89);
  FAutoSelect = false;
}

void TCustomMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style &= ~ES_AUTOHSCROLL;
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (!FWordWrap) p.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  if (HandleAllocated()) {
    AnsiString t = Text();
    DestroyHandle();
    FText = t;
    HandleNeeded();
  }
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  if (HandleAllocated()) {
    DestroyHandle();
    HandleNeeded();
  }
}

bool TCustomMemo::WantsKey(WORD key, const MSG* msg) {
  switch (key) {
    case VK_RETURN: return FWantReturns;
    case VK_TAB: return FWantTabs;
    case VK_ESCAPE: return false;
    default: return TCustomEdit::WantsKey(key, msg);
  }
}
