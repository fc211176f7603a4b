// Byte streams: TStream and its memory, file and string kinds, with little-endian typed
// read/write helpers.
//
// Positions and sizes are byte counts (int64_t). Read/Write move as many bytes as they
// can and return that count; ReadBuffer/WriteBuffer require every byte and raise
// EReadError "Stream read error" / EWriteError "Stream write error" otherwise. A failed
// ReadBuffer leaves the position after the bytes that were there (the caller treats the
// stream as broken). Seeking before 0 is not allowed (EStreamError "Invalid stream
// position"); seeking past the end is allowed and a later write fills the gap with zeros
// (memory streams) or as the file system does.
//
// Typed helpers read and write the exact little-endian bytes of their type whatever the
// machine. The 80-bit x87 extended real (10 bytes: 64-bit mantissa with explicit integer
// bit, 15-bit exponent biased by 16383, sign) is read into a double, as the variant
// stream needs:
//   - values inside double's range are rounded to nearest (ties to even);
//   - values too small for a double become (signed) zero, too large ones raise;
//   - +/-infinity and NaN map to the double's infinity and quiet NaN;
//   - encodings that no x87 produces as a value (unnormals: exponent not 0 but integer
//     bit clear; pseudo-infinity/NaN without the integer bit) raise.
// "Raise" is EReadError "Invalid floating point value in stream". Writing a double as
// extended is exact.
#pragma once
#include <cstdint>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
// The platform's older names of the same origins.
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
 public:
  // Moves up to count bytes; returns how many moved (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();
  // Grows (zero-filled for memory) or cuts the stream; the position stays unless it was
  // past the new end, then it is the new end.
  virtual void SetSize(int64_t newSize);

  void ReadBuffer(void* buffer, int64_t count);         // EReadError "Stream read error"
  void WriteBuffer(const void* buffer, int64_t count);  // EWriteError "Stream write error"
  // Copies count bytes from source's current position (count 0: all of source, from its
  // start). Returns the bytes copied; EReadError when source has fewer.
  int64_t CopyFrom(TStream& source, int64_t count);

  // --- little-endian typed helpers ------------------------------------------------------
  int8_t ReadInt8();
  uint8_t ReadUInt8();
  int16_t ReadInt16();
  uint16_t ReadUInt16();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  int64_t ReadInt64();
  float ReadSingle();
  double ReadDouble();
  double ReadExtended();  // 10 bytes; see the rules above
  // count bytes as a string; count is checked against the bytes left before anything is
  // allocated (EReadError when the stream holds fewer).
  AnsiString ReadBytes(int64_t count);
  void WriteInt8(int8_t v);
  void WriteUInt8(uint8_t v);
  void WriteInt16(int16_t v);
  void WriteUInt16(uint16_t v);
  void WriteInt32(int32_t v);
  void WriteUInt32(uint32_t v);
  void WriteInt64(int64_t v);
  void WriteSingle(float v);
  void WriteDouble(double v);
  void WriteExtended(double v);
  void WriteBytes(std::string_view bytes);

  int64_t BytesLeft();  // Size - Position, never below 0

  // Component streaming (rtl/ComponentStreaming.h, defined there): writes Instance in the
  // binary component form; reads one component into Instance (its published properties
  // set in place), or, with Instance null, into a new component of the registered class.
  void WriteComponent(TComponent* Instance);
  TComponent* ReadComponent(TComponent* Instance);
};

// The 80-bit extended conversions themselves (bytes little-endian, as stored).
// ExtendedToDouble returns false for the encodings that raise in ReadExtended.
bool ExtendedToDouble(const uint8_t bytes[10], double& out);
void DoubleToExtended(double v, uint8_t bytes[10]);

// A stream over a growable block of memory owned by the stream.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t newSize) override;

  // The bytes; valid until the next write or SetSize.
  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  const std::vector<uint8_t>& Bytes() const { return FData; }
  void Clear();  // size and position 0

  // Replace the content with all of the stream (from its start) / the file; position 0.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const AnsiString& fileName);  // EFOpenError
  // Write the whole content (whatever the position).
  void SaveToStream(TStream& stream) const;
  void SaveToFile(const AnsiString& fileName) const;  // EFCreateError

 protected:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

// A memory stream whose content is a string (bytes as they are).
class TStringStream : public TMemoryStream {
 public:
  TStringStream() = default;
  explicit TStringStream(std::string_view data);  // position 0
  AnsiString DataString() const;                   // the whole content
  AnsiString ReadString(int64_t count);            // up to count bytes from the position
  void WriteString(std::string_view s);
};

// File open modes: one access mode ORed with any share mode (share modes are accepted and
// not enforced), or fmCreate (create or truncate, then read/write).
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

// A stream over an open file. The file name is GBK text, converted for the system as
// rtl/FileUtils does. Failing to open raises EFOpenError "Cannot open file \"<name>\"",
// failing to create EFCreateError "Cannot create file \"<name>\"" (with the system's
// reason appended after ". " when known). The handle is closed by the destructor.
class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& fileName, uint16_t mode);
  ~TFileStream() override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t newSize) override;
  const AnsiString& FileName() const { return FFileName; }

 private:
  AnsiString FFileName;
  int FHandle = -1;
};
