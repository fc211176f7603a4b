// Forms, the application object and the screen.
//
// TCustomForm is a top-level window of ours: border style, position, window state,
// key preview, the focus bookkeeping of its controls (ActiveControl, OnEnter/OnExit),
// dialog keys (Tab, arrows, Enter to the default button, Esc to the cancel button),
// Alt+letter accelerators, Close with its close actions and ShowModal.
//
// ShowModal disables every other enabled top-level window of the thread (the host's
// window included), shows the form and runs the application's loop until ModalResult
// is non-zero; then it asks OnCloseQuery/OnClose (a close action of caNone keeps the
// form open), re-enables the windows it disabled, hides the form and returns the
// result. Close on a modal form sets ModalResult to mrCancel; on another form it runs
// OnClose and then hides (caHide), minimizes (caMinimize) or frees (caFree, through
// Release: a posted CM_RELEASE, so the form is freed after the handler has returned)
// the form. A form freed while a CM_RELEASE is still queued is simply gone: the posted
// message dies with its window.
//
// Private messages: a form registers a handler for its message number
// (RegisterMessageHandler(WM_USER + 231, fn)) and anyone posts that message to its
// Handle; the handler runs inside the form's window procedure.
//
// Application is created without touching any window (the DLL may be loaded into a
// host before any of our windows exists); its Handle is the host's window, given by
// the exports, and owns the modal forms.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "ui/Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;  // bsNone or bsSingle for controls
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState v);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }
  void SetClientWidth(int v) override;
  void SetClientHeight(int v) override;

  // The control that has (or will get, when the form is activated) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  // EInvalidOperation "Cannot focus a disabled or invisible window" when it cannot.
  void SetActiveControl(TWinControl* c);
  bool Active() const { return FActive; }

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  bool Modal() const { return FModal; }
  // EInvalidOperation "Cannot make a visible window modal" on a visible form.
  int ShowModal();
  void Close();
  bool CloseQuery();
  // Frees the form once the messages queued before it are done.
  void Release();
  // Fires OnCreate once. Forms built in code call it at the end of their constructor
  // (or CreateForm does); showing a form fires it when nobody has.
  void DoCreate();

  void SetVisible(bool v) override;
  bool Showing() const override;
  TCanvas* Canvas() { return &FCanvas; }

  // Focus bookkeeping: called when `c` receives the focus; sends CM_EXIT up the old
  // chain and CM_ENTER down the new one, in that order.
  void SetFocusedControl(TWinControl* c);
  // Form-level dialog keys and characters (Tab, arrows, Enter, Esc, accelerators).
  void CMDialogKey(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void WndProc(TMessage& Message) override;
  void PaintWindow(HDC dc) override;
  virtual void Paint();
  virtual void DoClose(TCloseAction& Action);
  void WMActivate(TMessage& m);
  void WMClose(TMessage& m);
  void WMSetFocus(TMessage& m) override;
  void CMRelease(TMessage& m);

 private:
  friend class TWinControl;
  void PlaceOnScreen();
  void CloseModal();
  void SetWindowFocus();

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  bool FKeyPreview = false;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  // How far the enter and exit events have got: the innermost control entered and not
  // exited (null: the form). It equals FFocusedControl once a focus change has run its
  // course, and lags behind when a handler moved the focus on in the middle.
  TWinControl* FFocusWalk = nullptr;
  bool FActive = false;
  bool FModal = false;
  bool FCreated = false;
  bool FPlaced = false;
  TModalResult FModalResult = mrNone;
  TCanvas FCanvas;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// Creates a form of class F and fires its OnCreate, as the platform's form creation does.
template <typename F, typename... Args>
F* CreateForm(TComponent* owner, Args&&... args) {
  F* f = new F(owner, std::forward<Args>(args)...);
  f->DoCreate();
  return f;
}

// --- hints ----------------------------------------------------------------------------------
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;          // in the control's client coordinates
  int HintMaxWidth = 300;
  TColor HintColor = clInfoBk;
  TRect CursorRect;          // the hint stays while the mouse stays in it
  TPoint HintPos;            // screen position of the hint window
  int HideTimeout = 2500;
  AnsiString HintStr;
  void* HintData = nullptr;
};
using TShowHintEvent = std::function<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The small window that shows a hint.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  TRect CalcHintRect(int maxWidth, const AnsiString& hint);
  // Shows the hint in screen rectangle r without taking the activation.
  void ActivateHint(const TRect& r, const AnsiString& hint);
  void ReleaseHandle() { DestroyHandle(); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// --- application ------------------------------------------------------------------------------
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // The host's main window: owner of our top-level forms (0 outside a call).
  HWND Handle() const { return FHandle; }
  void SetHandle(HWND h) { FHandle = h; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& v) { FTitle = v; }
  // Full path of the executable (the host's, in a plug-in), GBK.
  AnsiString ExeName() const;
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* f) { FMainForm = f; }

  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Handles one message, waiting for one when the queue is empty.
  void HandleMessage();
  bool Terminated() const { return FTerminated; }
  void Terminate() { FTerminated = true; }

  // To be called inside a catch: shows the exception (OnException when assigned, else
  // a message box with its message) and returns; EAbort is silent.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  TExceptionEvent OnException;

  // A message box through the dialog service, owned by the active window. GBK texts.
  int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags);

  // Hints.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int ms) { FHintPause = ms; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int ms) { FHintHidePause = ms; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor c) { FHintColor = c; }
  TShowHintEvent OnShowHint;
  // A control saw the mouse at `pos` (its client coordinates).
  void HintMouseMessage(TControl* control, TPoint pos);
  void CancelHint();
  // Shows the hint of the control under the mouse now (what the hint timer does).
  void ActivateHint(TPoint cursorPos);
  THintWindow* HintWindow() const { return FHintWindow.get(); }
  // The control the pending or shown hint belongs to.
  TControl* HintControl() const { return FHintControl; }

  int ModalLevel() const { return FModalLevel; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TCustomForm;
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void StartHintTimer(int ms, int kind);
  void StopHintTimer();
  static void CALLBACK HintTimerProc(HWND, UINT, UINT_PTR, DWORD);

  HWND FHandle = nullptr;
  AnsiString FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  int FModalLevel = 0;
  bool FShowHint = true;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  TControl* FHintControl = nullptr;
  bool FHintShown = false;
  UINT_PTR FHintTimer = 0;
  int FHintTimerKind = 0;
  TPoint FHintCursor;
  std::unique_ptr<THintWindow> FHintWindow;
};

class TScreen : public TComponent {
 public:
  TScreen();
  // The cursor shown over every control of ours (crDefault: each control's own).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  int Width() const;
  int Height() const;
  int PixelsPerInch() const { return ScreenPixelsPerInch(); }
  // Our form owning the active window, or null.
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int i) const { return FForms.at(static_cast<size_t>(i)); }

 private:
  friend class TCustomForm;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
};

extern TApplication* Application;
extern TScreen* Screen;

// A message box with the application's title as caption and an OK button.
void ShowMessage(const AnsiString& Text);
