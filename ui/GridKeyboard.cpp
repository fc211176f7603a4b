// TCustomGrid's keyboard: the keys it wants from the dialog, moving the current cell and
// the top-left cell by keys, Enter and F2 for the editor, and the characters that open it.
//
// Two adjustments to this framework's key order: a dialog key the grid does not want
// (WM_GETDLGCODE) goes to the form before the grid's KeyDown sees it, and a character
// that opens the editor is not offered to the grid's KeyPress on the way (the editor
// offers it when it arrives there), so each key event reaches the grid once, in the
// platform's order.
#include "ui/Grids.h"

#include <algorithm>

#include "ui/Forms.h"
#include "ui/GridDetail.h"

using namespace ui_win;

namespace ui_grid_detail {
bool OfferDialogKey(TWinControl* c, bool wanted, TMessage& m) {
  const WORD key = static_cast<WORD>(m.WParam);
  switch (key) {
    case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: break;
    default: return false;
  }
  if (wanted) return false;
  TCustomForm* form = GetParentForm(c);
  return form && form != c && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0;
}
}  // namespace ui_grid_detail
using ui_grid_detail::OfferDialogKey;

void TCustomGrid::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_WANTARROWS;
  if (!FOptions.Contains(goRowSelect)) {
    if (FOptions.Contains(goTabs)) m.Result |= DLGC_WANTTAB;
    if (FOptions.Contains(goEditing)) m.Result |= DLGC_WANTCHARS;
  }
}

// True when the form took the key.
bool TCustomGrid::OfferKeyToForm(TMessage& m) {
  const HWND focus = ::GetFocus();
  MSG msg{focus ? focus : FHandle, WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
  if (OfferDialogKey(this, WantsKey(static_cast<WORD>(m.WParam), &msg), m)) {
    m.Result = 1;
    return true;
  }
  return false;
}

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!CanGridAcceptKey(Key, Shift)) Key = 0;
  TGridCoord newCurrent = FCurrent;
  TGridCoord newTopLeft = FTopLeft;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const int pageWidth = std::max(1, info.Horz.LastFullVisibleCell - LeftCol());
  const int pageHeight = std::max(1, info.Vert.LastFullVisibleCell - TopRow());
  const bool rowSelect = FOptions.Contains(goRowSelect);
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
      case VK_UP: --newTopLeft.Y; break;
      case VK_DOWN: ++newTopLeft.Y; break;
      case VK_LEFT:
        if (!rowSelect) {
          newCurrent.X -= pageWidth;
          newTopLeft.X -= pageWidth;
        }
        break;
      case VK_RIGHT:
        if (!rowSelect) {
          newCurrent.X += pageWidth;
          newTopLeft.X += pageWidth;
        }
        break;
      case VK_PRIOR: newCurrent.Y = TopRow(); break;
      case VK_NEXT: newCurrent.Y = info.Vert.LastFullVisibleCell; break;
      case VK_HOME:
        newCurrent.X = FFixedCols;
        newCurrent.Y = FFixedRows;
        break;
      case VK_END:
        newCurrent.X = FColCount - 1;
        newCurrent.Y = FRowCount - 1;
        break;
      default: break;
    }
  } else {
    switch (Key) {
      case VK_UP: --newCurrent.Y; break;
      case VK_DOWN: ++newCurrent.Y; break;
      case VK_LEFT:
        if (rowSelect) --newTopLeft.X; else --newCurrent.X;
        break;
      case VK_RIGHT:
        if (rowSelect) ++newTopLeft.X; else ++newCurrent.X;
        break;
      case VK_NEXT:
        newCurrent.Y += pageHeight;
        newTopLeft.Y += pageHeight;
        break;
      case VK_PRIOR:
        newCurrent.Y -= pageHeight;
        newTopLeft.Y -= pageHeight;
        break;
      case VK_HOME:
        if (rowSelect) newCurrent.Y = FFixedRows; else newCurrent.X = FFixedCols;
        break;
      case VK_END:
        if (rowSelect) newCurrent.Y = FRowCount - 1; else newCurrent.X = FColCount - 1;
        break;
      case VK_TAB:
        if (!Shift.Contains(ssAlt)) {
          const bool back = Shift.Contains(ssShift);
          // Tab moves the anchor with the current cell, with Shift or without.
          Shift >> ssShift;
          for (int guard = 0; guard <= FColCount * 2; ++guard) {
            if (back) {
              if (--newCurrent.X < FFixedCols) {
                newCurrent.X = FColCount - 1;
                if (--newCurrent.Y < FFixedRows) newCurrent.Y = FRowCount - 1;
              }
            } else if (++newCurrent.X >= FColCount) {
              newCurrent.X = FFixedCols;
              if (++newCurrent.Y >= FRowCount) newCurrent.Y = FFixedRows;
            }
            if (TabStops(newCurrent.X) || newCurrent.X == FCurrent.X) break;
          }
        }
        break;
      case VK_F2: SetEditorMode(true); break;
      default: break;
    }
  }
  const TGridCoord maxTopLeft = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, info);
  newTopLeft.X = std::clamp(newTopLeft.X, FFixedCols, std::max(FFixedCols, maxTopLeft.X));
  newTopLeft.Y = std::clamp(newTopLeft.Y, FFixedRows, std::max(FFixedRows, maxTopLeft.Y));
  if (newTopLeft != FTopLeft) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
  newCurrent.X = std::clamp(newCurrent.X, FFixedCols, FColCount - 1);
  newCurrent.Y = std::clamp(newCurrent.Y, FFixedRows, FRowCount - 1);
  if (newCurrent != FCurrent) FocusCell(newCurrent.X, newCurrent.Y, !Shift.Contains(ssShift));
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (!AlwaysShowEditor(Col()) && Key == '\r') {
    if (FEditorMode)
      HideEditor();
    else
      ShowEditor();
    Key = 0;
  }
}

// Characters that open the editor are not key presses of the grid: the editor offers
// them to the grid's KeyPress when they arrive there.
void TCustomGrid::CNChar(TMessage& m) {
  const WPARAM ch = m.WParam;
  if (FOptions.Contains(goEditing) && (ch == 8 || ch >= 32)) {
    m.Result = 0;
    return;
  }
  TCustomControl::CNChar(m);
}

void TCustomGrid::WMChar(TMessage& m) {
  const WPARAM ch = m.WParam;
  if (FOptions.Contains(goEditing) && (ch == 8 || ch >= 32))
    ShowEditorChar(ch);
  else
    DefaultHandler(m);
}
