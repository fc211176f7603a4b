// Host-layout strings: header checks, reference counting and the shared heap.
#include "app/HostString.h"

#include <cstdlib>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

namespace posapp {
namespace {

constexpr size_t kHeaderSize = 8;

int32_t* CountOf(const char* data) {
  return reinterpret_cast<int32_t*>(const_cast<char*>(data) - kHeaderSize);
}
int32_t LengthOf(const char* data) {
  int32_t length;
  std::memcpy(&length, data - 4, sizeof length);
  return length;
}

// The heap shared with the host: the process heap on Windows, so that a block made by
// either side can be freed by the other whatever runtime each was linked with.
void* SharedAlloc(size_t size) {
#ifdef _WIN32
  return ::HeapAlloc(::GetProcessHeap(), 0, size);
#else
  return std::malloc(size);
#endif
}
void SharedFree(void* block) {
#ifdef _WIN32
  ::HeapFree(::GetProcessHeap(), 0, block);
#else
  std::free(block);
#endif
}

// Checks the header of a non-null string and returns its count.
int32_t CheckedCount(const char* data) {
  const int32_t count = __atomic_load_n(CountOf(data), __ATOMIC_ACQUIRE);
  const int32_t length = LengthOf(data);
  if (length < 0 || length > kMaxHostStringLength)
    throw EHostStringError(Format("Invalid string argument: length %d", {length}));
  if (count == 0 || count < kConstantRefCount)
    throw EHostStringError(Format("Invalid string argument: reference count %d", {count}));
  return count;
}

}  // namespace

AnsiString HostStringText(const char* data) {
  if (!data) return AnsiString();
  CheckedCount(data);
  return AnsiString(data, static_cast<size_t>(LengthOf(data)));
}

int32_t HostStringRefCount(const char* data) {
  return data ? __atomic_load_n(CountOf(data), __ATOMIC_ACQUIRE) : 0;
}

void AddHostStringRef(const char* data) {
  if (!data || CheckedCount(data) == kConstantRefCount) return;
  __atomic_add_fetch(CountOf(data), 1, __ATOMIC_ACQ_REL);
}

void ReleaseHostString(const char* data) {
  if (!data || HostStringRefCount(data) == kConstantRefCount) return;
  if (__atomic_sub_fetch(CountOf(data), 1, __ATOMIC_ACQ_REL) == 0) SharedFree(CountOf(data));
}

THostStringArg::THostStringArg(const char* data) : FData(data), FText(HostStringText(data)) {
  AddHostStringRef(FData);
}

THostStringArg::~THostStringArg() { ReleaseHostString(FData); }

THostString::THostString(std::string_view text, int32_t refCount)
    : FConstant(refCount == kConstantRefCount) {
  if (text.empty()) return;
  if (text.size() > static_cast<size_t>(kMaxHostStringLength))
    throw EHostStringError(Format("String too long for the host: %d bytes", {static_cast<int64_t>(text.size())}));
  auto* block = static_cast<char*>(SharedAlloc(kHeaderSize + text.size() + 1));
  if (!block) throw std::bad_alloc();
  const int32_t length = static_cast<int32_t>(text.size());
  std::memcpy(block, &refCount, 4);
  std::memcpy(block + 4, &length, 4);
  std::memcpy(block + kHeaderSize, text.data(), text.size());
  block[kHeaderSize + text.size()] = '\0';
  FData = block + kHeaderSize;
}

THostString::~THostString() {
  if (!FData) return;
  if (FConstant) SharedFree(CountOf(FData));
  else ReleaseHostString(FData);
}

}  // namespace posapp
