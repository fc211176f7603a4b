// TkvRecordPool: record blocks carved from chunks that grow from 4 KiB to 256 KiB, free
// lists by size, and the poisoning of unused bytes under AddressSanitizer.
#include "VCLSource/source/PosGrid/ukvDataManagerPool.h"

#include <algorithm>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KV_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define KV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define KV_POISON(p, n) ((void)(p), (void)(n))
#define KV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

TkvRecordPool::~TkvRecordPool() { Reset(); }

void TkvRecordPool::NewChunk(size_t atLeast) {
  size_t size = FChunks.empty() ? kFirstChunk : std::min(kLargestChunk, FChunkBytes);
  size = std::max(size, atLeast);
  FChunks.push_back({std::make_unique_for_overwrite<std::byte[]>(size), size});
  FChunkBytes += size;
  FNext = FChunks.back().Bytes.get();
  FEnd = FNext + size;
  KV_POISON(FNext, size);
}

void* TkvRecordPool::Allocate(size_t bytes) {
  const size_t size = Rounded(bytes);
  if (size > kLargeBlock) return ::operator new(size);
  const size_t k = size / kvRecordBlockAlign;
  if (k < FFree.size() && !FFree[k].empty()) {
    void* block = FFree[k].back();
    FFree[k].pop_back();
    KV_UNPOISON(block, size);
    return block;
  }
  if (static_cast<size_t>(FEnd - FNext) < size) NewChunk(size);
  void* block = FNext;
  FNext += size;
  KV_UNPOISON(block, size);
  return block;
}

void TkvRecordPool::Release(void* block, size_t bytes) {
  const size_t size = Rounded(bytes);
  if (size > kLargeBlock) {
    ::operator delete(block);
    return;
  }
  const size_t k = size / kvRecordBlockAlign;
  if (k >= FFree.size()) FFree.resize(k + 1);
  FFree[k].push_back(block);
  KV_POISON(block, size);
}

void TkvRecordPool::Reset() {
  // The chunks go back to the heap readable, as they came.
  for (const TChunk& c : FChunks) KV_UNPOISON(c.Bytes.get(), c.Size);
  FFree.clear();
  FFree.shrink_to_fit();
  FChunks.clear();
  FChunks.shrink_to_fit();
  FNext = FEnd = nullptr;
  FChunkBytes = 0;
}
