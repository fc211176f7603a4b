// The layout file's format and the guarded reading and writing of one grid's slot.
#include "controls/DressGridLayout.h"

#include <algorithm>
#include <cstring>
#include "rtl/Exceptions.h"

namespace {

// The longest prefix of s of at most max bytes that does not end inside a character.
AnsiString CutAtCharacter(std::string_view s, size_t max) {
  size_t end = 0;
  while (end < s.size()) {
    const size_t next = end + static_cast<size_t>(CharLength(s, end));
    if (next > max) break;
    end = next;
  }
  return AnsiString(s.substr(0, end));
}

// A length-prefixed text field of the given size: length byte, bytes, zeros.
void PutShortString(AnsiString& out, size_t at, std::string_view text) {
  out[at] = static_cast<char>(text.size());
  std::memcpy(&out[at + 1], text.data(), text.size());
}

AnsiString GetShortString(const uint8_t* field, size_t fieldSize) {
  const size_t n = std::min<size_t>(field[0], fieldSize - 1);
  return AnsiString(reinterpret_cast<const char*>(field + 1), n);
}

void PutInt32(AnsiString& out, size_t at, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

int32_t GetInt32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// Reads exactly count bytes at offset; false when the file ends before.
bool ReadExactly(TLayoutFile& file, int64_t offset, uint8_t* buffer, int64_t count) {
  return file.ReadAt(offset, buffer, count) == count;
}

}  // namespace

AnsiString LayoutFileIn(const AnsiString& hostFolder) {
  return hostFolder.empty() ? AnsiString() : hostFolder + "\\" + kLayoutFileName;
}

AnsiString LayoutKey(std::string_view noteFileName) { return CutAtCharacter(noteFileName, 255); }

int64_t LayoutSlotCount(int64_t fileSize) {
  if (fileSize <= 0) return 0;
  return std::min<int64_t>((fileSize + kLayoutSlotSize - 1) / kLayoutSlotSize, kLayoutMaxSlots);
}

std::optional<int64_t> FindLayoutSlot(TLayoutFile& file, std::string_view key) {
  // Mended: a huge (sparse) file used to be searched slot by slot to its end, for
  // minutes, also under a writer's lock; the search now stops at the size limit.
  const int64_t slots = LayoutSlotCount(file.Size());
  uint8_t header[kLayoutHeaderSize];
  for (int64_t i = 0; i < slots; ++i) {
    // A slot cut short before its count is no slot: it never matches.
    if (!ReadExactly(file, i * kLayoutSlotSize, header, kLayoutHeaderSize)) continue;
    if (header[0] == key.size() && std::memcmp(header + 1, key.data(), key.size()) == 0) return i;
  }
  return std::nullopt;
}

TDressLayout ReadLayoutSlot(TLayoutFile& file, int64_t slot) {
  TDressLayout layout;
  const int64_t base = slot * kLayoutSlotSize;
  uint8_t count[4];
  if (!ReadExactly(file, base + kLayoutKeySize, count, 4)) return layout;
  const int32_t n = std::clamp(GetInt32(count), 0, kLayoutMaxRecords);
  uint8_t record[kLayoutRecordSize];
  for (int32_t j = 0; j < n; ++j) {
    if (!ReadExactly(file, base + kLayoutHeaderSize + int64_t{j} * kLayoutRecordSize, record, kLayoutRecordSize)) break;
    layout.push_back({GetShortString(record, kLayoutCaptionSize),
                      GetShortString(record + kLayoutCaptionSize, kLayoutKindSize),
                      GetInt32(record + kLayoutCaptionSize + kLayoutKindSize)});
  }
  return layout;
}

AnsiString EncodeLayoutSlot(std::string_view key, const TDressLayout& layout) {
  const size_t n = std::min<size_t>(layout.size(), kLayoutMaxRecords);
  AnsiString out(kLayoutHeaderSize + n * kLayoutRecordSize, '\0');
  PutShortString(out, 0, LayoutKey(key));
  PutInt32(out, kLayoutKeySize, static_cast<int32_t>(n));
  for (size_t j = 0; j < n; ++j) {
    const size_t at = kLayoutHeaderSize + j * kLayoutRecordSize;
    PutShortString(out, at, CutAtCharacter(layout[j].Caption, kLayoutCaptionSize - 1));
    PutShortString(out, at + kLayoutCaptionSize, CutAtCharacter(layout[j].Kind, kLayoutKindSize - 1));
    PutInt32(out, at + kLayoutCaptionSize + kLayoutKindSize, layout[j].Width);
  }
  return out;
}

bool LayoutChanged(const TDressLayout& saved, const std::vector<int32_t>& currentWidths) {
  if (saved.empty()) return true;
  for (size_t j = 0; j < saved.size(); ++j) {
    if (saved[j].Kind == "1") continue;
    if (j >= currentWidths.size() || currentWidths[j] != saved[j].Width) return true;
  }
  return false;
}

TDressLayout ReadDressLayout(TLayoutStore& store, std::string_view noteFileName) noexcept {
  const AnsiString key = LayoutKey(noteFileName);
  if (key.empty()) return {};
  try {
    const auto file = store.OpenShared();
    const auto slot = FindLayoutSlot(*file, key);
    if (!slot) return {};
    return ReadLayoutSlot(*file, *slot);
  } catch (...) {
    // An unreadable layout file is no saved layout: the screen opens with its own widths.
    return {};
  }
}

bool WriteDressLayout(TLayoutStore& store, std::string_view noteFileName, const TDressLayout& layout) noexcept {
  const AnsiString key = LayoutKey(noteFileName);
  if (key.empty()) return false;
  try {
    const auto file = store.OpenExclusive();
    const auto slot = FindLayoutSlot(*file, key);
    const int64_t size = file->Size();
    const int64_t slots = (size + kLayoutSlotSize - 1) / kLayoutSlotSize;
    // No room for a new slot where slots are read: the layout is not saved.
    if (!slot && slots >= kLayoutMaxSlots) return false;
    const int64_t at = slot ? *slot * kLayoutSlotSize : slots * kLayoutSlotSize;
    // A last slot cut short before its count holds nothing, but once the new slot
    // beyond it fills the gap with zeros its header would be complete and could match
    // this key ahead of the new slot: its key is blanked first.
    const int64_t tail = size % kLayoutSlotSize;
    if (!slot && tail > 0 && tail < kLayoutHeaderSize) {
      const char blank = 0;
      file->WriteAt(size - tail, &blank, 1);
    }
    const AnsiString bytes = EncodeLayoutSlot(key, layout);
    file->WriteAt(at, bytes.data(), static_cast<int64_t>(bytes.size()));
    return true;
  } catch (...) {
    // Runs while a grid is freed: the layout is not saved, nothing else happens.
    return false;
  }
}
