// Byte buffers of the wire format: WireWriter appends little-endian values, WireReader
// takes them back with a bounds check on every read.
//
// WireReader never reads past its end and never allocates more than the bytes that
// remain could describe: each failure raises EProtocolError "corrupt at offset N: ..."
// with the offset where the bad value starts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace posnet {

class WireWriter {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) { Raw(v, 2); }
  void U32(uint32_t v) { Raw(v, 4); }
  void U64(uint64_t v) { Raw(v, 8); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void I64(int64_t v) { U64(static_cast<uint64_t>(v)); }
  void F32(float v);
  void F64(double v);
  // A byte string: u32 length, then the bytes.
  void Str(std::string_view s);
  // A UTF-16 string: u32 count of code units, then the units little-endian.
  void WStr(std::u16string_view s);
  void Bytes(const void* p, size_t n);

  const std::vector<uint8_t>& Data() const { return bytes_; }
  std::vector<uint8_t>& Data() { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  void Raw(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
};

class WireReader {
 public:
  WireReader(const uint8_t* data, size_t size) : p_(data), size_(size) {}
  explicit WireReader(const std::vector<uint8_t>& v) : WireReader(v.data(), v.size()) {}

  uint8_t U8();
  uint16_t U16() { return static_cast<uint16_t>(Raw(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Raw(4)); }
  uint64_t U64() { return Raw(8); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  int64_t I64() { return static_cast<int64_t>(U64()); }
  float F32();
  double F64();
  std::string Str();
  std::u16string WStr();
  // A count of items that each take at least minItemSize bytes: checked against what
  // remains before the caller allocates for them.
  uint32_t Count(size_t minItemSize, uint32_t limit, const char* what);

  size_t Offset() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ == size_; }
  // Raises unless every byte was read (trailing garbage is corruption too).
  void ExpectEnd() const;
  [[noreturn]] void Fail(size_t at, const std::string& what) const;

 private:
  uint64_t Raw(int n);
  void Need(size_t n, const char* what) const;
  const uint8_t* p_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace posnet
