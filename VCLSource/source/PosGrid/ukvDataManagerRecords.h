// Records of the record storage and the table that keeps one range of them (the data
// records or the internal scratch records) in index order.
//
// A record is one block: its header (id, state byte, number of cells: eight bytes),
// then its cells, then its bytes. Every record of a table has the table's layout, so
// the table alone keeps the number of bytes. The table owns its records through its own pool of record blocks
// (TkvRecordPool): filling a table of a million records takes a few hundred chunks, not
// a million heap blocks, and everything goes back to the heap with the table.
//
// Invariants:
//  - an entry of the table is a record of the table's pool or null (not allocated);
//  - every record of a table has ByteCount bytes and the same number of cells (at most
//    kvMaxRecordCells);
//  - a record's cells are constructed from Make until Free/Clear, its bytes start zero.
#pragma once
#include <cstdint>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDataManagerPool.h"
#include "VCLSource/source/PosGrid/ukvDataManagerTypes.h"

constexpr size_t kvMaxRecordCells = 0xFFFF;
// The text of the error raised by a layout past kvMaxRecordCells.
constexpr const char* kvTooManyCells = "Too many values kept in cells of one record";

class TkvRecord {
 public:
  uint32_t Id = 0;
  uint8_t State = 0;  // bit 0: internal record in use

  TkvRecord(const TkvRecord&) = delete;
  TkvRecord& operator=(const TkvRecord&) = delete;

  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(Cells() + FCellCount); }
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(Cells() + FCellCount); }
  TkvCell* Cells() { return reinterpret_cast<TkvCell*>(this + 1); }
  const TkvCell* Cells() const { return reinterpret_cast<const TkvCell*>(this + 1); }
  size_t CellCount() const { return FCellCount; }

 private:
  friend class TkvRecordTable;
  explicit TkvRecord(size_t cells) : FCellCount(static_cast<uint16_t>(cells)) {}
  ~TkvRecord() = default;
  static size_t BlockSize(size_t bytes, size_t cells) { return sizeof(TkvRecord) + cells * sizeof(TkvCell) + bytes; }
  // A record of `bytes` zero bytes and `cells` empty cells from pool.
  static TkvRecord* Make(TkvRecordPool& pool, size_t bytes, size_t cells);
  // Ends the record's cells and gives its block (of `bytes` bytes) back to pool.
  static void Free(TkvRecordPool& pool, TkvRecord* r, size_t bytes);
  // Ends the record's cells; its block of `bytes` bytes is dropped (see TkvRecordPool::Drop).
  static void Drop(TkvRecordPool& pool, TkvRecord* r, size_t bytes);

  uint8_t FUnused = 0;
  uint16_t FCellCount;
};
static_assert(sizeof(TkvRecord) == 8, "a record's header takes eight bytes");
static_assert(sizeof(TkvRecord) % alignof(TkvCell) == 0, "cells follow the header aligned");
static_assert(kvRecordBlockAlign % alignof(TkvRecord) == 0 && kvRecordBlockAlign % alignof(TkvCell) == 0,
              "pool blocks hold records");

class TkvRecordTable {
 public:
  TkvRecordTable() = default;
  ~TkvRecordTable() { Clear(); }
  TkvRecordTable(const TkvRecordTable&) = delete;
  TkvRecordTable& operator=(const TkvRecordTable&) = delete;

  size_t Size() const { return FItems.size(); }
  bool Empty() const { return FItems.empty(); }
  TkvRecord* At(size_t i) const { return FItems[i]; }
  bool AnyAllocated() const;

  // Bytes of each record of the table.
  size_t ByteCount() const { return FByteCount; }
  // The record at i, made (`bytes` zero bytes, `cells` empty cells: the table's
  // layout) when not allocated.
  TkvRecord* Allocate(size_t i, size_t bytes, size_t cells);
  // Frees the record at i; the entry stays, not allocated.
  void Free(size_t i);
  // Every allocated record changed at one place: `removeBytes` bytes at byteAt give way
  // to `insertBytes` zero bytes, and `removeCells` cells at cellAt to `insertCells`
  // empty cells; the other bytes are copied, the other cells moved, state and id kept.
  void Reshape(size_t byteAt, size_t removeBytes, size_t insertBytes, size_t cellAt, size_t removeCells,
               size_t insertCells);

  void Reserve(size_t n) { FItems.reserve(n); }
  // A new entry, not allocated, at the end or before i.
  void AppendEmpty() { FItems.push_back(nullptr); }
  void InsertEmpty(size_t i) { FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(i), nullptr); }
  // Frees the record at i and removes its entry.
  void Erase(size_t i);
  // Frees every record and removes every entry; the chunks go back to the heap.
  void Clear();
  const TkvRecordPool& Pool() const { return FPool; }

 private:
  TkvRecordPool FPool;
  std::vector<TkvRecord*> FItems;
  size_t FByteCount = 0;
};
