// The seam through which the stock-take screens choose basic data: a warehouse, or
// goods (with colour and size) from a search text or from the records a barcode found.
//
// The screens ask an IPdChooser; the product's chooser opens the basic-data selection
// dialog; TScriptedChooser answers from a list of answers given in advance.
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

}  // namespace pdbill
