// TCustomForm, THintWindow, TApplication and TScreen.
#include "ui/Forms.h"

#include <algorithm>

#include "ui/Dialogs.h"

using namespace ui_win;

namespace {
// Modal forms now running, innermost last: the owner of a new top-level window.
std::vector<TCustomForm*> gModalForms;

// Disables the visible, enabled top-level windows of this thread except `keep`.
std::vector<HWND> DisableThreadWindows(HWND keep) {
  struct Ctx {
    HWND keep;
    std::vector<HWND> list;
    static BOOL CALLBACK Visit(HWND h, LPARAM l) {
      auto* c = reinterpret_cast<Ctx*>(l);
      if (h != c->keep && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) c->list.push_back(h);
      return TRUE;
    }
  } ctx{keep, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &Ctx::Visit, reinterpret_cast<LPARAM>(&ctx));
  // The windows of another thread that owns the host's window are ours to block too.
  if (Application && Application->Handle() && ::IsWindow(Application->Handle()) &&
      std::find(ctx.list.begin(), ctx.list.end(), Application->Handle()) == ctx.list.end() &&
      ::IsWindowEnabled(Application->Handle()))
    ctx.list.push_back(Application->Handle());
  for (HWND h : ctx.list) ::EnableWindow(h, FALSE);
  return ctx.list;
}

void EnableWindows(const std::vector<HWND>& list) {
  for (HWND h : list)
    if (::IsWindow(h)) ::EnableWindow(h, TRUE);
}

enum { kHintShow = 1, kHintHide = 2 };
}  // namespace

// ============================================================================ TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  SetColor(clBtnFace);
  FFont.SetName("宋体");
  SetParentFont(false);
  FWidth = 320;
  FHeight = 240;
  if (Screen) Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
  SetComponentState(csDestroying, true);
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  gModalForms.erase(std::remove(gModalForms.begin(), gModalForms.end(), this), gModalForms.end());
  if (Screen) {
    auto& v = Screen->FForms;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  FActiveControl = nullptr;
  FFocusedControl = nullptr;
  FFocusWalk = nullptr;
}

void TCustomForm::DoCreate() {
  if (FCreated) return;
  FCreated = true;
  if (OnCreate) OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS);
  p.Style |= WS_CLIPCHILDREN;
  p.ExStyle = 0;
  switch (FBorderStyle) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle: p.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: p.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME; p.ExStyle |= WS_EX_DLGMODALFRAME; break;
    case bsToolWindow: p.Style |= WS_CAPTION; p.ExStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME; p.ExStyle |= WS_EX_TOOLWINDOW; break;
  }
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    bool canMinMax = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
    if (canMinMax && FBorderIcons.Contains(biMinimize)) p.Style |= WS_MINIMIZEBOX;
    if (canMinMax && FBorderIcons.Contains(biMaximize)) p.Style |= WS_MAXIMIZEBOX;
  }
  p.WndParent = !gModalForms.empty() && gModalForms.back() != this && gModalForms.back()->HandleAllocated()
                    ? gModalForms.back()->FHandle
                    : (Application ? Application->Handle() : nullptr);
}

void TCustomForm::CreateHandle() {
  TWinControl::CreateHandle();
  if (FWindowState != wsNormal && FVisible)
    ::ShowWindow(FHandle, FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWMINIMIZED);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    ::SetWindowLongW(FHandle, GWL_STYLE, static_cast<LONG>(p.Style | (::IsWindowVisible(FHandle) ? WS_VISIBLE : 0)));
    ::SetWindowLongW(FHandle, GWL_EXSTYLE, static_cast<LONG>(p.ExStyle));
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (v == FBorderIcons) return;
  FBorderIcons = v;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    ::SetWindowLongW(FHandle, GWL_STYLE, static_cast<LONG>(p.Style | (::IsWindowVisible(FHandle) ? WS_VISIBLE : 0)));
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

TWindowState TCustomForm::WindowState() const {
  if (FHandle && ::IsWindowVisible(FHandle)) {
    if (::IsZoomed(FHandle)) return wsMaximized;
    if (::IsIconic(FHandle)) return wsMinimized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState v) {
  FWindowState = v;
  if (FHandle && ::IsWindowVisible(FHandle))
    ::ShowWindow(FHandle, v == wsMaximized ? SW_MAXIMIZE : v == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::SetClientWidth(int v) { SetWidth(v + (FWidth - ClientWidth())); }
void TCustomForm::SetClientHeight(int v) { SetHeight(v + (FHeight - ClientHeight())); }

bool TCustomForm::Showing() const { return Visible(); }

// Centres the form as Position asks, once, before it is first shown. In a plug-in the
// host's window (Application->Handle) stands in for the main form.
void TCustomForm::PlaceOnScreen() {
  if (FPlaced) return;
  FPlaced = true;
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  RECT work = area;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  auto centreOn = [&](const RECT& r) {
    int x = r.left + (r.right - r.left - FWidth) / 2;
    int y = r.top + (r.bottom - r.top - FHeight) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - FWidth));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - FHeight));
    SetBounds(x, y, FWidth, FHeight);
  };
  auto centreOnWindow = [&](HWND h) {
    RECT r;
    if (h && ::IsWindow(h) && ::IsWindowVisible(h) && !::IsIconic(h) && ::GetWindowRect(h, &r)) centreOn(r);
    else centreOn(work);
  };
  switch (FPosition) {
    case poScreenCenter: centreOn(work); break;
    case poDesktopCenter: centreOn(area); break;
    case poMainFormCenter:
      if (Application && Application->MainForm() && Application->MainForm() != this && Application->MainForm()->HandleAllocated())
        centreOnWindow(Application->MainForm()->FHandle);
      else
        centreOnWindow(Application ? Application->Handle() : nullptr);
      break;
    case poOwnerFormCenter:
      if (auto* f = dynamic_cast<TCustomForm*>(Owner()); f && f->HandleAllocated()) centreOnWindow(f->FHandle);
      else centreOnWindow(Application ? Application->Handle() : nullptr);
      break;
    default:
      break;
  }
}

void TCustomForm::SetVisible(bool v) {
  if (v == FVisible) return;
  if (v) {
    DoCreate();
    if (OnShow) OnShow(this);
    PlaceOnScreen();
    HandleNeeded();
    FVisible = true;
    int cmd = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : FWindowState == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    ::ShowWindow(FHandle, cmd);
    ::SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (::GetActiveWindow() != FHandle && ::IsWindowEnabled(FHandle)) ::SetActiveWindow(FHandle);
  } else {
    if (OnHide) OnHide(this);
    FVisible = false;
    if (FHandle) {
      if (FWindowState != wsNormal) FWindowState = WindowState();
      ::ShowWindow(FHandle, SW_HIDE);
    }
  }
  Perform(CM_VISIBLECHANGED, v);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c == FActiveControl) return;
  if (c && (c == this || GetParentForm(c) != this || !c->CanFocus()))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = c;
  if (c && FActive && FHandle) ::SetFocus(c->Handle());
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = FActiveControl;
  if (target && !target->CanFocus()) target = nullptr;
  if (!target) target = FindNextControl(nullptr, true, true, false);
  if (target) {
    FActiveControl = target;
    ::SetFocus(target->Handle());
  } else {
    ::SetFocus(FHandle);
  }
}

void TCustomForm::SetFocusedControl(TWinControl* c) {
  if (Destroying() || c == FFocusedControl) {
    if (c && c != this) FActiveControl = c;
    return;
  }
  FFocusedControl = c;
  if (c != this) FActiveControl = c;
  // The events start where the last ones stopped, not at the control that last asked
  // for the focus: when a handler moved the focus on in the middle of a change, a
  // control never entered is not exited, and a container not exited is not entered
  // again.
  // Exit from there up to the nearest container that holds the new control...
  for (TWinControl* x = FFocusWalk; x && x != this && !x->ContainsControl(c);) {
    TWinControl* up = x->Parent();
    FFocusWalk = up == this ? nullptr : up;
    x->Perform(CM_EXIT);
    if (FFocusedControl != c) return;  // a handler moved the focus on
    x = up;
  }
  // ...then enter from that container down to the new control.
  std::vector<TWinControl*> chain;
  for (TWinControl* x = c; x && x != this && !(FFocusWalk && x->ContainsControl(FFocusWalk)); x = x->Parent())
    chain.push_back(x);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    FFocusWalk = *it;
    (*it)->Perform(CM_ENTER);
    if (FFocusedControl != c) return;
  }
  std::vector<TWinControl*> all;
  GetTabOrderList(all);
  for (TWinControl* w : all) w->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(c));
}

void TCustomForm::CMDialogKey(TMessage& m) {
  TShiftState shift = KeyDataToShiftState(m.LParam);
  switch (m.WParam) {
    case VK_TAB:
      if (shift.Contains(ssAlt)) return;
      if (shift.Contains(ssCtrl)) {  // Ctrl+Tab is for page controls
        Broadcast(m);
        return;
      }
      SelectNext(FActiveControl, !shift.Contains(ssShift), true);
      m.Result = 1;
      return;
    case VK_LEFT: case VK_UP:
      if (FActiveControl) SelectNext(FActiveControl, false, true);
      m.Result = 1;
      return;
    case VK_RIGHT: case VK_DOWN:
      if (FActiveControl) SelectNext(FActiveControl, true, true);
      m.Result = 1;
      return;
    case VK_RETURN: case VK_ESCAPE:
      Broadcast(m);
      return;
    default:
      return;
  }
}

void TCustomForm::CMDialogChar(TMessage& m) { Broadcast(m); }

void TCustomForm::WMActivate(TMessage& m) {
  bool active = LOWORD(m.WParam) != WA_INACTIVE;
  if (active) {
    FActive = true;
    if (OnActivate) OnActivate(this);
    if (!HIWORD(m.WParam) && FActive) SetWindowFocus();
  } else {
    FActive = false;
    if (OnDeactivate) OnDeactivate(this);
  }
  m.Result = 0;
}

void TCustomForm::WMSetFocus(TMessage& m) {
  if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus() && FActiveControl->HandleAllocated()) {
    ::SetFocus(FActiveControl->FHandle);
    return;
  }
  DefaultHandler(m);
  SetFocusedControl(this);
}

void TCustomForm::WMClose(TMessage& m) {
  Close();
  m.Result = 0;
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::Release() {
  ::PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caNone: break;
    case caHide:
      if (Application && Application->MainForm() == this) Application->Terminate();
      Hide();
      break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
  }
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  switch (action) {
    case caNone: FModalResult = mrNone; break;
    case caFree: Release(); break;
    default: break;
  }
}

int TCustomForm::ShowModal() {
  if (FVisible || !Enabled() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND cap = ::GetCapture()) {
    ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
    ::ReleaseCapture();
  }
  HWND activeBefore = ::GetActiveWindow();
  std::vector<HWND> disabled = DisableThreadWindows(FHandle);
  FModal = true;
  ++Application->FModalLevel;
  gModalForms.push_back(this);
  auto restore = [&] {
    gModalForms.erase(std::remove(gModalForms.begin(), gModalForms.end(), this), gModalForms.end());
    --Application->FModalLevel;
    // Enabled again before we hide, so that the activation goes back to the owner.
    EnableWindows(disabled);
    FModal = false;
    if (FVisible) Hide();
    if (activeBefore && ::IsWindow(activeBefore) && ::IsWindowVisible(activeBefore)) ::SetActiveWindow(activeBefore);
  };
  TModalResult result = mrNone;
  try {
    FModalResult = mrNone;
    Show();
    do {
      Application->HandleMessage();
      if (Application->Terminated()) FModalResult = mrCancel;
      if (FModalResult != mrNone) CloseModal();
    } while (FModalResult == mrNone);
    result = FModalResult;
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return result;
}

void TCustomForm::PaintWindow(HDC dc) {
  CanvasOnDC on(FCanvas, dc);
  FCanvas.Font()->Assign(&FFont);
  FCanvas.Brush()->SetColor(FColor);
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ACTIVATE: WMActivate(m); return;
    case WM_CLOSE: WMClose(m); return;
    case CM_RELEASE: CMRelease(m); return;
    case WM_MOUSEACTIVATE:
      // A click into a form of ours activates it without a focus fight.
      DefaultHandler(m);
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// ============================================================================ THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  SetColor(clInfoBk);
  FFont.SetName("宋体");
  FFont.SetHeight(-12);
  SetParentFont(false);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WndParent = nullptr;
}

TRect THintWindow::CalcHintRect(int maxWidth, const AnsiString& hint) {
  WindowDC screen;
  TCanvas c;
  TRect r = Rect(0, 0, maxWidth, 0);
  {
    CanvasOnDC on(c, screen.dc());
    c.Font()->Assign(&FFont);
    c.DrawText(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  r.Right += 6;
  r.Bottom += 4;
  return r;
}

void THintWindow::ActivateHint(const TRect& r, const AnsiString& hint) {
  SetText(hint);
  HandleNeeded();
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  ::SetWindowPos(FHandle, HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  ::InvalidateRect(FHandle, nullptr, TRUE);
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->DrawText(Text(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ============================================================================ TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  StopHintTimer();
  FHintWindow.reset();
  DestroyComponents();
  if (Application == this) Application = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

AnsiString TApplication::ExeName() const {
  wchar_t buf[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  return Ansi(buf, static_cast<int>(n));
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYDOWN || msg.message > WM_SYSCHAR || msg.message == WM_DEADCHAR ||
      msg.message == WM_SYSDEADCHAR)
    return false;
  TWinControl* c = TWinControl::FindOwningControl(msg.hwnd);
  if (!c) return false;
  TMessage m{CN_BASE + msg.message, msg.wParam, msg.lParam, 0};
  try {
    c->WndProc(m);
  } catch (...) {
    HandleException(c);
    return true;
  }
  if (m.Result != 0) return true;
  msg.wParam = m.WParam;  // a handler may have changed the key
  return false;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (!IsKeyMsg(msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) ::WaitMessage();
}

void TApplication::HandleException(TObject* Sender) {
  if (!std::current_exception()) return;
  try {
    try {
      throw;
    } catch (const EAbort&) {
      // silent by definition
    } catch (const Exception& e) {
      if (OnException) OnException(Sender, e);
      else ShowException(e);
    } catch (const std::exception& e) {
      Exception ex(e.what());
      if (OnException) OnException(Sender, ex);
      else ShowException(ex);
    } catch (...) {
      Exception ex("Unknown exception");
      if (OnException) OnException(Sender, ex);
      else ShowException(ex);
    }
  } catch (...) {
    // An exception handler that fails has nowhere left to report to.
  }
}

void TApplication::ShowException(const Exception& E) {
  AnsiString caption = FTitle;
  if (caption.empty()) {
    AnsiString exe = ExeName();
    size_t slash = exe.find_last_of("\\/");
    caption = slash == AnsiString::npos ? exe : exe.substr(slash + 1);
    size_t dot = caption.rfind('.');
    if (dot != AnsiString::npos) caption.resize(dot);
  }
  MessageBox(E.Message(), caption, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) {
  HWND owner = ::GetActiveWindow();
  if (!owner) owner = FHandle;
  return DialogService()->MessageBox(owner, Text, Caption, Flags);
}

void TApplication::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  if (!v) CancelHint();
}

void TApplication::StartHintTimer(int ms, int kind) {
  StopHintTimer();
  FHintTimerKind = kind;
  FHintTimer = ::SetTimer(nullptr, 0, static_cast<UINT>(std::max(ms, 1)), HintTimerProc);
}

void TApplication::StopHintTimer() {
  if (FHintTimer) ::KillTimer(nullptr, FHintTimer);
  FHintTimer = 0;
}

void CALLBACK TApplication::HintTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (!Application) return;
  try {
    int kind = Application->FHintTimerKind;
    Application->StopHintTimer();
    if (kind == kHintShow) {
      POINT p;
      ::GetCursorPos(&p);
      Application->ActivateHint({p.x, p.y});
    } else {
      Application->CancelHint();
    }
  } catch (...) {
    Application->HandleException(Application);
  }
}

void TApplication::HintMouseMessage(TControl* control, TPoint pos) {
  if (!FShowHint || !control) return;
  FHintCursor = control->ClientToScreen(pos);
  if (control == FHintControl) return;
  CancelHint();
  if (control->ShowHint() && !control->Hint().empty()) {
    FHintControl = control;
    StartHintTimer(FHintPause, kHintShow);
  }
}

void TApplication::CancelHint() {
  StopHintTimer();
  FHintControl = nullptr;
  if (FHintShown && FHintWindow) {
    FHintWindow->Hide();
    if (FHintWindow->HandleAllocated()) ::ShowWindow(FHintWindow->Handle(), SW_HIDE);
  }
  FHintShown = false;
}

void TApplication::ActivateHint(TPoint cursorPos) {
  TControl* control = FHintControl;
  if (!control) return;
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.HintColor = FHintColor;
  info.CursorRect = control->ClientRect();
  info.HintPos = {cursorPos.X, cursorPos.Y + 20};
  info.HideTimeout = FHintHidePause;
  AnsiString hint = control->Hint();
  size_t bar = hint.find('|');
  if (bar != AnsiString::npos) hint.resize(bar);
  info.HintStr = hint;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  hint = info.HintStr;
  if (canShow && OnShowHint) OnShowHint(hint, canShow, info);
  if (!canShow || hint.empty()) return;
  if (!FHintWindow) FHintWindow = std::make_unique<THintWindow>(nullptr);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, hint);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  FHintWindow->ActivateHint(r, hint);
  FHintShown = true;
  StartHintTimer(info.HideTimeout, kHintHide);
}

// ================================================================================ TScreen

TScreen::TScreen() : TComponent(nullptr) {}

void TScreen::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  ::SetCursor(CursorHandle(v == crDefault ? crArrow : v));
}

int TScreen::Width() const { return ::GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return ::GetSystemMetrics(SM_CYSCREEN); }

TCustomForm* TScreen::ActiveForm() const {
  return dynamic_cast<TCustomForm*>(TWinControl::FindControl(::GetActiveWindow()));
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}

// The two objects exist from the program's (or the DLL's) start; their constructors
// touch no window. The screen outlives the application (reverse order of definition).
static TScreen gScreen;
static TApplication gApplication;
TScreen* Screen = &gScreen;
TApplication* Application = &gApplication;

void ShowMessage(const AnsiString& Text) {
  AnsiString caption = Application->Title();
  Application->MessageBox(Text, caption, MB_OK);
}
