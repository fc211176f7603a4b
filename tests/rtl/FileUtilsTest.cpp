// File names (GBK, both delimiters, trail bytes that look like '\') and the file system
// calls with Chinese names.
#include "rtl/FileUtils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "rtl/Exceptions.h"

namespace {
// "乗" is 81 5C in GBK: its trail byte is a backslash.
const std::string kBackslashChar = "\x81\x5C";

AnsiString TempRoot() {
  const std::filesystem::path p = std::filesystem::temp_directory_path();
#ifdef _WIN32
  const std::wstring w = p.wstring();
  return IncludeTrailingPathDelimiter(WideToGbk(std::u16string(w.begin(), w.end())));
#else
  return IncludeTrailingPathDelimiter(Utf8ToGbk(p.string()));
#endif
}

// A fresh folder for one test, removed with everything in it afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& leaf) : FPath(TempRoot() + leaf + "\\") {
    std::filesystem::remove_all(FilePath(FPath));
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(FilePath(FPath), ec);
  }
  const AnsiString& Path() const { return FPath; }

 private:
  AnsiString FPath;
};

void WriteFile(const AnsiString& name, const std::string& bytes) {
  std::ofstream out(FilePath(name), std::ios::binary);
  out << bytes;
}
}  // namespace

TEST(FileNames, SplittingTable) {
  struct Case { std::string name, path, file, ext; };
  const Case cases[] = {
      {"C:\\a\\b.txt", "C:\\a\\", "b.txt", ".txt"},
      {"C:/a/b.tar.gz", "C:/a/", "b.tar.gz", ".gz"},
      {"b.txt", "", "b.txt", ".txt"},
      {"C:b.txt", "C:", "b.txt", ".txt"},
      {"\\\\srv\\share\\x", "\\\\srv\\share\\", "x", ""},
      {"a.dir\\noext", "a.dir\\", "noext", ""},
      {"folder\\", "folder\\", "", ""},
      {"", "", "", ""},
      {"/tmp/.hidden", "/tmp/", ".hidden", ".hidden"},
      // The trail byte 5C of "乗" is part of the character, not a delimiter.
      {"D:\\" + kBackslashChar + ".dat", "D:\\", kBackslashChar + ".dat", ".dat"},
      {"D:\\x" + kBackslashChar + "y\\z.txt", "D:\\x" + kBackslashChar + "y\\", "z.txt", ".txt"},
      {"\xB5\xBC\xB3\xF6(2024-03-05).txt", "", "\xB5\xBC\xB3\xF6(2024-03-05).txt", ".txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
  }
}

TEST(FileNames, ChangeFileExt) {
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ".dat"), "a\\b.dat");
  EXPECT_EQ(ChangeFileExt("a\\b", ".dat"), "a\\b.dat");
  EXPECT_EQ(ChangeFileExt("a.d\\b", ".dat"), "a.d\\b.dat");
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ""), "a\\b");
}

TEST(FileNames, TrailingDelimiters) {
  const std::string d(1, PathDelim);
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a"), "C:\\a" + d);
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), d);
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\a"), "C:\\a");
  // A name that ends in "乗" does not end in a delimiter.
  EXPECT_EQ(IncludeTrailingPathDelimiter("x" + kBackslashChar), "x" + kBackslashChar + d);
  EXPECT_EQ(ExcludeTrailingPathDelimiter("x" + kBackslashChar), "x" + kBackslashChar);
  EXPECT_TRUE(IsPathDelimiter("a\\b", 2));
  EXPECT_FALSE(IsPathDelimiter("x" + kBackslashChar, 3));
  EXPECT_FALSE(IsPathDelimiter("a", 0));
  EXPECT_FALSE(IsPathDelimiter("a", 2));
}

// Under Wine the Unix side stores names in the host locale's character set; a host
// without a UTF-8 Chinese locale cannot hold Chinese names at all, whatever we pass.
bool HostStoresChineseNames() {
#ifdef _WIN32
  const AnsiString probe = TempRoot() + "\xC5\xCC\xB5\xE3_probe";
  if (!CreateDir(probe) && !DirectoryExists(probe)) return false;
  std::error_code ec;
  std::filesystem::remove(FilePath(probe), ec);
#endif
  return true;
}

TEST(FileSystem, ChineseNamesExistRenameAndDelete) {
  if (!HostStoresChineseNames()) GTEST_SKIP() << "this system cannot store Chinese file names";
  ScratchFolder dir("\xC5\xCC\xB5\xE3_rtl_files");  // 盘点
  ASSERT_TRUE(ForceDirectories(dir.Path() + "\xB5\xBC\xB3\xF6\\sub"));  // 导出
  EXPECT_TRUE(DirectoryExists(dir.Path() + "\xB5\xBC\xB3\xF6"));
  EXPECT_TRUE(DirectoryExists(dir.Path() + "\xB5\xBC\xB3\xF6\\sub\\"));

  const AnsiString name = dir.Path() + "\xC9\xCC\xC6\xB7" + kBackslashChar + ".txt";  // 商品乗
  WriteFile(name, "12345");
  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(DirectoryExists(name));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_EQ(FileSizeOf(name), 5);
  EXPECT_EQ(FileSizeOf(dir.Path()), -1);

  const AnsiString other = dir.Path() + "\xD0\xC2.txt";  // 新
  WriteFile(other, "x");
  EXPECT_FALSE(RenameFile(name, other));  // an existing target is not replaced
  EXPECT_EQ(FileSizeOf(other), 1);
  ASSERT_TRUE(DeleteFile(other));
  EXPECT_TRUE(RenameFile(name, other));
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(FileSizeOf(other), 5);
  EXPECT_TRUE(DeleteFile(other));
  EXPECT_FALSE(DeleteFile(other));
  EXPECT_FALSE(FileExists(other));
  EXPECT_EQ(FileSizeOf(other), -1);
}

TEST(FileSystem, ForceDirectoriesEdges) {
  ScratchFolder dir("rtl_force");
  EXPECT_TRUE(ForceDirectories(dir.Path() + "a/b\\c"));  // either delimiter
  EXPECT_TRUE(DirectoryExists(dir.Path() + "a\\b\\c"));
  EXPECT_TRUE(ForceDirectories(dir.Path() + "a"));       // already there
  WriteFile(dir.Path() + "file", "x");
  EXPECT_FALSE(ForceDirectories(dir.Path() + "file\\below"));  // a file is in the way
  EXPECT_THROW(ForceDirectories(""), EOSError);
  EXPECT_TRUE(CreateDir(dir.Path() + "new"));
  EXPECT_FALSE(CreateDir(dir.Path() + "new"));
}

TEST(FileSystem, CurrentDirIsAnExistingFolderWithoutTrailingDelimiter) {
  const AnsiString cwd = GetCurrentDir();
  ASSERT_FALSE(cwd.empty());
  EXPECT_TRUE(DirectoryExists(cwd));
  if (cwd.size() > 3) {
    EXPECT_NE(cwd.back(), PathDelim);
  }
}
