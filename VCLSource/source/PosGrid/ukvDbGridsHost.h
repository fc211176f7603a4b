// What the grid's column model needs from the grid control, and the window-free values
// it keeps for the grid's painting (colours, fonts, input-method settings).
//
// IkwColumnsGrid is implemented by the data-aware grid control; every operation that
// concerns windows (relaying, invalidating, moving the selection, showing the editor,
// font metrics) is a hook here, answered by the grid. The defaults are those of a column
// without a grid, so a model works (and is tested) with an empty implementation.
//
// Lifetime: each column has a field item in the grid's data controller and takes it out
// when it is destroyed, so the grid frees its columns before its data controller.
#pragma once
#include <climits>
#include <cstdint>
#include <functional>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"

class TField;
class TkwColumn;
class TkwGridDataLink;
class TkvCustomDbDataController;
class TkvExprCalculator;

// The platform's colour value (0x00BBGGRR, or a system colour 0xFF000000 | index).
using TColor = int32_t;
namespace kwcolor {
constexpr TColor Window = static_cast<TColor>(0xFF000005);
constexpr TColor WindowText = static_cast<TColor>(0xFF000008);
constexpr TColor BtnFace = static_cast<TColor>(0xFF00000F);
}  // namespace kwcolor

enum TImeMode : uint8_t { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
                          imChinese, imSHanguel, imHanguel };

// Scoped: the window side's TFontStyle has the same names in the same order.
enum class TkwFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A font as a column stores it; the grid makes the drawing font from it. A new font is
// "宋体" 9 pt (height -12), GB2312, window text. OnChange runs after every change.
class TkwGridFont : public TPersistent {
 public:
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v);
  int Height() const { return FHeight; }
  void SetHeight(int v);
  uint8_t Style() const { return FStyle; }  // bit i for TkwFontStyle i
  void SetStyle(uint8_t v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t v);
  bool SameAs(const TkwGridFont& o) const;
  void Assign(TPersistent* Source) override;
  void DefinePublished(TPublishedProperties& P) override;
  std::function<void()> OnChange;

 private:
  void Changed();
  AnsiString FName = "宋体";
  int FHeight = -12;
  uint8_t FStyle = 0;
  TColor FColor = kwcolor::WindowText;
  uint8_t FCharset = 134;  // GB2312
};

class IkwColumnsGrid {
 public:
  virtual ~IkwColumnsGrid() = default;

  // --- data --------------------------------------------------------------------------------
  virtual TkvCustomDbDataController* DataController() = 0;
  // The grid as a component: a field mapped to a column tells it when it is destroyed
  // (none: nobody is told).
  virtual TComponent* GridComponent() { return nullptr; }
  virtual TkwGridDataLink& DataLink() = 0;
  // The calculator of column formulas, made on first use and kept.
  virtual TkvExprCalculator& ExprCalculator() = 0;

  // --- state -------------------------------------------------------------------------------
  virtual bool IsLoading() { return false; }
  virtual bool IsDesigning() { return false; }
  virtual bool InBeginUpdate() { return false; }
  virtual bool ReadOnly() { return false; }
  virtual bool CanModifyData() { return true; }
  virtual bool ShowsMultiLevelTitles() { return false; }

  // --- defaults of the columns' appearance ----------------------------------------------------
  virtual TColor Color() { return kwcolor::Window; }
  virtual TColor FixedColor() { return kwcolor::BtnFace; }
  virtual int DefaultColWidth() { return 64; }
  virtual const TkwGridFont* Font() { return nullptr; }
  virtual const TkwGridFont* TitleFont() { return nullptr; }
  virtual TImeMode ImeMode() { return imDontCare; }
  virtual AnsiString ImeName() { return AnsiString(); }
  // The screen's default input method (a new column's ImeName).
  virtual AnsiString DefaultImeName() { return AnsiString(); }

  // --- layout and painting -----------------------------------------------------------------
  virtual void BeginLayout() {}
  virtual void EndLayout() {}
  // True while the grid's layout is locked: the layout pass at the end of the lock has
  // the rebound columns read their values (TkwDBGridColumns::ReadReboundFields), once for
  // every column bound in the meantime.
  virtual bool InLayout() { return false; }
  // The collection's change notices: one column changed, or all of them (relayout).
  virtual void ColumnChanged(TkwColumn* column) {}
  virtual void ColumnsChanged() {}
  // A default column's width in pixels is written to its field's display width in
  // characters of the column font; true when the width then lives in the field alone
  // (the column does not keep it).
  virtual bool WriteWidthToField(TkwColumn* column, int width) { return false; }
  // The grid's selected column, and moving the selection off a column no longer shown
  // (an expanded or collapsed column hid it): to the first column shown after it (delta
  // 1) or before it (-1). The layout that hid it may have moved the grid's current
  // column already; the move starts from the column that was selected.
  virtual TkwColumn* SelectedColumn() { return nullptr; }
  virtual void MoveSelection(TkwColumn* from, int delta) {}
  virtual void InvalidateGrid() {}

  // --- events of the grid --------------------------------------------------------------------
  virtual void GetFooterDisplayText(TkwColumn* column, AnsiString& text) {}
  virtual void NeedCustomDisplayText(TkwColumn* column, bool& need) {}
  virtual void DoGetDisplayText(TkwColumn* column, AnsiString& text, int recordIndex) {}
  virtual int CompareBlankRows(TkwColumn* column, int record1, int record2, int direction) { return INT_MAX; }

  // --- the data link's notices ---------------------------------------------------------------
  // Writes the in-place editor's text to the field.
  virtual void UpdateData() {}
  // Selects the field's column; true when it did and the grid could take the focus.
  virtual bool FocusField(TField* field) { return false; }
  virtual void ShowEditor() {}
  virtual void EditingChanged() {}
  virtual void RecordChanged(TField* field) {}
};
