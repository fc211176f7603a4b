// Helpers of the framework tests: real windows, real messages, recorded events.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/WindowFinder.h"
#include "ui/Forms.h"
#include "ui/WinApi.h"

namespace uitest {

// Events in the order they happened, compared whole as one string.
class EventLog {
 public:
  void Add(const std::string& e) { FEvents.push_back(e); }
  std::string Str() const {
    std::string s;
    for (size_t i = 0; i < FEvents.size(); ++i) s += (i ? " " : "") + FEvents[i];
    return s;
  }
  void Clear() { FEvents.clear(); }

 private:
  std::vector<std::string> FEvents;
};

// Handles every queued message until the queue has stayed quiet for a moment, so that
// posted follow-ups and the display's own focus and activation events are all in.
inline void Pump() {
  for (int i = 0; i < 50; ++i) {
    Application->ProcessMessages();
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT) == WAIT_TIMEOUT) break;
  }
}

inline LPARAM KeyData(WORD vk, bool up, bool alt = false) {
  UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM l = 1 | (static_cast<LPARAM>(scan) << 16);
  if (alt) l |= 1 << 29;
  if (up) l |= (1u << 30) | (1u << 31);
  return l;
}

// The form a test is working with: the most recently created visible one.
inline TCustomForm* CurrentForm() {
  for (int i = Screen->FormCount() - 1; i >= 0; --i)
    if (Screen->Forms(i)->Visible()) return Screen->Forms(i);
  return nullptr;
}

// Makes the form the active window with a focused control (as far as it will go).
inline void Activate(TCustomForm* form) {
  if (!form) return;
  const HWND h = form->Handle();
  for (int i = 0; i < 20 && (::GetActiveWindow() != h || !::GetFocus()); ++i) {
    ::SetForegroundWindow(h);
    ::SetActiveWindow(h);
    Pump();
  }
}

// A form of the program may have taken the activation between two steps of a test
// (a message box, another form just closed). The form under test gets it back before
// each step.
inline void EnsureActive() { Activate(CurrentForm()); }

// The window keys go to: the focused one, else the form's active control.
inline HWND KeyTarget() {
  EnsureActive();
  if (HWND h = ::GetFocus()) return h;
  TCustomForm* f = CurrentForm();
  if (!f) return nullptr;
  return f->ActiveControl() ? f->ActiveControl()->Handle() : f->Handle();
}

// Waits for a form just shown to be active and settled.
inline void Settle() {
  Pump();
  EnsureActive();
}

// Gives a control the focus as the user would, with its form active.
inline void Focus(TWinControl* c) {
  EnsureActive();
  c->SetFocus();
  Pump();
}

// A key press as the system queues it: down (translated to a character by the loop),
// then up, to the window with the focus.
inline void PostKey(WORD vk) {
  ::PostMessageW(KeyTarget(), WM_KEYDOWN, vk, KeyData(vk, false));
  Pump();
  ::PostMessageW(KeyTarget(), WM_KEYUP, vk, KeyData(vk, true));
  Pump();
}

inline void PostAltKey(WORD vk) {
  ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, vk, KeyData(vk, false, true));
  Pump();
  ::PostMessageW(KeyTarget(), WM_SYSKEYUP, vk, KeyData(vk, true, true));
  Pump();
}

// A typed character (what an input method delivers).
inline void PostChar(wchar_t ch) {
  ::PostMessageW(KeyTarget(), WM_CHAR, ch, 1);
  Pump();
}

inline void TypeText(const std::wstring& text) {
  HWND h = KeyTarget();
  for (wchar_t ch : text) ::PostMessageW(h, WM_CHAR, ch, 1);
  Pump();
}

// Finds a child window by the component name it carries.
inline HWND FindByName(HWND parent, const char* name) { return postest::FindChildByName(parent, ui_win::Wide(name)); }

}  // namespace uitest

namespace uitest {

// Holds a modifier key down in the thread's keyboard state for its lifetime.
class HeldKey {
 public:
  explicit HeldKey(BYTE vk) : FVk(vk) { Set(0x80); }
  ~HeldKey() { Set(0); }

 private:
  void Set(BYTE v) {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[FVk] = v;
    ::SetKeyboardState(state);
  }
  BYTE FVk;
};

// A shown form that is freed at the end of the test.
template <typename F = TForm>
struct ShownForm {
  std::unique_ptr<F> form;
  ShownForm() : form(std::make_unique<F>(nullptr)) {}
  F* operator->() { return form.get(); }
  F* get() { return form.get(); }
};

}  // namespace uitest
