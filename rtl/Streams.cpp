// TStream, TMemoryStream, TStringStream and TFileStream; the typed little-endian helpers
// and the 80-bit extended conversion.
#include "rtl/Streams.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include "rtl/FileUtils.h"
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace {

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }
[[noreturn]] void WriteError() { throw EWriteError("Stream write error"); }
[[noreturn]] void BadPosition() { throw EStreamError("Invalid stream position"); }

template <class T>
T ReadLE(TStream& s) {
  uint8_t b[sizeof(T)];
  s.ReadBuffer(b, sizeof(T));
  uint64_t v = 0;
  for (size_t i = sizeof(T); i-- > 0;) v = (v << 8) | b[i];
  return static_cast<T>(v);
}

template <class T>
void WriteLE(TStream& s, T value) {
  uint8_t b[sizeof(T)];
  uint64_t v = static_cast<uint64_t>(value);
  for (size_t i = 0; i < sizeof(T); ++i) {
    b[i] = static_cast<uint8_t>(v & 0xFF);
    v >>= 8;
  }
  s.WriteBuffer(b, sizeof(T));
}

}  // namespace

// --- TStream ---------------------------------------------------------------------------------

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t newSize) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0) ReadError();
  if (count > 0 && Read(buffer, count) != count) ReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0) WriteError();
  if (count > 0 && Write(buffer, count) != count) WriteError();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count < 0) ReadError();
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const int64_t chunk = 64 * 1024;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(count, chunk)));
  int64_t left = count;
  while (left > 0) {
    int64_t n = std::min(left, chunk);
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

int64_t TStream::BytesLeft() {
  int64_t left = Size() - Position();
  return left < 0 ? 0 : left;
}

int8_t TStream::ReadInt8() { return ReadLE<int8_t>(*this); }
uint8_t TStream::ReadUInt8() { return ReadLE<uint8_t>(*this); }
int16_t TStream::ReadInt16() { return ReadLE<int16_t>(*this); }
uint16_t TStream::ReadUInt16() { return ReadLE<uint16_t>(*this); }
int32_t TStream::ReadInt32() { return ReadLE<int32_t>(*this); }
uint32_t TStream::ReadUInt32() { return ReadLE<uint32_t>(*this); }
int64_t TStream::ReadInt64() { return ReadLE<int64_t>(*this); }
float TStream::ReadSingle() {
  uint32_t bits = ReadUInt32();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
double TStream::ReadDouble() {
  uint64_t bits = static_cast<uint64_t>(ReadInt64());
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
double TStream::ReadExtended() {
  uint8_t b[10];
  ReadBuffer(b, 10);
  double d;
  if (!ExtendedToDouble(b, d)) throw EReadError("Invalid floating point value in stream");
  return d;
}
AnsiString TStream::ReadBytes(int64_t count) {
  if (count < 0 || count > BytesLeft()) ReadError();
  AnsiString s(static_cast<size_t>(count), '\0');
  ReadBuffer(s.data(), count);
  return s;
}

void TStream::WriteInt8(int8_t v) { WriteLE<uint8_t>(*this, static_cast<uint8_t>(v)); }
void TStream::WriteUInt8(uint8_t v) { WriteLE<uint8_t>(*this, v); }
void TStream::WriteInt16(int16_t v) { WriteLE<uint16_t>(*this, static_cast<uint16_t>(v)); }
void TStream::WriteUInt16(uint16_t v) { WriteLE<uint16_t>(*this, v); }
void TStream::WriteInt32(int32_t v) { WriteLE<uint32_t>(*this, static_cast<uint32_t>(v)); }
void TStream::WriteUInt32(uint32_t v) { WriteLE<uint32_t>(*this, v); }
void TStream::WriteInt64(int64_t v) { WriteLE<uint64_t>(*this, static_cast<uint64_t>(v)); }
void TStream::WriteSingle(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteUInt32(bits);
}
void TStream::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteInt64(static_cast<int64_t>(bits));
}
void TStream::WriteExtended(double v) {
  uint8_t b[10];
  DoubleToExtended(v, b);
  WriteBuffer(b, 10);
}
void TStream::WriteBytes(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); }

// --- 80-bit extended ---------------------------------------------------------------------------

bool ExtendedToDouble(const uint8_t bytes[10], double& out) {
  uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | bytes[i];
  unsigned se = static_cast<unsigned>(bytes[8]) | (static_cast<unsigned>(bytes[9]) << 8);
  bool neg = (se & 0x8000) != 0;
  int exp = static_cast<int>(se & 0x7FFF);
  bool integerBit = (mant >> 63) != 0;
  if (exp == 0x7FFF) {
    if (!integerBit) return false;  // pseudo-infinity / pseudo-NaN
    uint64_t frac = mant & 0x7FFFFFFFFFFFFFFFull;
    if (frac == 0)
      out = neg ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    else
      out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (exp != 0 && !integerBit) return false;  // unnormal
  if (mant == 0) {
    out = neg ? -0.0 : 0.0;
    return true;
  }
  // value = mant * 2^(exp - 16383 - 63); denormals (exp 0) use exponent 1 - 16383.
  int e = (exp == 0 ? 1 : exp) - 16383 - 63;
  // Round the 64-bit mantissa to 53 bits (ties to even) before scaling, then let ldexp
  // place it; below double's normal range ldexp rounds once more, which only matters
  // for values far below anything the library stores.
  int shift = 0;
  uint64_t m = mant;
  while (m >> 53) {
    ++shift;
    m >>= 1;
  }
  if (shift > 0) {
    uint64_t dropped = mant & ((uint64_t(1) << shift) - 1);
    uint64_t half = uint64_t(1) << (shift - 1);
    if (dropped > half || (dropped == half && (m & 1))) ++m;
  }
  double v = std::ldexp(static_cast<double>(m), e + shift);
  if (std::isinf(v)) return false;  // beyond double's range
  out = neg ? -v : v;
  return true;
}

void DoubleToExtended(double v, uint8_t bytes[10]) {
  uint64_t mant = 0;
  unsigned se = 0;
  if (std::signbit(v)) se = 0x8000;
  if (std::isnan(v)) {
    se |= 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    se |= 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (v != 0) {
    int e;
    double f = std::frexp(std::fabs(v), &e);  // f in [0.5, 1): value = f * 2^e
    mant = static_cast<uint64_t>(std::ldexp(f, 64));
    se |= static_cast<unsigned>(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mant >> (8 * i));
  bytes[8] = static_cast<uint8_t>(se & 0xFF);
  bytes[9] = static_cast<uint8_t>(se >> 8);
}

// --- TMemoryStream ---------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || FPosition >= Size()) return 0;
  int64_t n = std::min(count, Size() - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = FPosition + count;
  if (end > Size()) FData.resize(static_cast<size_t>(end));
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : Size();
  int64_t pos = base + offset;
  if (pos < 0) BadPosition();
  FPosition = pos;
  return pos;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) BadPosition();
  FData.resize(static_cast<size_t>(newSize));
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t n = stream.Size();
  std::vector<uint8_t> data(static_cast<size_t>(n));
  stream.ReadBuffer(data.data(), n);
  FData.swap(data);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

// --- TStringStream ---------------------------------------------------------------------------

TStringStream::TStringStream(std::string_view data) { FData.assign(data.begin(), data.end()); }

AnsiString TStringStream::DataString() const { return AnsiString(FData.begin(), FData.end()); }

AnsiString TStringStream::ReadString(int64_t count) {
  int64_t n = std::max<int64_t>(0, std::min(count, Size() - FPosition));
  AnsiString s(static_cast<size_t>(n), '\0');
  if (n) Read(s.data(), n);
  return s;
}

void TStringStream::WriteString(std::string_view s) { WriteBytes(s); }

// --- TFileStream -----------------------------------------------------------------------------

#ifdef _WIN32
#define POS_OPEN(p, f, m) ::_wopen(p, (f) | _O_BINARY, (m) ? (_S_IREAD | _S_IWRITE) : 0)
#define POS_READ ::_read
#define POS_WRITE ::_write
#define POS_SEEK ::_lseeki64
#define POS_CLOSE ::_close
#else
#define POS_OPEN(p, f, m) ::open(p, (f) | O_CLOEXEC, m)
#define POS_READ ::read
#define POS_WRITE ::write
#define POS_SEEK ::lseek
#define POS_CLOSE ::close
#endif

TFileStream::TFileStream(const AnsiString& fileName, uint16_t mode) : FFileName(fileName) {
  std::filesystem::path path = FilePath(fileName);
  if (mode == fmCreate) {
    FHandle = POS_OPEN(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0666);
    if (FHandle < 0) {
      int err = errno;
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(err));
    }
    return;
  }
  int access = mode & 0x0003;
  int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  FHandle = POS_OPEN(path.c_str(), flags, 0);
  if (FHandle >= 0) {
    // A folder opens on some systems; it is no file to read.
    struct stat st;
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      POS_CLOSE(FHandle);
      FHandle = -1;
      errno = EISDIR;
    }
  }
  if (FHandle < 0) {
    int err = errno;
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(err));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) POS_CLOSE(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    unsigned chunk = static_cast<unsigned>(std::min<int64_t>(count, 1 << 30));
    auto n = POS_READ(FHandle, p, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
    p += n;
    count -= n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t total = 0;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    unsigned chunk = static_cast<unsigned>(std::min<int64_t>(count, 1 << 30));
    auto n = POS_WRITE(FHandle, p, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
    p += n;
    count -= n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  int64_t pos = POS_SEEK(FHandle, offset, whence);
  if (pos < 0) BadPosition();
  return pos;
}

void TFileStream::SetSize(int64_t newSize) {
  if (newSize < 0) BadPosition();
  int64_t pos = Position();
#ifdef _WIN32
  int rc = ::_chsize_s(FHandle, newSize);
#else
  int rc = ::ftruncate(FHandle, static_cast<off_t>(newSize));
#endif
  if (rc != 0) WriteError();
  if (pos > newSize) Seek(newSize, soBeginning);
}
