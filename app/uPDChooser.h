// The seam through which the stock-take screens choose basic data: a warehouse, or
// goods (with colour and size) from a search text or from the records a barcode found.
//
// The screens ask an IPdChooser; the product's chooser opens the basic-data selection
// dialog; tests answer from lists given in advance.
#pragma once
#include <vector>

#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

namespace pdbill {

// One chosen row: a warehouse (TypeId, UserCode, FullName) or a goods in one colour and
// size (all fields).
struct TPdChoice {
  AnsiString TypeId;
  AnsiString UserCode;
  AnsiString FullName;
  AnsiString ColorId;
  AnsiString ColorName;
  AnsiString SizeId;
  AnsiString SizeName;
};

enum class TPdChoiceKind {
  StockWarehouse,   // the bill's warehouse
  GoodsBySearch,    // goods in colours and sizes matching a code or name (several may be chosen)
  GoodsOfBarcode,   // one of the colours and sizes a barcode stands for
  ExportWarehouse,  // the warehouse of a terminal export
  ExportGoods,      // goods for a terminal export (several may be chosen)
};

class IPdChooser {
 public:
  virtual ~IPdChooser() = default;
  // The rows chosen, in order; empty when the user cancelled. SearchText: the text the
  // choice starts from ("" for none).
  virtual std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) = 0;
};

}  // namespace pdbill
