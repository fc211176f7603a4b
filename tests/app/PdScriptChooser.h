// A chooser of the stock-take screens that answers from a script text, for tests.
#pragma once
#include <string_view>
#include <utility>
#include <vector>

#include "app/uPDChooser.h"
#include "rtl/Exceptions.h"

namespace pdbill {

// Answers from a script (GBK text). One answer a line: the kind's name (StockWarehouse,
// GoodsBySearch, GoodsOfBarcode, ExportWarehouse, ExportGoods), then one TAB-separated
// row per chosen entry, its fields (TypeId|UserCode|FullName|ColorId|ColorName|SizeId|
// SizeName, missing ones empty) separated by "|". A line with the kind alone cancels;
// lines starting with "#" and empty lines are skipped. Each question takes the first
// unused answer of its kind; none left cancels.
class TPdScriptChooser final : public IPdChooser {
 public:
  // The script's text; EPdChooserScript "chooser script line N: unknown kind" for a
  // line whose first field is no kind.
  explicit TPdScriptChooser(std::string_view Script);
  std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) override;

 private:
  std::vector<std::pair<TPdChoiceKind, std::vector<TPdChoice>>> FAnswers;
  std::vector<bool> FUsed;
};

POS_EXCEPTION(EPdChooserScript, Exception);

}  // namespace pdbill
