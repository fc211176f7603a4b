// Fuzz target: the dress grids' layout file. Any bytes as the file: finding and reading
// a slot stays within the file and the slot; writing a layout into that file and reading
// it back gives the layout written (at most 37 records).
// fuzz-deps: controls rtl
#include <cstddef>
#include <cstdint>
#include <cstring>
#include "controls/DressGridLayout.h"
#include "rtl/Exceptions.h"

namespace {

class TFuzzFile : public TLayoutFile {
 public:
  explicit TFuzzFile(AnsiString& bytes) : FBytes(bytes) {}
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
    if (offset < 0 || count < 0) __builtin_trap();
    if (offset >= Size()) return 0;
    const int64_t n = count < Size() - offset ? count : Size() - offset;
    std::memcpy(buffer, FBytes.data() + offset, static_cast<size_t>(n));
    return n;
  }
  void WriteAt(int64_t offset, const void* buffer, int64_t count) override {
    if (offset % kLayoutSlotSize != 0 || count > kLayoutSlotSize) __builtin_trap();
    if (offset + count > Size()) FBytes.resize(static_cast<size_t>(offset + count), '\0');
    std::memcpy(FBytes.data() + offset, buffer, static_cast<size_t>(count));
  }

 private:
  AnsiString& FBytes;
};

class TFuzzStore : public TLayoutStore {
 public:
  AnsiString Bytes;
  std::unique_ptr<TLayoutFile> OpenShared() override { return std::make_unique<TFuzzFile>(Bytes); }
  std::unique_ptr<TLayoutFile> OpenExclusive() override { return std::make_unique<TFuzzFile>(Bytes); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4 * kLayoutSlotSize) return 0;
  TFuzzStore store;
  store.Bytes.assign(reinterpret_cast<const char*>(data), size);
  // The key of the first slot, as far as the input holds one.
  const size_t keyLength = size > 0 ? data[0] : 0;
  const AnsiString firstKey = size > keyLength ? store.Bytes.substr(1, keyLength) : AnsiString("grdA");
  const TDressLayout found = ReadDressLayout(store, firstKey);
  if (found.size() > kLayoutMaxRecords) __builtin_trap();
  for (const TLayoutColumn& c : found)
    if (c.Caption.size() > 255 || c.Kind.size() > 3) __builtin_trap();
  TDressLayout written = found;
  written.push_back({"品名", "2", 120});
  if (!WriteDressLayout(store, firstKey, written)) return 0;
  if (written.size() > kLayoutMaxRecords) written.resize(kLayoutMaxRecords);
  const TDressLayout back = ReadDressLayout(store, firstKey);
  // A key that cuts to empty is never written; otherwise the layout reads back as written
  // (texts may lose a half character only when the file held one).
  if (!LayoutKey(firstKey).empty() && back.size() != written.size()) __builtin_trap();
  return 0;
}
