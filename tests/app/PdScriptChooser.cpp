// The script chooser of the stock-take tests.
#include "tests/app/PdScriptChooser.h"

namespace pdbill {
namespace {

std::vector<AnsiString> Split(std::string_view text, char sep) {
  std::vector<AnsiString> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == sep) {
      parts.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool KindOf(const AnsiString& name, TPdChoiceKind& kind) {
  static const struct {
    const char* name;
    TPdChoiceKind kind;
  } kinds[] = {{"StockWarehouse", TPdChoiceKind::StockWarehouse},   {"GoodsBySearch", TPdChoiceKind::GoodsBySearch},
               {"GoodsOfBarcode", TPdChoiceKind::GoodsOfBarcode},   {"ExportWarehouse", TPdChoiceKind::ExportWarehouse},
               {"ExportGoods", TPdChoiceKind::ExportGoods}};
  for (const auto& k : kinds) {
    if (name == k.name) {
      kind = k.kind;
      return true;
    }
  }
  return false;
}

}  // namespace

TPdScriptChooser::TPdScriptChooser(std::string_view Script) {
  int number = 0;
  for (AnsiString line : Split(Script, '\n')) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const std::vector<AnsiString> rows = Split(line, '\t');
    TPdChoiceKind kind;
    if (!KindOf(rows.front(), kind)) throw EPdChooserScript("chooser script line " + IntToStr(number) + ": unknown kind");
    std::vector<TPdChoice> answer;
    for (size_t r = 1; r < rows.size(); ++r) {
      std::vector<AnsiString> f = Split(rows[r], '|');
      f.resize(7);
      answer.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
    }
    FAnswers.emplace_back(kind, std::move(answer));
  }
  FUsed.assign(FAnswers.size(), false);
}

std::vector<TPdChoice> TPdScriptChooser::Choose(TPdChoiceKind Kind, const AnsiString&) {
  for (size_t i = 0; i < FAnswers.size(); ++i) {
    if (!FUsed[i] && FAnswers[i].first == Kind) {
      FUsed[i] = true;
      return FAnswers[i].second;
    }
  }
  return {};
}

}  // namespace pdbill
