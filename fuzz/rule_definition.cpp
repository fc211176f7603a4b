// Fuzz target: the calculation-rule definition parser. Any text parses into a target,
// a formula and names, or is refused with the library's syntax error.
// fuzz-deps: posgrid db rtl
#include <cstddef>
#include <cstdint>
#include "VCLSource/source/PosGrid/ukvExpressionParser.h"
#include "rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TkvExpressionParser p;
  try {
    p.Parse(text);
  } catch (const Exception&) {
    if (!p.TargetName().empty() || !p.ExpressionText().empty()) __builtin_trap();
    return 0;
  }
  if (p.TargetName().empty() || p.ExpressionText().empty()) __builtin_trap();
  if (p.ExpressionText().size() > text.size()) __builtin_trap();
  return 0;
}
