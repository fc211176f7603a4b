// The column-layout file of the dress grids, ZelvoDerssGrid.dat in the host's folder:
// one 10240-byte slot per grid, found by the grid's NoteFileName. Byte layout:
// docs/formats/dress-grid-layout.md.
//
// The file is outside input and shared by every screen and every running host, so:
//   - reading never throws: a file that is missing, unreadable, short or damaged means
//     "no saved layout" (or the records of the slot that fit), and never stops a screen
//     from opening; a count above 37 or one that runs past the slot or the file is cut;
//   - writing never throws either (it runs from a destructor): a failure is reported as
//     false and the layout is simply not saved;
//   - a write takes the file's exclusive lock for the whole find-and-write, a read the
//     shared lock, so two hosts appending new slots at once cannot both take the same
//     slot, and no reader sees a half-written slot;
//   - texts are cut at a character boundary (a GBK character is never split);
//   - only the first kLayoutMaxSlots slots are looked at (a file past 10 MiB, a sparse
//     one of a terabyte say, is read only that far), so finding a slot is bounded work
//     in a read and under a write's lock; a key without a slot there gets none.
// File access is behind TLayoutStore so that the portable logic is tested with files
// in memory, and each platform opens and locks files its own way.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>
#include "rtl/AnsiString.h"

constexpr int kLayoutSlotSize = 10240;
constexpr int kLayoutKeySize = 256;
constexpr int kLayoutRecordSize = 264;
constexpr int kLayoutCaptionSize = 256;
constexpr int kLayoutKindSize = 4;
constexpr int kLayoutHeaderSize = kLayoutKeySize + 4;
constexpr int kLayoutMaxRecords = 37;  // 260 + 37 x 264 = 10028 bytes; 38 would pass the slot
// Slots of a file that are read and written: 1024 x 10240 bytes = 10 MiB, far more
// than the grids of every screen need.
constexpr int64_t kLayoutMaxSlots = 1024;
constexpr const char* kLayoutFileName = "ZelvoDerssGrid.dat";

// One saved column: caption (up to 255 bytes), kind code (up to 3 bytes), width of the
// column's first grid column (-1 for a hidden column).
struct TLayoutColumn {
  AnsiString Caption;
  AnsiString Kind;
  int32_t Width = 0;
  bool operator==(const TLayoutColumn&) const = default;
};
using TDressLayout = std::vector<TLayoutColumn>;

// An open layout file. Reads past the end return fewer bytes; a failed write throws
// EWriteError.
class TLayoutFile {
 public:
  virtual ~TLayoutFile() = default;
  virtual int64_t Size() = 0;
  virtual int64_t ReadAt(int64_t offset, void* buffer, int64_t count) = 0;
  virtual void WriteAt(int64_t offset, const void* buffer, int64_t count) = 0;
};

// Opens the layout file. Both calls throw EFOpenError / EFCreateError when the file
// cannot be opened; the file is closed and unlocked when the returned object goes.
class TLayoutStore {
 public:
  virtual ~TLayoutStore() = default;
  // Opened with the shared lock; a missing file is created empty first.
  virtual std::unique_ptr<TLayoutFile> OpenShared() = 0;
  // Opened for writing with the exclusive lock, created when missing.
  virtual std::unique_ptr<TLayoutFile> OpenExclusive() = 0;
};

// The store of a real file (Win32: CreateFileW and LockFileEx; natively: open and flock).
std::unique_ptr<TLayoutStore> MakeFileLayoutStore(const AnsiString& fileName);

// The layout file in the host's folder; "" (no layout file) when the folder is not
// known, never a name relative to the working folder, which would be another file.
AnsiString LayoutFileIn(const AnsiString& hostFolder);

// --- the format -------------------------------------------------------------------------
// NoteFileName as a key: at most 255 bytes, cut at a character boundary.
AnsiString LayoutKey(std::string_view noteFileName);
// Slots of a file of that size that are looked at: file size / 10240 rounded up, at
// most kLayoutMaxSlots.
int64_t LayoutSlotCount(int64_t fileSize);
// The slot whose key matches (exact bytes); none when no complete header matches among
// the LayoutSlotCount slots; a slot shorter than its 260-byte header never matches.
std::optional<int64_t> FindLayoutSlot(TLayoutFile& file, std::string_view key);
// The records of a slot: min(count, 37) records, fewer when the file ends; a negative
// count gives none.
TDressLayout ReadLayoutSlot(TLayoutFile& file, int64_t slot);
// The bytes of a slot from its start: key field, count and records (at most 37).
AnsiString EncodeLayoutSlot(std::string_view key, const TDressLayout& layout);

// True when the saved layout is empty, or when a saved column of a kind other than "1"
// has another width now (currentWidths[j]: the width of logical column j + 1; a column
// that no longer exists counts as changed).
bool LayoutChanged(const TDressLayout& saved, const std::vector<int32_t>& currentWidths);

// --- reading and writing a grid's slot ----------------------------------------------------
// The saved layout of key: empty when the key is empty, has no slot, or the file cannot
// be read. Never throws.
TDressLayout ReadDressLayout(TLayoutStore& store, std::string_view noteFileName) noexcept;
// Writes key's slot (the matching one, else a new one at the next 10240 boundary) under
// the exclusive lock. False when the key is empty, when a new slot would lie past the
// first kLayoutMaxSlots (it could never be read), or the file could not be written.
// Never throws.
bool WriteDressLayout(TLayoutStore& store, std::string_view noteFileName, const TDressLayout& layout) noexcept;
