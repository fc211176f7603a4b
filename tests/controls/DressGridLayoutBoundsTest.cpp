// Bounds of the layout file: a caption of exactly the field's length, a file far past
// the size limit (sparse or damaged) read and written with bounded work, and the file's
// place when the host's folder is not known.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <filesystem>
#include <thread>

#include "controls/DressGridLayout.h"
#include "rtl/Exceptions.h"
#include "rtl/FileUtils.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A file of any size that holds zeros except where it was written, counting its reads.
class THugeFile : public TLayoutFile {
 public:
  THugeFile(int64_t size, std::map<int64_t, AnsiString>& written, int& reads)
      : FSize(size), FWritten(written), FReads(reads) {}
  int64_t Size() override { return FSize; }
  int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
    ++FReads;
    if (offset >= FSize) return 0;
    const int64_t n = std::min(count, FSize - offset);
    std::memset(buffer, 0, static_cast<size_t>(n));
    for (const auto& [at, bytes] : FWritten) {
      const int64_t from = std::max(at, offset), to = std::min<int64_t>(at + bytes.size(), offset + n);
      if (from < to) std::memcpy(static_cast<char*>(buffer) + (from - offset), bytes.data() + (from - at), to - from);
    }
    return n;
  }
  void WriteAt(int64_t offset, const void* buffer, int64_t count) override {
    FWritten[offset] = AnsiString(static_cast<const char*>(buffer), static_cast<size_t>(count));
  }

 private:
  int64_t FSize;
  std::map<int64_t, AnsiString>& FWritten;
  int& FReads;
};

class THugeStore : public TLayoutStore {
 public:
  explicit THugeStore(int64_t size) : Size(size) {}
  std::unique_ptr<TLayoutFile> OpenShared() override { return std::make_unique<THugeFile>(Size, Written, Reads); }
  std::unique_ptr<TLayoutFile> OpenExclusive() override { return std::make_unique<THugeFile>(Size, Written, Reads); }
  int64_t Size;
  std::map<int64_t, AnsiString> Written;
  int Reads = 0;
};

constexpr int64_t kTiB = int64_t{1} << 40;
const TDressLayout kOne = {{"货号", "2", 60}};

}  // namespace

// Cut at 256 bytes, a single-byte caption of 256 or more filled the length byte with
// 0 and ran into the kind field; 255 bytes is the most a caption keeps.
TEST(DressGridLayoutBounds, RegressionSingleByteCaptionOfTheFieldsLengthKeeps255Bytes) {
  for (const size_t n : {255u, 256u, 257u, 300u}) {
    const AnsiString caption(n, 'a');
    const AnsiString bytes = EncodeLayoutSlot("k", {{caption, "2", 7}});
    ASSERT_EQ(bytes.size(), static_cast<size_t>(kLayoutHeaderSize + kLayoutRecordSize));
    EXPECT_EQ(static_cast<unsigned char>(bytes[kLayoutHeaderSize]), 255u) << n;
    EXPECT_EQ(bytes.substr(kLayoutHeaderSize + 1, 255), caption.substr(0, 255)) << n;
    EXPECT_EQ(bytes.substr(kLayoutHeaderSize + kLayoutCaptionSize, 2), "\x01" "2") << n;
  }
  THugeStore store(0);
  ASSERT_TRUE(WriteDressLayout(store, "k", {{AnsiString(256, 'b'), "12", 9}}));
  store.Size = static_cast<int64_t>(store.Written.at(0).size());
  const TDressLayout back = ReadDressLayout(store, "k");
  EXPECT_EQ(back, (TDressLayout{{AnsiString(255, 'b'), "12", 9}}));
}

// A terabyte of holes used to be searched slot by slot for minutes, by a reader and by
// a writer holding the file's lock; now only the first kLayoutMaxSlots are looked at.
TEST(DressGridLayoutBounds, RegressionHugeFileIsReadOnlyUpToTheLimit) {
  THugeStore store(kTiB);
  EXPECT_EQ(LayoutSlotCount(kTiB), kLayoutMaxSlots);
  EXPECT_TRUE(ReadDressLayout(store, "grdA").empty());
  EXPECT_LE(store.Reads, kLayoutMaxSlots);
  // No room for a new slot among those read: nothing is written, the search stayed bounded.
  store.Reads = 0;
  EXPECT_FALSE(WriteDressLayout(store, "grdA", kOne));
  EXPECT_TRUE(store.Written.empty());
  EXPECT_LE(store.Reads, kLayoutMaxSlots);
  // The last slot within the limit is found and rewritten in place; one beyond is not seen.
  store.Written[(kLayoutMaxSlots - 1) * kLayoutSlotSize] = EncodeLayoutSlot("last", kOne);
  store.Written[kLayoutMaxSlots * kLayoutSlotSize] = EncodeLayoutSlot("beyond", kOne);
  EXPECT_EQ(ReadDressLayout(store, "last"), kOne);
  EXPECT_TRUE(ReadDressLayout(store, "beyond").empty());
  EXPECT_TRUE(WriteDressLayout(store, "last", {{"品名", "2", 99}}));
  EXPECT_EQ(ReadDressLayout(store, "last"), (TDressLayout{{"品名", "2", 99}}));
}

TEST(DressGridLayoutBounds, NewSlotsStopAtTheLimit) {
  THugeStore store((kLayoutMaxSlots - 1) * kLayoutSlotSize + 1);  // the last slot within the limit is short
  EXPECT_FALSE(WriteDressLayout(store, "k", kOne));
  store.Size = (kLayoutMaxSlots - 1) * kLayoutSlotSize;
  ASSERT_TRUE(WriteDressLayout(store, "k", kOne));
  EXPECT_EQ(store.Written.rbegin()->first, (kLayoutMaxSlots - 1) * kLayoutSlotSize);
  EXPECT_EQ(LayoutSlotCount(0), 0);
  EXPECT_EQ(LayoutSlotCount(1), 1);
  EXPECT_EQ(LayoutSlotCount(kLayoutMaxSlots * kLayoutSlotSize + 1), kLayoutMaxSlots);
}

// Without the host's folder the file used to be taken relative to the working folder.
TEST(DressGridLayoutBounds, RegressionUnknownHostFolderGivesNoLayoutFile) {
  EXPECT_EQ(LayoutFileIn(""), "");
  EXPECT_EQ(LayoutFileIn("C:\\Pos"), "C:\\Pos\\ZelvoDerssGrid.dat");
}

#ifndef _WIN32
// A real sparse file of a terabyte: a screen's grid opens, and is freed, within a second.
TEST(DressGridLayoutBounds, RegressionSparseTerabyteFileOpensWithinASecond) {
  const AnsiString dir = GetCurrentDir() + PathDelim + "layout_sparse";
  std::error_code ec;
  std::filesystem::remove_all(FilePath(dir), ec);
  ForceDirectories(dir);
  const AnsiString name = dir + PathDelim + kLayoutFileName;
  {
    const int fd = ::open(FilePath(name).c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_GE(fd, 0);
    const bool sized = ::ftruncate(fd, kTiB) == 0;
    ::close(fd);
    if (!sized) GTEST_SKIP() << "the file system holds no sparse file of a terabyte";
  }
  const auto store = MakeFileLayoutStore(name);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ReadDressLayout(*store, "grdA").empty());
  EXPECT_FALSE(WriteDressLayout(*store, "grdA", kOne));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  std::filesystem::remove_all(FilePath(dir), ec);
}
#endif
