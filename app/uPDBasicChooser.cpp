// The stock-take screens' choices of basic data through the selection dialog.
#include "app/uPDBasicChooser.h"

namespace pdbill {

TSelectBasicArgs SelectBasicArgsOf(TPdChoiceKind Kind, const AnsiString& SearchText) {
  TSelectBasicArgs a;
  switch (Kind) {
    case TPdChoiceKind::StockWarehouse:
    case TPdChoiceKind::ExportWarehouse:
      a.Kind = "Ktype";
      break;
    case TPdChoiceKind::GoodsBySearch:
      a.Kind = "Ptype";
      a.SearchText = SearchText;
      a.Options = sbMultiSelect | sbColorSize | sbWithStopped;
      break;
    case TPdChoiceKind::GoodsOfBarcode:
      a.Kind = "Ptype";
      a.SearchText = SearchText;
      a.Options = sbColorSize | sbWithStopped;
      a.LockSearch = 1;
      a.BarcodeMode = true;
      break;
    case TPdChoiceKind::ExportGoods:
      a.Kind = "Ptype";
      a.Options = sbMultiSelect;
      break;
  }
  return a;
}

TPdChoice ChoiceOfRecord(const TBaseRecord& Record) {
  return {Record.TypeId, Record.UserCode, Record.FullName, Record.colorid,
          Record.ColorName, Record.sizeid, Record.SizeName};
}

std::vector<TPdChoice> TBasicDataChooser::Choose(TPdChoiceKind Kind, const AnsiString& SearchText) {
  std::vector<TBaseRecord> records;
  std::vector<TPdChoice> chosen;
  if (!FDialog.SelectBasic(SelectBasicArgsOf(Kind, SearchText), records)) return chosen;
  for (const TBaseRecord& r : records) chosen.push_back(ChoiceOfRecord(r));
  return chosen;
}

}  // namespace pdbill
