// Strings as they cross the export boundary between the point-of-sale host and this
// library: reference-counted byte strings of the memory manager that both share.
//
// Layout of one string (all integers 32-bit, little-endian, as on the host):
//   block + 0   reference count   -1 marks a constant that is never counted or freed
//   block + 4   length in bytes   0 .. kMaxHostStringLength, the terminating zero not counted
//   block + 8   the GBK text, then one zero byte      <- the pointer the host passes
// The empty string is a null pointer.
//
// Blocks live on the heap that host and library share (the process heap on Windows,
// malloc natively): whoever drops the last reference frees the block, whichever side
// made it.
//
// The library side (THostStringArg) takes one reference on entry to an export and
// releases it on exit, so the host finds its counts as they were. The host side
// (THostString) makes and owns strings in this layout; the demo host and the tests use it.
#pragma once
#include <cstdint>
#include <string_view>

#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

// A header that cannot belong to a live string: a length out of range, or a count of 0
// or below -1.
POS_EXCEPTION(EHostStringError, Exception);

namespace posapp {

constexpr int32_t kMaxHostStringLength = 16 * 1024 * 1024;
constexpr int32_t kConstantRefCount = -1;

// The text of a host string (empty for a null pointer). Raises EHostStringError when
// the header is not that of a live string.
AnsiString HostStringText(const char* data);
// The reference count in the header (0 for a null pointer, which has none).
int32_t HostStringRefCount(const char* data);

// Adds one reference (nothing for a null pointer or a constant). Raises
// EHostStringError for a damaged header, and then changes nothing.
void AddHostStringRef(const char* data);
// Drops one reference and frees the block when it was the last (nothing for a null
// pointer or a constant).
void ReleaseHostString(const char* data);

// One reference to an argument of an export, held for the scope: taken in the
// constructor (after the header was checked), released in the destructor.
class THostStringArg {
 public:
  explicit THostStringArg(const char* data);
  ~THostStringArg();
  THostStringArg(const THostStringArg&) = delete;
  THostStringArg& operator=(const THostStringArg&) = delete;

  const AnsiString& Text() const { return FText; }

 private:
  const char* FData;
  AnsiString FText;
};

// A string the host makes: a new block holding its one reference (count 1), or a
// constant (count -1) that this object frees when it goes. Data() is what the host
// passes to an export; it is null for the empty text, as the host passes it.
class THostString {
 public:
  explicit THostString(std::string_view text) : THostString(text, 1) {}
  static THostString Constant(std::string_view text) { return THostString(text, kConstantRefCount); }
  ~THostString();
  THostString(THostString&& other) noexcept : FData(other.FData), FConstant(other.FConstant) {
    other.FData = nullptr;
  }
  THostString& operator=(THostString&&) = delete;
  THostString(const THostString&) = delete;
  THostString& operator=(const THostString&) = delete;

  const char* Data() const { return FData; }
  int32_t RefCount() const { return HostStringRefCount(FData); }

 private:
  THostString(std::string_view text, int32_t refCount);
  char* FData = nullptr;
  bool FConstant = false;
};

}  // namespace posapp
