// The layout file on disk: opened per read or write and locked while open (Win32:
// LockFileEx over the whole file; natively: flock). Closing releases the lock.
#include "controls/DressGridLayout.h"

#include "rtl/Exceptions.h"
#include "rtl/FileUtils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

class TWinLayoutFile : public TLayoutFile {
 public:
  TWinLayoutFile(HANDLE h, bool exclusive) : FHandle(h) {
    OVERLAPPED ov{};
    if (!LockFileEx(FHandle, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD, &ov)) {
      CloseHandle(FHandle);
      throw EFOpenError("Cannot lock the layout file");
    }
  }
  ~TWinLayoutFile() override {
    OVERLAPPED ov{};
    UnlockFileEx(FHandle, 0, MAXDWORD, MAXDWORD, &ov);
    CloseHandle(FHandle);
  }
  int64_t Size() override {
    LARGE_INTEGER s{};
    return GetFileSizeEx(FHandle, &s) ? s.QuadPart : 0;
  }
  int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &got, &ov)) return 0;
    return got;
  }
  void WriteAt(int64_t offset, const void* buffer, int64_t count) override {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    if (!WriteFile(FHandle, buffer, static_cast<DWORD>(count), &put, &ov) || put != count)
      throw EWriteError("Stream write error");
  }

 private:
  HANDLE FHandle;
};

class TWinLayoutStore : public TLayoutStore {
 public:
  explicit TWinLayoutStore(const AnsiString& name) : FName(GbkToWide(name)) {}
  std::unique_ptr<TLayoutFile> OpenShared() override {
    HANDLE h = Open(GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    // A read-only file (or folder) still gives its layout.
    if (h == INVALID_HANDLE_VALUE) h = Open(GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) throw EFOpenError("Cannot open file");
    return std::make_unique<TWinLayoutFile>(h, false);
  }
  std::unique_ptr<TLayoutFile> OpenExclusive() override {
    HANDLE h = Open(GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError("Cannot create file");
    return std::make_unique<TWinLayoutFile>(h, true);
  }

 private:
  HANDLE Open(DWORD access, DWORD disposition) {
    return CreateFileW(reinterpret_cast<LPCWSTR>(FName.c_str()), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  WideString FName;
};

#else

class TPosixLayoutFile : public TLayoutFile {
 public:
  TPosixLayoutFile(int fd, bool exclusive) : FFd(fd) {
    if (flock(FFd, exclusive ? LOCK_EX : LOCK_SH) != 0) {
      close(FFd);
      throw EFOpenError("Cannot lock the layout file");
    }
  }
  ~TPosixLayoutFile() override { close(FFd); }  // closing releases the lock
  int64_t Size() override {
    struct stat st {};
    return fstat(FFd, &st) == 0 ? st.st_size : 0;
  }
  int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
    int64_t done = 0;
    while (done < count) {
      const ssize_t n = pread(FFd, static_cast<char*>(buffer) + done, count - done, offset + done);
      if (n <= 0) break;
      done += n;
    }
    return done;
  }
  void WriteAt(int64_t offset, const void* buffer, int64_t count) override {
    int64_t done = 0;
    while (done < count) {
      const ssize_t n = pwrite(FFd, static_cast<const char*>(buffer) + done, count - done, offset + done);
      if (n <= 0) throw EWriteError("Stream write error");
      done += n;
    }
  }

 private:
  int FFd;
};

class TPosixLayoutStore : public TLayoutStore {
 public:
  explicit TPosixLayoutStore(const AnsiString& name) : FPath(FilePath(name).string()) {}
  std::unique_ptr<TLayoutFile> OpenShared() override {
    int fd = open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = open(FPath.c_str(), O_RDONLY | O_CLOEXEC);  // a read-only file still gives its layout
    if (fd < 0) throw EFOpenError("Cannot open file");
    return std::make_unique<TPosixLayoutFile>(fd, false);
  }
  std::unique_ptr<TLayoutFile> OpenExclusive() override {
    const int fd = open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EFCreateError("Cannot create file");
    return std::make_unique<TPosixLayoutFile>(fd, true);
  }

 private:
  std::string FPath;
};

#endif

}  // namespace

std::unique_ptr<TLayoutStore> MakeFileLayoutStore(const AnsiString& fileName) {
#ifdef _WIN32
  return std::make_unique<TWinLayoutStore>(fileName);
#else
  return std::make_unique<TPosixLayoutStore>(fileName);
#endif
}
