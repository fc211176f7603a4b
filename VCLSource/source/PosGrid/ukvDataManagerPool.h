// The pool of record blocks of one record range of the record storage.
//
// Records are carved out of large chunks instead of taking a heap block each. A
// released block goes onto the free list of its size and is handed out again to the
// next record of that size; blocks larger than a quarter of the largest chunk take a
// heap block of their own. The chunks go back to the heap with the pool, or at Reset
// when no block of it is in use any more.
//
// Invariants:
//  - every block handed out is aligned for a record header and its cells
//    (kvRecordBlockAlign) and holds at least the bytes asked for;
//  - a block is released with the very size it was asked for;
//  - under AddressSanitizer the bytes of released blocks and of the chunks' unused
//    tails are poisoned, so a pointer kept into a freed record is reported as a freed
//    heap block would be.
#pragma once
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

constexpr size_t kvRecordBlockAlign = 8;

class TkvRecordPool {
 public:
  TkvRecordPool() = default;
  ~TkvRecordPool();
  TkvRecordPool(const TkvRecordPool&) = delete;
  TkvRecordPool& operator=(const TkvRecordPool&) = delete;

  // A block of at least `bytes` bytes (not cleared).
  void* Allocate(size_t bytes);
  // Gives back a block that Allocate(bytes) handed out.
  void Release(void* block, size_t bytes);
  // Gives back a block that is not to be handed out again before Reset: a block of its
  // own goes back to the heap, one carved from a chunk stays there until Reset.
  void Drop(void* block, size_t bytes) {
    if (Rounded(bytes) > kLargeBlock) ::operator delete(block);
  }
  // Returns every chunk to the heap; no block of the pool may be in use.
  void Reset();
  // Bytes of the chunks the pool holds (for the memory figures).
  size_t ChunkBytes() const { return FChunkBytes; }

 private:
  static constexpr size_t kFirstChunk = 4096;
  static constexpr size_t kLargestChunk = 64 * 1024;
  // Blocks above this take a heap block of their own.
  static constexpr size_t kLargeBlock = kLargestChunk / 4;
  static size_t Rounded(size_t bytes) { return (bytes + kvRecordBlockAlign - 1) & ~(kvRecordBlockAlign - 1); }
  void NewChunk(size_t atLeast);

  struct TChunk {
    std::unique_ptr<std::byte[]> Bytes;
    size_t Size;
  };
  std::vector<TChunk> FChunks;
  std::byte* FNext = nullptr;  // the unused tail of the last chunk
  std::byte* FEnd = nullptr;
  size_t FChunkBytes = 0;
  // Released blocks by rounded size / kvRecordBlockAlign.
  std::vector<std::vector<void*>> FFree;
};
