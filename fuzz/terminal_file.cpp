// fuzz-deps: appcore
// Fuzz target of the stock-taking terminal file reader: the input is a file's bytes.
// Reading must end in counts or in ETerminalFileError; anything else (a crash, a
// sanitizer report, another exception) is a fault. Counts that were read must read the
// back as many lines after being written out as an export file.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/uPDTerminalFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pdterminal;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const TTerminalFile file = ParseTerminalFile(bytes);
    const std::vector<TCountLine> counts = SortedByBarcode(CountLinesOf(file));
    for (const TCountLine& c : counts) {
      if (c.Quantity.empty() || SeparatorOffsets(c.Barcode).size() != 0) std::abort();
    }
    // Written out again as an export (quantities in place of the names), the file
    // reads back with as many lines.
    const std::vector<TGoodsLine> goods = [&] {
      std::vector<TGoodsLine> g;
      for (const TCountLine& c : counts) g.push_back({c.Barcode, "c", c.Quantity});
      return g;
    }();
    const std::vector<TCountLine> back = CountLinesOf(ParseTerminalFile(WriteTerminalFile("01", "x", goods)));
    if (back.size() != counts.size()) std::abort();
    (void)FileNameSafe(bytes);
  } catch (const ETerminalFileError&) {
  }
  return 0;
}
