// The seam through which the stock-take screens choose basic data: a warehouse, or
// goods (with colour and size) from a search text or from the records a barcode found.
//
// The screens ask an IPdChooser; the product's chooser opens the basic-data selection
// dialog; TScriptedChooser answers from a script, for tests and scripted walk-throughs.
#pragma once
#include <deque>
#include <optional>
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

// Answers from a script: each call takes the next answer (cancel once the script runs
// out) and records what was asked.
class TScriptedChooser final : public IPdChooser {
 public:
  struct TAsked {
    TPdChoiceKind Kind;
    AnsiString SearchText;
  };
  void Add(std::vector<TPdChoice> Answer) { FAnswers.push_back(std::move(Answer)); }
  std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) override {
    Asked.push_back({Kind, SearchText});
    if (FAnswers.empty()) return {};
    std::vector<TPdChoice> answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer;
  }
  std::vector<TAsked> Asked;

 private:
  std::deque<std::vector<TPdChoice>> FAnswers;
};

// Answers from a script file (GBK text), for scripted walk-throughs while the
// selection dialog is not there. One answer a line: the kind's name (StockWarehouse,
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
