// The grid library's global state: the global lock, the lead-byte set of the
// double-byte code pages and the two global object slots.
#include "VCLSource/source/PosGrid/xkxSystem.h"

#include "rtl/AnsiString.h"

namespace {

struct LibraryState {
  std::recursive_mutex Lock;
  std::bitset<256> LeadBytes;
  std::unique_ptr<TObject> Slots[2];

  LibraryState() {
    for (unsigned cp : {936u, 950u})
      for (int b = 0; b < 256; ++b)
        if (IsLeadByte(static_cast<unsigned char>(b), cp)) LeadBytes.set(static_cast<size_t>(b));
  }
  ~LibraryState() {
    {
      std::lock_guard<std::recursive_mutex> guard(Lock);
      kxFreeAndNil(Slots[0]);
    }
    kxFreeAndNil(Slots[1]);
  }
};

LibraryState& State() {
  static LibraryState state;  // set up once, on first use
  return state;
}

}  // namespace

std::recursive_mutex& kxGlobalLock() { return State().Lock; }
const std::bitset<256>& kxLeadBytes() { return State().LeadBytes; }
std::unique_ptr<TObject>& kxGlobalObject(int slot) { return State().Slots[slot == 0 ? 0 : 1]; }
