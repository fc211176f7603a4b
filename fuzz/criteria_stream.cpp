// Fuzz target: the filter criteria stream reader. Any input is read into a tree or
// refused with a stream error (the criteria then keep their previous tree); a tree
// that was read renders, evaluates and survives a write and read unchanged.
// fuzz-deps: posgrid db rtl
#include <cstddef>
#include <cstdint>
#include <memory>
#include "VCLSource/source/PosGrid/ukvFilter.h"

namespace {

struct FuzzField : TObject {};
FuzzField gFields[4];

class FuzzCriteria : public TkvFilterCriteria {
 public:
  int32_t GetIdByLink(TObject* link) override {
    for (int i = 0; i < 4; ++i)
      if (link == &gFields[i]) return i;
    return -1;
  }
  TObject* GetLinkById(int32_t id) override { return id >= 0 && id < 4 ? &gFields[id] : nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzCriteria c;
  TMemoryStream in;
  in.WriteBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  in.SetPosition(0);
  try {
    c.ReadData(in);
  } catch (const EStreamError&) {
    if (!c.IsEmpty()) __builtin_trap();  // a failed read keeps the previous (empty) tree
    return 0;
  }
  try {
    (void)c.FilterText();
    (void)c.DisplayText();
    (void)c.Evaluate(0);
  } catch (const EVariantError&) {
  } catch (const EConvertError&) {
  }
  FuzzCriteria copy;
  copy.Assign(&c);
  if (!copy.IsEqual(c)) __builtin_trap();
  return 0;
}
