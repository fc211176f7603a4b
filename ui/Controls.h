// Controls: the visual component tree over Win32 windows.
//
// TControl is anything on a form: bounds, alignment, visibility, font and colour, mouse
// events. TGraphicControl has no window; its parent paints it and passes it the mouse.
// TWinControl wraps one real window: either one of ours (forms, panels, custom controls)
// or a window of a system class (edit, button, combo box, ...) subclassed so that every
// message goes through the one virtual WndProc below. The object is attached to the
// window when it is created and detached at WM_NCDESTROY; the window carries the
// component's Name as the window property "PosName" (a global atom) so that tests and
// automation find a control from outside by name.
//
// How a message travels (see docs/ARCHITECTURE.md): the application's loop first offers
// keyboard messages to the owning control as CN_KEYDOWN/CN_CHAR/CN_KEYUP (form preview,
// the control's own key events, dialog keys), then translates and dispatches what is
// left. The static window procedure finds the object, builds a TMessage and calls
// WndProc, which switches on the message and calls one typed handler; what no handler
// takes goes to DefaultHandler (the window's original procedure). A parent reflects
// WM_COMMAND/WM_NOTIFY/WM_CTLCOLOR* to the child's object as CN_* messages. No exception
// leaves a window procedure: it is handed to Application->HandleException.
//
// Windows are made lazily: a control's window exists once its parent's does and someone
// needs it (HandleNeeded); until then the properties live in the object.
//
// The code is split by concern: Controls.cpp (TControl), ControlTree.cpp (children),
// ControlWindow.cpp (the window and PosWindowProc), ControlLayout.cpp, ControlFocus.cpp,
// ControlKeyboard.cpp, ControlPaint.cpp and ControlMessages.cpp (TWinControl's switch).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "rtl/Classes.h"
#include "ui/Graphics.h"
#include "ui/Types.h"
#include "ui/WinApi.h"

// --- messages ---------------------------------------------------------------------------
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Framework notifications (sent with Perform, never through the system).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_CANCELMODE = CM_BASE + 4,
               CM_DIALOGKEY = CM_BASE + 5,
               CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7,
               CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
               CM_FONTCHANGED = CM_BASE + 10, CM_COLORCHANGED = CM_BASE + 11,
               CM_ENABLEDCHANGED = CM_BASE + 12, CM_VISIBLECHANGED = CM_BASE + 13,
               CM_TEXTCHANGED = CM_BASE + 14, CM_ENTER = CM_BASE + 15, CM_EXIT = CM_BASE + 16,
               CM_MOUSEENTER = CM_BASE + 17, CM_MOUSELEAVE = CM_BASE + 18,
               CM_RELEASE = CM_BASE + 19, CM_SHOWHINTCHANGED = CM_BASE + 20,
               CM_PARENTSHOWHINTCHANGED = CM_BASE + 21, CM_HINTSHOW = CM_BASE + 22,
               CM_WANTSPECIALKEY = CM_BASE + 23, CM_CHILDKEY = CM_BASE + 24;
constexpr UINT CM_CHANGED = CM_BASE + 55;  // a control's value changed (told to its parent)
// CM_CANCELMODE: a mouse button went down on a control (LParam: the TControl*); the
// form's active control hears it first, so that what it holds open for the mouse (a
// drop-down list) closes when the press is elsewhere. A grid passes it to its editor.
// Messages reflected to a child's own object, and keyboard messages offered before
// translation: CN_BASE + the system message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND, CN_NOTIFY = CN_BASE + WM_NOTIFY,
               CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_KEYUP = CN_BASE + WM_KEYUP,
               CN_CHAR = CN_BASE + WM_CHAR, CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
               CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP, CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
               CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT, CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
               CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX, CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
               CN_DRAWITEM = CN_BASE + WM_DRAWITEM, CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
               CN_HSCROLL = CN_BASE + WM_HSCROLL, CN_VSCROLL = CN_BASE + WM_VSCROLL;

// --- enumerations -----------------------------------------------------------------------
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TShiftStateMember { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateMember>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TControlStyleMember {
  csAcceptsControls, csCaptureMouse, csClickEvents, csFramed, csSetCaption, csOpaque,
  csDoubleClicks, csFixedWidth, csFixedHeight, csNoStdEvents, csReplicatable
};
using TControlStyle = TSet<TControlStyleMember>;
enum TControlStateMember { csLButtonDown, csClicked, csAlignmentNeeded, csFocusing, csCreating, csCustomPaint };
using TControlState = TSet<TControlStateMember>;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT,
                       mrRetry = IDRETRY, mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO,
                       mrAll = mrNo + 1, mrNoToAll = mrAll + 1, mrYesToAll = mrNoToAll + 1;

// --- events -----------------------------------------------------------------------------
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
// Key is the character typed: ASCII as it is; for any other character the lead byte of
// its GBK form. Setting Key to 0 drops the character; setting another ASCII character
// replaces it.
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMessageHandler = std::function<void(TMessage& Message)>;

// Controls draw themselves in the 3-D style of the system (always so on Win32 today).
inline constexpr bool NewStyleControls = true;

// Shift state of the keyboard now (and of the mouse buttons).
TShiftState KeyboardShiftState();
// Shift state of a key message: Shift/Ctrl from the keyboard, Alt from the key data.
TShiftState KeyDataToShiftState(LPARAM keyData);

class TWinControl;
class TCustomForm;

// --- TControl ---------------------------------------------------------------------------
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(int v) { SetWidth(v); }
  virtual void SetClientHeight(int v) { SetHeight(v); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  TPoint ClientOrigin() const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors v);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a top-level window visible too.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);

  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  TFont* Font() { return &FFont; }
  void SetFont(TFont* f) { FFont.Assign(f); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool v);

  // Caption and Text are the same string: the window text of a windowed control.
  AnsiString Caption() const { return GetText(); }
  void SetCaption(const AnsiString& v) { SetText(v); }
  AnsiString Text() const { return GetText(); }
  void SetText(const AnsiString& v);

  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& v) { FHint = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v) { FCursor = v; }

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle v) { FControlStyle = v; }
  TControlState ControlState() const { return FControlState; }

  virtual void Invalidate();
  virtual void Update();
  void Repaint() { Invalidate(); Update(); }
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // Sends a message straight to this object's WndProc (no window involved).
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The one message switch of a control; overrides handle their messages and pass the
  // rest to the inherited WndProc.
  virtual void WndProc(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message) {}

  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TContextPopupEvent OnContextPopup;

 protected:
  virtual AnsiString GetText() const { return FText; }
  virtual void SetTextCore(const AnsiString& v) { FText = v; }
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged();
  // The bounds changed (stored values are already the new ones).
  virtual void BoundsChanged(bool sized);
  void RequestAlign();
  // Records how far the control stands from its parent's right and bottom edges.
  void UpdateAnchorRules();
  bool Destroying() const { return HasState(csDestroying); }
  void SetControlState(TControlStateMember m, bool on) { if (on) FControlState << m; else FControlState >> m; }

  void WMMouse(TMessage& m);
  void CMParentFontChanged(TMessage& m);
  void CMParentColorChanged(TMessage& m);
  void CMParentShowHintChanged(TMessage& m);
  void NotifyChildren(UINT msg);

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  AnsiString FText;
  bool FVisible = true;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csSetCaption};
  TColor FColor = clWindow;
  TFont FFont;

 private:
  friend class TWinControl;
  friend class TCustomForm;
  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  int FAnchorRight = 0, FAnchorBottom = 0;  // distances to the parent's client edges
  bool FEnabled = true;
  bool FParentColor = true;
  bool FParentFont = true;
  bool FFontFromParent = false;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  TControlState FControlState;
};

// --- TWinControl ------------------------------------------------------------------------
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // A system class to create and subclass ("EDIT", "BUTTON", ...); empty: our own class.
  std::wstring WinClassName;
  UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made on demand (with the parents' windows first).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window (children's with it); the object keeps its state.
  void DestroyHandle();
  // The control attached to a window, or null.
  static TWinControl* FindControl(HWND h);
  // The control owning a window: its own, or the nearest parent window's (a combo
  // box's inner edit belongs to the combo box).
  static TWinControl* FindOwningControl(HWND h);

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  bool ContainsControl(const TControl* c) const;
  TControl* ControlAtPos(TPoint p, bool allowDisabled) const;  // graphic children only

  int TabOrder() const;
  void SetTabOrder(int v);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  // Visible, enabled, with visible and enabled parents up to the form.
  virtual bool CanFocus() const;
  virtual bool Focused() const;
  // Gives this control the focus (EInvalidOperation "Cannot focus a disabled or
  // invisible window" when it cannot take it). On a form not active yet it becomes the
  // form's ActiveControl and takes the focus when the form is activated.
  virtual void SetFocus();
  // Tab order of the windowed descendants that can take the focus, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // Next (or previous) focusable control after `current` in this container's tab order.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop, bool checkParent) const;
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  void SetVisible(bool v) override;
  void Invalidate() override;
  void Update() override;

  // Lays out the children: alTop, alBottom, alLeft, alRight, alClient in that order
  // inside the client rectangle, then the anchored ones.
  // AControl, when given, is the control whose move asked for the layout: it goes first
  // among controls of the same alignment at the same position.
  void Realign(TControl* AControl = nullptr);
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign() { if (--FAlignLevel == 0 && FAlignPending) Realign(); }
  // The area the children are aligned in (panels take their bevels off).
  virtual void AdjustClientRect(TRect& r) const {}

  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
  // Paints the control and its children into dc at (x, y): our own paint path for our
  // windows, WM_PRINT for system controls.
  void PaintTo(HDC dc, int x, int y);
  // Sends the message to every child's WndProc until one sets a non-zero Result.
  void Broadcast(TMessage& m);

  // Messages of a given number handled by a function instead of the switch: a screen's
  // private messages (WM_USER + n posted to it).
  void RegisterMessageHandler(UINT msg, TMessageHandler handler);
  void UnregisterMessageHandler(UINT msg);

  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // A new name is carried by the window at once.
  void SetName(const AnsiString& value) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  // After the window exists: font, texts and children. Overrides push their state
  // into the window and call the inherited one.
  virtual void CreateHandle();
  // Before the window goes: overrides save what only the window holds.
  virtual void DestroyWnd();
  AnsiString GetText() const override;
  void SetTextCore(const AnsiString& v) override;
  void FontChanged() override;
  void ColorChanged() override;
  void EnabledChanged() override;
  void BoundsChanged(bool sized) override;
  virtual void AlignControls(TControl* AControl, TRect& Rect);

  // Painting of our own windows: background, then PaintWindow's content, then the
  // graphic children; double-buffered through a memory bitmap.
  virtual void PaintWindow(HDC dc) {}
  virtual void PaintBackground(HDC dc);
  void PaintControls(HDC dc);
  void PaintHandler(HDC dc, const RECT* clip);

  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  // Whether the control takes this dialog key (Tab, Enter, Esc, arrows) itself.
  virtual bool WantsKey(WORD key, const MSG* msg);
  // Whether typed characters are the control's own (no accelerator without Alt).
  virtual bool WantsChars();

  virtual void CNKeyDown(TMessage& m);
  virtual void CNChar(TMessage& m);
  virtual void CNKeyUp(TMessage& m);
  virtual void CNSysKeyDown(TMessage& m);
  virtual void CNSysChar(TMessage& m);
  virtual void CNCommand(TMessage& m) {}
  virtual void CNNotify(TMessage& m) {}
  virtual void CNCtlColor(TMessage& m);
  virtual void WMSetFocus(TMessage& m);
  virtual void WMKillFocus(TMessage& m);
  virtual void WMPaint(TMessage& m);
  virtual void WMEraseBkgnd(TMessage& m);
  virtual void WMSetCursor(TMessage& m);
  virtual void WMWindowPosChanged(TMessage& m);
  virtual void WMContextMenu(TMessage& m);
  virtual void CMEnter(TMessage& m) { DoEnter(); }
  virtual void CMExit(TMessage& m) { DoExit(); }
  // Containers pass dialog keys and characters on to their children.
  virtual void CMDialogKey(TMessage& m) { Broadcast(m); }
  virtual void CMDialogChar(TMessage& m) { Broadcast(m); }
  void ReflectToChild(TMessage& m, HWND child);
  // The brush for WM_CTLCOLOR*: the control's Color.
  HBRUSH ColorBrush();
  // The character of a WM_CHAR for the key events, and back.
  static char CharToKey(WPARAM ch);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;

 private:
  friend class TControl;
  friend class TCustomForm;
  friend LRESULT CALLBACK PosWindowProc(HWND, UINT, WPARAM, LPARAM);
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void Attach(HWND h);
  void Detach();
  void DetachTree();
  bool ForwardMouseToGraphic(TMessage& m);
  bool DoKeyDown(WORD& key, TShiftState shift);
  bool DoKeyPress(char& key);
  bool DoKeyUp(WORD& key, TShiftState shift);

  std::vector<TControl*> FControls;     // z-order, bottom first
  std::vector<TWinControl*> FTabList;   // tab order
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FAlignPending = false;
  bool FAligning = false;
  bool FDoubleBuffered = true;
  TControl* FMouseControl = nullptr;    // graphic child holding the mouse
  TControl* FHoverControl = nullptr;    // graphic child under the mouse
  bool FTrackingLeave = false;
  void UpdateHover(TPoint p);
  ui_win::GdiObject<HBRUSH> FColorBrush;
  TColor FColorBrushColor = clNone;
  ATOM FNameAtom = 0;
  std::map<UINT, TMessageHandler> FMessageHandlers;
};

// --- graphic and custom controls ----------------------------------------------------------
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  // The canvas while Paint runs (the parent's paint DC, origin at this control).
  TCanvas* Canvas() { return &FCanvas; }
  // Paints into dc with the origin at this control's top-left corner.
  void PaintOn(HDC dc);

 protected:
  virtual void Paint() {}
  TCanvas FCanvas;
};

// A window of our own class that paints itself through Paint() on its Canvas.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas* Canvas() { return &FCanvas; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  TCanvas FCanvas;
};

TCustomForm* GetParentForm(const TControl* c);
// The Alt+letter test of "&" captions: `ch` (any case) follows a single '&'.
bool IsAccel(unsigned ch, const AnsiString& caption);
// The caption without its accelerator marks ("&&" gives "&").
AnsiString StripHotkey(const AnsiString& caption);

namespace ui_win {
// Our window class (registered on first use with the module's instance).
const wchar_t* PosWindowClass();
}  // namespace ui_win
