// Byte buffers of the wire format (see WireBuffer.h).
#include "net/WireBuffer.h"

#include <cstring>

#include "net/NetErrors.h"

namespace posnet {

void WireWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  U32(bits);
}

void WireWriter::F64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  U64(bits);
}

void WireWriter::Str(std::string_view s) {
  U32(static_cast<uint32_t>(s.size()));
  Bytes(s.data(), s.size());
}

void WireWriter::WStr(std::u16string_view s) {
  U32(static_cast<uint32_t>(s.size()));
  const size_t at = bytes_.size();
  bytes_.resize(at + 2 * s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    bytes_[at + 2 * i] = static_cast<uint8_t>(s[i]);
    bytes_[at + 2 * i + 1] = static_cast<uint8_t>(s[i] >> 8);
  }
}

void WireWriter::Bytes(const void* p, size_t n) {
  const auto b = static_cast<const uint8_t*>(p);
  bytes_.insert(bytes_.end(), b, b + n);
}

void WireReader::Fail(size_t at, const std::string& what) const {
  throw EProtocolError("corrupt at offset " + std::to_string(at) + ": " + what);
}

void WireReader::Need(size_t n, const char* what) const {
  if (n > size_ - pos_)
    Fail(pos_, std::string(what) + " needs " + std::to_string(n) + " bytes, " +
                   std::to_string(size_ - pos_) + " left");
}

uint64_t WireReader::Raw(int n) {
  Need(static_cast<size_t>(n), "a number");
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(p_[pos_ + i]) << (8 * i);
  pos_ += static_cast<size_t>(n);
  return v;
}

uint8_t WireReader::U8() {
  Need(1, "a byte");
  return p_[pos_++];
}

float WireReader::F32() {
  const uint32_t bits = U32();
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

double WireReader::F64() {
  const uint64_t bits = U64();
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::string WireReader::Str() {
  const size_t at = pos_;
  const uint32_t n = U32();
  if (n > Remaining()) Fail(at, "string of " + std::to_string(n) + " bytes, " + std::to_string(Remaining()) + " left");
  std::string s(reinterpret_cast<const char*>(p_ + pos_), n);
  pos_ += n;
  return s;
}

std::u16string WireReader::WStr() {
  const size_t at = pos_;
  const uint32_t n = U32();
  if (n > Remaining() / 2)
    Fail(at, "wide string of " + std::to_string(n) + " units, " + std::to_string(Remaining()) + " bytes left");
  std::u16string s(n, u'\0');
  for (uint32_t i = 0; i < n; ++i)
    s[i] = static_cast<char16_t>(p_[pos_ + 2 * i] | (p_[pos_ + 2 * i + 1] << 8));
  pos_ += 2 * size_t{n};
  return s;
}

uint32_t WireReader::Count(size_t minItemSize, uint32_t limit, const char* what) {
  const size_t at = pos_;
  const uint32_t n = U32();
  if (n > limit) Fail(at, std::string(what) + " count " + std::to_string(n) + " above the limit " + std::to_string(limit));
  if (minItemSize > 0 && n > Remaining() / minItemSize)
    Fail(at, std::string(what) + " count " + std::to_string(n) + " cannot fit in the " +
                 std::to_string(Remaining()) + " bytes left");
  return n;
}

void WireReader::ExpectEnd() const {
  if (pos_ != size_) Fail(pos_, std::to_string(size_ - pos_) + " bytes after the end of the message");
}

}  // namespace posnet
