// Answers the message boxes of window tests under Wine as a person does: a posted click
// on a button of the box, from a thread timer that the box's own modal loop runs.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/WindowFinder.h"
#include "ui/WinApi.h"

namespace kwtest {

// Answers the next message box of this thread with a posted click on one of its buttons,
// from a thread timer that the box's own modal loop runs; keeps its caption and text.
// A box the click did not close within two seconds is closed by its command instead, so
// a failing case ends (ClickMissed tells).
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(int button) : FButton(button) {
    sActive = this;
    FTimer = ::SetTimer(nullptr, 0, 40, &Tick);
  }
  ~MessageBoxAnswer() {
    ::KillTimer(nullptr, FTimer);
    sActive = nullptr;
  }
  MessageBoxAnswer(const MessageBoxAnswer&) = delete;
  MessageBoxAnswer& operator=(const MessageBoxAnswer&) = delete;
  std::string Seen;  // "caption|text" of the box answered; empty when none came
  bool ClickMissed = false;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MessageBoxAnswer* a = sActive;
    if (!a) return;
    const HWND box = postest::FindTopLevel(L"#32770", ui_win::Wide("提示"));
    const HWND button = box ? ::GetDlgItem(box, a->FButton) : nullptr;
    if (!button) return;
    if (!a->Seen.empty()) {
      if (++a->FWaited == 50) {
        a->ClickMissed = true;
        ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(a->FButton), 0);
      }
      return;
    }
    wchar_t text[256] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 255);
    a->Seen = "提示|" + std::string(ui_win::Ansi(text));
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  }
  static inline MessageBoxAnswer* sActive = nullptr;
  int FButton;
  int FWaited = 0;
  UINT_PTR FTimer = 0;
};

}  // namespace kwtest
