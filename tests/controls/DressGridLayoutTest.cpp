// The dress grids' column-layout file: its bytes, slot search, bounds on damaged files,
// and the guarded reading and writing (missing, read-only, failing and shared files).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "controls/DressGridLayout.h"
#include "rtl/Exceptions.h"
#include "rtl/FileUtils.h"

namespace {

// A layout file in memory, with failures to order.
class TMemLayoutFile : public TLayoutFile {
 public:
  TMemLayoutFile(AnsiString& bytes, bool failWrites) : FBytes(bytes), FFailWrites(failWrites) {}
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
    if (offset >= Size()) return 0;
    const int64_t n = std::min(count, Size() - offset);
    std::memcpy(buffer, FBytes.data() + offset, n);
    return n;
  }
  void WriteAt(int64_t offset, const void* buffer, int64_t count) override {
    if (FFailWrites) throw EWriteError("Stream write error");
    if (offset + count > Size()) FBytes.resize(offset + count, '\0');
    std::memcpy(FBytes.data() + offset, buffer, count);
  }

 private:
  AnsiString& FBytes;
  bool FFailWrites;
};

class TMemLayoutStore : public TLayoutStore {
 public:
  AnsiString Bytes;
  bool FailOpen = false;
  bool FailWrites = false;
  int Opens = 0;
  std::unique_ptr<TLayoutFile> OpenShared() override { return Open(); }
  std::unique_ptr<TLayoutFile> OpenExclusive() override { return Open(); }

 private:
  std::unique_ptr<TLayoutFile> Open() {
    ++Opens;
    if (FailOpen) throw EFOpenError("Cannot open file");
    return std::make_unique<TMemLayoutFile>(Bytes, FailWrites);
  }
};

TDressLayout TwoColumns() { return {{"货号", "2", 60}, {"品名", "2", 120}}; }

AnsiString Hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  AnsiString out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// A real file whose writes wait a moment first, so that a writer that found no slot
// is still between finding and writing when the others look.
class TSlowFile : public TLayoutFile {
 public:
  explicit TSlowFile(std::unique_ptr<TLayoutFile> f) : FFile(std::move(f)) {}
  int64_t Size() override { return FFile->Size(); }
  int64_t ReadAt(int64_t o, void* b, int64_t c) override { return FFile->ReadAt(o, b, c); }
  void WriteAt(int64_t o, const void* b, int64_t c) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    FFile->WriteAt(o, b, c);
  }

 private:
  std::unique_ptr<TLayoutFile> FFile;
};

class TSlowStore : public TLayoutStore {
 public:
  explicit TSlowStore(const AnsiString& name) : FStore(MakeFileLayoutStore(name)) {}
  std::unique_ptr<TLayoutFile> OpenShared() override { return FStore->OpenShared(); }
  std::unique_ptr<TLayoutFile> OpenExclusive() override { return std::make_unique<TSlowFile>(FStore->OpenExclusive()); }

 private:
  std::unique_ptr<TLayoutStore> FStore;
};

// A scratch folder under the build tree, emptied first.
AnsiString ScratchFolder(const char* name) {
  const AnsiString dir = GetCurrentDir() + PathDelim + "layout_" + name;
  std::error_code ec;
  std::filesystem::permissions(FilePath(dir), std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(FilePath(dir), ec);
  ForceDirectories(dir);
  return dir;
}

}  // namespace

// --- bytes ------------------------------------------------------------------------------

TEST(DressGridLayoutFormat, NewFileHoldsKeyCountAndRecordsAtTheirOffsets) {
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "grdA", TwoColumns()));
  const AnsiString& b = store.Bytes;
  ASSERT_EQ(b.size(), 788u);
  EXPECT_EQ(Hex(b.substr(0, 5)), "04 67 72 64 41");
  EXPECT_EQ(b.substr(5, 251), AnsiString(251, '\0'));
  EXPECT_EQ(Hex(b.substr(256, 4)), "02 00 00 00");
  EXPECT_EQ(Hex(b.substr(260, 5)), "04 BB F5 BA C5");
  EXPECT_EQ(b.substr(265, 251), AnsiString(251, '\0'));
  EXPECT_EQ(Hex(b.substr(516, 4)), "01 32 00 00");
  EXPECT_EQ(Hex(b.substr(520, 4)), "3C 00 00 00");
  EXPECT_EQ(Hex(b.substr(524, 5)), "04 C6 B7 C3 FB");
  EXPECT_EQ(Hex(b.substr(780, 4)), "01 32 00 00");
  EXPECT_EQ(Hex(b.substr(784, 4)), "78 00 00 00");
}

TEST(DressGridLayoutFormat, SecondKeyTakesTheNextSlotBoundaryAndBothReadBack) {
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "grdA", TwoColumns()));
  const TDressLayout b = {{"数量", "0.0", -1}};
  ASSERT_TRUE(WriteDressLayout(store, "grdB", b));
  EXPECT_EQ(store.Bytes.size(), size_t{10240 + 260 + 264});
  EXPECT_EQ(Hex(store.Bytes.substr(10240, 5)), "04 67 72 64 42");
  EXPECT_EQ(ReadDressLayout(store, "grdA"), TwoColumns());
  EXPECT_EQ(ReadDressLayout(store, "grdB"), b);
  // Rewriting the first key stays in its slot.
  ASSERT_TRUE(WriteDressLayout(store, "grdA", {{"货号", "2", 80}}));
  EXPECT_EQ(store.Bytes.size(), size_t{10240 + 260 + 264});
  EXPECT_EQ(ReadDressLayout(store, "grdA"), (TDressLayout{{"货号", "2", 80}}));
}

TEST(DressGridLayoutFormat, KeysMatchByExactBytes) {
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "grd", TwoColumns()));
  EXPECT_TRUE(ReadDressLayout(store, "GRD").empty());
  EXPECT_TRUE(ReadDressLayout(store, "grd2").empty());
  EXPECT_TRUE(ReadDressLayout(store, "gr").empty());
  EXPECT_EQ(ReadDressLayout(store, "grd"), TwoColumns());
}

TEST(DressGridLayoutFormat, RegressionAtMost37RecordsStayInsideTheSlot) {
  TMemLayoutStore store;
  TDressLayout many;
  for (int i = 0; i < 40; ++i) many.push_back({"c" + std::to_string(i), "2", i});
  ASSERT_TRUE(WriteDressLayout(store, "a", many));
  ASSERT_TRUE(WriteDressLayout(store, "b", TwoColumns()));
  EXPECT_EQ(store.Bytes.size(), size_t{10240 + 788});
  const TDressLayout back = ReadDressLayout(store, "a");
  ASSERT_EQ(back.size(), 37u);
  EXPECT_EQ(back.back(), (TLayoutColumn{"c36", "2", 36}));
  EXPECT_EQ(ReadDressLayout(store, "b"), TwoColumns());
}

// A long caption loses whole characters only: 127 double-byte characters fit in 255
// bytes, the 128th does not, and no half character is left behind.
TEST(DressGridLayoutFormat, RegressionCaptionsAreCutAtACharacterBoundary) {
  AnsiString caption = "x";
  for (int i = 0; i < 130; ++i) caption += "货";
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "k", {{caption, "货号", 5}}));
  const TDressLayout back = ReadDressLayout(store, "k");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].Caption, caption.substr(0, 255));
  EXPECT_EQ(back[0].Kind, "货");  // 3 bytes allowed: one character of two
  AnsiString even(256, 'a');
  EXPECT_EQ(LayoutKey(even).size(), 255u);
  EXPECT_EQ(LayoutKey("a" + AnsiString(254, '\0') + "货").size(), 255u);
}

// --- damaged files ---------------------------------------------------------------------------

TEST(DressGridLayoutDamage, RegressionShortLastSlotIsNoMatch) {
  TMemLayoutStore full;
  ASSERT_TRUE(WriteDressLayout(full, "grdA", TwoColumns()));
  // Cut inside the key field, then inside the count: no slot matches, nothing is read
  // beyond the end, and a new write appends at the next boundary. The cut slot must not
  // come back to life when the file grows around it and shadow the new one.
  for (size_t cut : {size_t{3}, size_t{200}, size_t{258}}) {
    TMemLayoutStore store;
    store.Bytes = full.Bytes.substr(0, cut);
    EXPECT_TRUE(ReadDressLayout(store, "grdA").empty()) << cut;
    ASSERT_TRUE(WriteDressLayout(store, "grdA", TwoColumns()));
    EXPECT_EQ(store.Bytes.size(), size_t{10240 + 788}) << cut;
    EXPECT_EQ(ReadDressLayout(store, "grdA"), TwoColumns()) << cut;
  }
}

TEST(DressGridLayoutDamage, RegressionTruncatedRecordsGiveTheRecordsThatFit) {
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "grdA", TwoColumns()));
  store.Bytes.resize(787);
  EXPECT_EQ(ReadDressLayout(store, "grdA"), (TDressLayout{TwoColumns()[0]}));
}

TEST(DressGridLayoutDamage, RegressionHugeOrNegativeCountIsBounded) {
  TMemLayoutStore store;
  TDressLayout many(37, {"c", "2", 7});
  ASSERT_TRUE(WriteDressLayout(store, "k", many));
  store.Bytes.resize(kLayoutSlotSize * 2, 'z');  // the next slot holds garbage
  for (uint32_t count : {38u, 0x7FFFFFFFu}) {
    for (int i = 0; i < 4; ++i) store.Bytes[256 + i] = static_cast<char>(count >> (8 * i));
    EXPECT_EQ(ReadDressLayout(store, "k").size(), 37u) << count;
  }
  for (int i = 0; i < 4; ++i) store.Bytes[256 + i] = '\xFF';  // -1
  EXPECT_TRUE(ReadDressLayout(store, "k").empty());
}

TEST(DressGridLayoutDamage, LengthBytesBeyondTheirFieldAreBounded) {
  TMemLayoutStore store;
  ASSERT_TRUE(WriteDressLayout(store, "k", {{"a", "b", 1}}));
  store.Bytes[260 + 256] = '\xFF';  // kind length 255 in a 4-byte field
  const TDressLayout back = ReadDressLayout(store, "k");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].Kind.size(), 3u);
}

// --- failures and the change test ----------------------------------------------------------------

TEST(DressGridLayoutFailures, RegressionUnopenableFileIsNoLayoutAndNoThrow) {
  TMemLayoutStore store;
  store.FailOpen = true;
  EXPECT_TRUE(ReadDressLayout(store, "grdA").empty());
  EXPECT_FALSE(WriteDressLayout(store, "grdA", TwoColumns()));
}

TEST(DressGridLayoutFailures, RegressionFailedWriteIsReportedNotThrown) {
  TMemLayoutStore store;
  store.FailWrites = true;
  EXPECT_FALSE(WriteDressLayout(store, "grdA", TwoColumns()));
  EXPECT_TRUE(store.Bytes.empty());
}

TEST(DressGridLayoutFailures, EmptyKeyNeitherOpensNorWrites) {
  TMemLayoutStore store;
  EXPECT_TRUE(ReadDressLayout(store, "").empty());
  EXPECT_FALSE(WriteDressLayout(store, "", TwoColumns()));
  EXPECT_EQ(store.Opens, 0);
}

TEST(DressGridLayoutChange, SavedWidthsAgainstCurrentWidths) {
  const TDressLayout saved = {{"a", "2", 60}, {"b", "1", 30}, {"c", "0", -1}};
  EXPECT_TRUE(LayoutChanged({}, {60}));
  EXPECT_FALSE(LayoutChanged(saved, {60, 99, -1}));  // kind "1" is not compared
  EXPECT_TRUE(LayoutChanged(saved, {61, 30, -1}));
  EXPECT_TRUE(LayoutChanged(saved, {60, 30}));         // a saved column that is gone
  EXPECT_FALSE(LayoutChanged(saved, {60, 30, -1, 5}));  // a new column alone is no change
}

// --- the real file ------------------------------------------------------------------------------

TEST(DressGridLayoutFile, ReadingCreatesAnEmptyFileThenWriteAndReadBack) {
  const AnsiString name = ScratchFolder("file") + PathDelim + kLayoutFileName;
  const auto store = MakeFileLayoutStore(name);
  EXPECT_TRUE(ReadDressLayout(*store, "grdA").empty());
  EXPECT_EQ(FileSizeOf(name), 0);
  ASSERT_TRUE(WriteDressLayout(*store, "grdA", TwoColumns()));
  EXPECT_EQ(FileSizeOf(name), 788);
  EXPECT_EQ(ReadDressLayout(*MakeFileLayoutStore(name), "grdA"), TwoColumns());
}

TEST(DressGridLayoutFile, RegressionMissingFolderIsNoLayoutAndNoThrow) {
  const AnsiString name = ScratchFolder("nofolder") + PathDelim + "gone" + PathDelim + kLayoutFileName;
  const auto store = MakeFileLayoutStore(name);
  EXPECT_TRUE(ReadDressLayout(*store, "grdA").empty());
  EXPECT_FALSE(WriteDressLayout(*store, "grdA", TwoColumns()));
}

TEST(DressGridLayoutFile, RegressionReadOnlyFileStillGivesItsLayoutAndRefusesWrites) {
  const AnsiString name = ScratchFolder("readonly") + PathDelim + kLayoutFileName;
  ASSERT_TRUE(WriteDressLayout(*MakeFileLayoutStore(name), "grdA", TwoColumns()));
  std::filesystem::permissions(FilePath(name), std::filesystem::perms::owner_read);
  const auto store = MakeFileLayoutStore(name);
  EXPECT_EQ(ReadDressLayout(*store, "grdA"), TwoColumns());
  const bool root = std::ofstream(FilePath(name), std::ios::app).is_open();  // root writes anyway
  if (!root) {
    EXPECT_FALSE(WriteDressLayout(*store, "grdA", {{"x", "2", 1}}));
  }
  std::filesystem::permissions(FilePath(name), std::filesystem::perms::owner_all);
}

// Writers of different grids running at once (each with its own open file, as two hosts
// have) each end up with a slot of their own: the lock covers find-and-write.
TEST(DressGridLayoutFile, RegressionConcurrentWritersNeverShareASlot) {
  const AnsiString name = ScratchFolder("shared") + PathDelim + kLayoutFileName;
  constexpr int kWriters = 6;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      TSlowStore slow(name);
      TLayoutStore* store = &slow;
      for (int round = 0; round < 20; ++round) {
        if (!WriteDressLayout(*store, "grid" + std::to_string(w), {{"c", "2", w * 100 + round}})) ++failures;
        ReadDressLayout(*store, "grid" + std::to_string((w + 1) % kWriters));
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_LE(FileSizeOf(name), int64_t{kLayoutSlotSize} * (kWriters - 1) + 524);
  const auto store = MakeFileLayoutStore(name);
  for (int w = 0; w < kWriters; ++w)
    EXPECT_EQ(ReadDressLayout(*store, "grid" + std::to_string(w)), (TDressLayout{{"c", "2", w * 100 + 19}})) << w;
}
