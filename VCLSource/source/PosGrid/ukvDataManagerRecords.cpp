// Records of the record storage in blocks of their table's pool, and the table of one
// range of records (see ukvDataManagerRecords.h).
#include "VCLSource/source/PosGrid/ukvDataManagerRecords.h"

#include <algorithm>
#include <cstring>
#include <new>
#include "rtl/Exceptions.h"

// --- TkvRecord ----------------------------------------------------------------------------

TkvRecord* TkvRecord::Make(TkvRecordPool& pool, size_t bytes, size_t cells) {
  if (cells > kvMaxRecordCells) throw EInvalidOperation(kvTooManyCells);
  TkvRecord* r = new (pool.Allocate(BlockSize(bytes, cells))) TkvRecord(cells);
  TkvCell* c = r->Cells();
  for (size_t i = 0; i < cells; ++i) new (c + i) TkvCell();
  std::memset(r->Bytes(), 0, bytes);
  return r;
}

void TkvRecord::Free(TkvRecordPool& pool, TkvRecord* r, size_t bytes) {
  const size_t size = BlockSize(bytes, r->FCellCount);
  TkvCell* c = r->Cells();
  for (size_t i = 0; i < r->FCellCount; ++i) c[i].~TkvCell();
  r->~TkvRecord();
  pool.Release(r, size);
}

void TkvRecord::Drop(TkvRecordPool& pool, TkvRecord* r, size_t bytes) {
  const size_t size = BlockSize(bytes, r->FCellCount);
  TkvCell* c = r->Cells();
  for (size_t i = 0; i < r->FCellCount; ++i) c[i].~TkvCell();
  r->~TkvRecord();
  pool.Drop(r, size);
}

// --- TkvRecordTable -------------------------------------------------------------------------

bool TkvRecordTable::AnyAllocated() const {
  return std::any_of(FItems.begin(), FItems.end(), [](const TkvRecord* r) { return r != nullptr; });
}

TkvRecord* TkvRecordTable::Allocate(size_t i, size_t bytes, size_t cells) {
  TkvRecord*& e = FItems[i];
  if (!e) {
    e = TkvRecord::Make(FPool, bytes, cells);
    FByteCount = bytes;
  }
  return e;
}

void TkvRecordTable::Free(size_t i) {
  TkvRecord*& e = FItems[i];
  if (!e) return;
  TkvRecord::Free(FPool, e, FByteCount);
  e = nullptr;
}

void TkvRecordTable::Reshape(size_t byteAt, size_t removeBytes, size_t insertBytes, size_t cellAt,
                             size_t removeCells, size_t insertCells) {
  const size_t bytes = FByteCount;
  bool any = false;
  for (TkvRecord*& old : FItems) {
    if (!old) continue;
    any = true;
    const size_t cells = old->FCellCount;
    TkvRecord* r = TkvRecord::Make(FPool, bytes - removeBytes + insertBytes, cells - removeCells + insertCells);
    r->State = old->State;
    r->Id = old->Id;
    std::memcpy(r->Bytes(), old->Bytes(), byteAt);
    std::memcpy(r->Bytes() + byteAt + insertBytes, old->Bytes() + byteAt + removeBytes, bytes - byteAt - removeBytes);
    for (size_t i = 0; i < cellAt; ++i) r->Cells()[i] = std::move(old->Cells()[i]);
    for (size_t i = cellAt + removeCells; i < cells; ++i)
      r->Cells()[i - removeCells + insertCells] = std::move(old->Cells()[i]);
    TkvRecord::Free(FPool, old, bytes);
    old = r;
  }
  if (any) FByteCount = bytes - removeBytes + insertBytes;
}

void TkvRecordTable::Erase(size_t i) {
  Free(i);
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
}

void TkvRecordTable::Clear() {
  // The blocks are not handed out again: the whole pool goes at once.
  for (TkvRecord* r : FItems)
    if (r) TkvRecord::Drop(FPool, r, FByteCount);
  FItems.clear();
  FItems.shrink_to_fit();
  FPool.Reset();
}
