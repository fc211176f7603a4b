// Fuzz target: the formula parser and evaluator. Any text gives a tree or a clean
// error of the library's classes; every reading of a tree gives a value or such an error.
// fuzz-deps: posgrid db rtl
#include <cstddef>
#include <cstdint>
#include "VCLSource/source/PosGrid/ukvExpressions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Names starting with Q are numbers, with S texts, with B Booleans; others unknown.
  TkvIdentifierFunction fields = [](const AnsiString& id, TkvParameterListPtr& params) -> TkvExpressionPtr {
    if (params) return nullptr;
    switch (id.empty() ? 0 : id[0]) {
      case 'Q': return std::make_unique<TkvFloatLiteral>(2.5);
      case 'S': return std::make_unique<TkvStringLiteral>("text");
      case 'B': return std::make_unique<TkvBooleanLiteral>(true);
      default: return nullptr;
    }
  };
  TkvExpressionPtr e;
  try {
    e = CreateExpression(text, fields);
  } catch (const Exception&) {
    return 0;
  }
  if (!e) return 0;
  try { (void)e->ExprType(); } catch (const Exception&) {}
  try { (void)e->AsString(); } catch (const Exception&) {}
  try { (void)e->AsFloat(); } catch (const Exception&) {}
  try { (void)e->AsInteger(); } catch (const Exception&) {}
  try { (void)e->AsBoolean(); } catch (const Exception&) {}
  return 0;
}
