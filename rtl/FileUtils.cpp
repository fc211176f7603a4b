// File names and file-system calls. Names are GBK; the OS sees UTF-16 (Win32, wide
// API) or UTF-8 with '/' delimiters (natively). The name routines walk the text a
// character at a time, so a '\' that is a GBK trail byte is never taken for a delimiter.
#include "rtl/FileUtils.h"

#include "rtl/Exceptions.h"

#ifdef _WIN32
#include <windows.h>
#undef DeleteFile
#else
#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {
bool IsDelimiterByte(char c) { return c == '\\' || c == '/'; }

// Index of the last delimiter (or drive colon when `withDrive`) that is not a trail
// byte, npos when there is none.
size_t LastDelimiter(std::string_view s, bool withDrive, bool withDot = false) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += size_t(CharLength(s, i))) {
    const char c = s[i];
    if (IsDelimiterByte(c) || (withDrive && c == ':') || (withDot && c == '.')) last = i;
  }
  return last;
}

bool EndsWithDelimiter(std::string_view s) {
  return !s.empty() && IsDelimiterByte(s.back()) && !IsTrailByteAt(s, s.size() - 1);
}

#ifdef _WIN32
std::wstring Wide(std::string_view name) {
  const WideString w = GbkToWide(name);
  return std::wstring(w.begin(), w.end());
}

DWORD Attributes(std::string_view name) { return GetFileAttributesW(Wide(name).c_str()); }
#else
std::string Native(std::string_view name) {
  std::string s = GbkToUtf8(name);
  for (char& c : s)
    if (c == '\\') c = '/';  // UTF-8 has no trail byte 0x5C: every '\' is a delimiter
  return s;
}

bool Stat(std::string_view name, struct stat& st) { return ::stat(Native(name).c_str(), &st) == 0; }
#endif
}  // namespace

// --- names -------------------------------------------------------------------------

AnsiString ExtractFilePath(std::string_view FileName) {
  const size_t p = LastDelimiter(FileName, true);
  return p == std::string_view::npos ? AnsiString() : AnsiString(FileName.substr(0, p + 1));
}

AnsiString ExtractFileName(std::string_view FileName) {
  const size_t p = LastDelimiter(FileName, true);
  return AnsiString(p == std::string_view::npos ? FileName : FileName.substr(p + 1));
}

AnsiString ExtractFileExt(std::string_view FileName) {
  const size_t p = LastDelimiter(FileName, true, true);
  if (p == std::string_view::npos || FileName[p] != '.') return AnsiString();
  return AnsiString(FileName.substr(p));
}

AnsiString ChangeFileExt(std::string_view FileName, std::string_view Extension) {
  const size_t p = LastDelimiter(FileName, true, true);
  const size_t stem = (p == std::string_view::npos || FileName[p] != '.') ? FileName.size() : p;
  return AnsiString(FileName.substr(0, stem)) + AnsiString(Extension);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view S) {
  AnsiString out(S);
  if (!EndsWithDelimiter(S)) out.push_back(PathDelim);
  return out;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view S) {
  AnsiString out(S);
  if (EndsWithDelimiter(S)) out.pop_back();
  return out;
}

bool IsPathDelimiter(std::string_view S, int Index) {
  if (Index < 1 || size_t(Index) > S.size()) return false;
  const size_t i = size_t(Index) - 1;
  return IsDelimiterByte(S[i]) && !IsTrailByteAt(S, i);
}

// --- file system -------------------------------------------------------------------

#ifdef _WIN32

bool FileExists(std::string_view FileName) {
  const DWORD a = Attributes(FileName);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view Name) {
  const DWORD a = Attributes(Name);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFile(std::string_view FileName) { return DeleteFileW(Wide(FileName).c_str()) != 0; }

bool RenameFile(std::string_view OldName, std::string_view NewName) {
  return MoveFileW(Wide(OldName).c_str(), Wide(NewName).c_str()) != 0;
}

bool CreateDir(std::string_view Dir) { return CreateDirectoryW(Wide(Dir).c_str(), nullptr) != 0; }

AnsiString GetCurrentDir() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return AnsiString();
  std::wstring buf(n, L'\0');
  const DWORD len = GetCurrentDirectoryW(n, buf.data());
  buf.resize(len);
  return WideToGbk(std::u16string(buf.begin(), buf.end()));
}

int64_t FileSizeOf(std::string_view FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(FileName).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::filesystem::path FilePath(std::string_view FileName) { return std::filesystem::path(Wide(FileName)); }

#else

bool FileExists(std::string_view FileName) {
  struct stat st;
  return Stat(FileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view Name) {
  struct stat st;
  return Stat(Name, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view FileName) {
  // unlink refuses folders, as the Win32 call does.
  return ::unlink(Native(FileName).c_str()) == 0;
}

bool RenameFile(std::string_view OldName, std::string_view NewName) {
  // rename() replaces an existing target; the Win32 call this stands for refuses to.
  struct stat st;
  if (::lstat(Native(NewName).c_str(), &st) == 0) return false;
  return ::rename(Native(OldName).c_str(), Native(NewName).c_str()) == 0;
}

bool CreateDir(std::string_view Dir) { return ::mkdir(Native(Dir).c_str(), 0777) == 0; }

AnsiString GetCurrentDir() {
  std::vector<char> buf(PATH_MAX);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return AnsiString();
    buf.resize(buf.size() * 2);
  }
  return Utf8ToGbk(buf.data());
}

int64_t FileSizeOf(std::string_view FileName) {
  struct stat st;
  if (!Stat(FileName, st) || S_ISDIR(st.st_mode)) return -1;
  return int64_t(st.st_size);
}

std::filesystem::path FilePath(std::string_view FileName) { return std::filesystem::path(Native(FileName)); }

#endif

bool ForceDirectories(std::string_view Dir) {
  if (Dir.empty()) throw EOSError("Unable to create directory");
  if (DirectoryExists(Dir)) return true;
  const AnsiString dir = ExcludeTrailingPathDelimiter(Dir);
  if (dir.empty()) return DirectoryExists(Dir);  // the root
  const AnsiString parent = ExtractFilePath(dir);
  // Climb while there is a parent that is more than a drive ("C:") or the root.
  if (!parent.empty() && parent.size() < dir.size() && parent.back() != ':' &&
      !DirectoryExists(parent) && !ForceDirectories(parent))
    return false;
  return CreateDir(dir) || DirectoryExists(dir);
}
