// TkwGridViewValueReader: the value reader of a data-aware grid's view. It reads the
// values and display texts of the view's current row (the row RecNo names), whatever
// row that is when it is asked: it follows the view, it is not placed on a record.
//
// The view hands it out (IkwDbGridView::ValueReader) and so it may outlive the view:
// the view detaches it when it goes, and a detached reader reads Null and empty texts.
#pragma once
#include <memory>

#include "VCLSource/source/PosGrid/ukvDbGridsIntf.h"

class IkwDbGridView;

class TkwGridViewValueReader : public IkwValueReader, public std::enable_shared_from_this<TkwGridViewValueReader> {
 public:
  explicit TkwGridViewValueReader(IkwDbGridView* view) : FView(view) {}
  // The view's text and value of the field (a field item of its data controller) at the
  // current row; '' and Null for any other object.
  AnsiString GetDisplayText(TObject* field) override;
  Variant GetValue(TObject* field) override;
  // One field of the current row, read through this reader each time it is asked.
  std::shared_ptr<IkwValueField> GetValueField(TObject* field) override;
  IkwDbGridView* View() const { return FView; }
  void Detach() { FView = nullptr; }

 private:
  IkwDbGridView* FView;
};
