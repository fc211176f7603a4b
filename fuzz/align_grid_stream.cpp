// Fuzz target: the aligned grid's streamed property lists. The first byte picks one of
// the 28 properties, the rest is its stored value inside a component image. Reading
// either fails with a stream error or loads lists that write and read back to the same
// image.
// fuzz-deps: controls rtl
#include <cstddef>
#include <cstdint>
#include "controls/AlignGridStream.h"
#include "rtl/Streams.h"

namespace {

const char* const kNames[] = {"AlignCell", "AlignCol", "FixedAlignCol", "AlignRow", "FixedAlignRow", "EditCell",
                              "EditCol", "EditRow", "HintCell", "Cells", "FontCell", "FontCol", "FontFixedCol",
                              "FontRow", "FontFixedRow", "BrushCell", "BrushCol", "BrushFixedCol", "BrushRow",
                              "BrushFixedRow", "ColorCell", "ColorCol", "ColorFixedCol", "ColorRow",
                              "ColorFixedRow", "SelectedColorCell", "SelectedColorCol", "SelectedColorRow"};

class THolder : public TComponent {
 public:
  THolder() : TComponent(nullptr) { SetName("G"); }
  TAlignGridProps Props;
  TAlignGridStreamContext Context{70000, 70000, {}, {}};

 protected:
  void DefineProperties(TFiler& filer) override { DefineAlignGridProperties(filer, Props, Context); }
};

AnsiString Str(std::string_view s) { return AnsiString(1, static_cast<char>(s.size())) + AnsiString(s); }

AnsiString Image(THolder& h) {
  TMemoryStream m;
  m.WriteComponent(&h);
  return AnsiString(reinterpret_cast<const char*>(m.Memory()), m.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const AnsiString image = "TPF0" + Str("THolder") + Str("G") + Str(kNames[data[0] % 28]) +
                           AnsiString(reinterpret_cast<const char*>(data + 1), size - 1) + AnsiString(2, '\0');
  THolder h;
  try {
    TStringStream in(image);
    in.ReadComponent(&h);
  } catch (const EStreamError&) {
    return 0;
  }
  const AnsiString once = Image(h);
  THolder again;
  TStringStream in(once);
  in.ReadComponent(&again);
  if (Image(again) != once) __builtin_trap();
  return 0;
}
