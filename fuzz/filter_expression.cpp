// fuzz-deps: db rtl
// Fuzz target of the dataset filter language: the first byte picks the filter options,
// the rest is the filter text. A text that parses is bound to a fixed set of fields and
// evaluated on a few records (Nulls, GBK text, dates). Malformed text and unknown fields
// must end in EDatabaseError (EFilterExpressionError for syntax); anything else (a crash,
// a sanitizer report, another exception) is a fault.
#include <cstdint>
#include <string_view>
#include <vector>

#include "db/FilterExpression.h"

namespace {

const std::vector<std::vector<Variant>>& Records() {
  static const std::vector<std::vector<Variant>> records = {
      {Variant(1), Variant("衬衫"), Variant::FromDate(45000.0), Variant(true), Variant(12.5)},
      {Variant(-7), Variant("a_b%c'乢"), Variant::Null(), Variant(false), Variant::Null()},
      {Variant::Null(), Variant(""), Variant::FromDate(0.5), Variant::Null(), Variant(-0.0)},
  };
  return records;
}

bool Resolve(std::string_view name, int& slot, TFieldType& type) {
  static const struct { const char* name; TFieldType type; } kFields[] = {
      {"Id", ftInteger}, {"Name", ftString}, {"D", ftDateTime}, {"Flag", ftBoolean}, {"Price", ftFloat}};
  for (int i = 0; i < 5; ++i)
    if (SameText(name, kFields[i].name)) {
      slot = i;
      type = kFields[i].type;
      return true;
    }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    dbfilter::Expression e = dbfilter::Expression::Parse(text);
    e.Bind(Resolve);
    for (const auto& r : Records()) (void)e.Evaluate(r, options & 1, options & 2);
  } catch (const EDatabaseError&) {
  }
  return 0;
}
