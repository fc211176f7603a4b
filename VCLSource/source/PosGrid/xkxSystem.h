// Library-wide state of the grid library: the global lock, the lead-byte set of the
// double-byte code pages and two global object slots, set up once when first used
// and released when the library is unloaded (static destruction).
#pragma once
#include <bitset>
#include <memory>
#include <mutex>
#include "rtl/Classes.h"

// The library's one lock (re-entrant, as a critical section).
std::recursive_mutex& kxGlobalLock();

// Every lead byte of the code pages 936 and 950, as the system reports them.
const std::bitset<256>& kxLeadBytes();
inline bool kxIsLeadByte(unsigned char b) { return kxLeadBytes().test(b); }

// The two global object slots (null until set). Freed at unload, the first one inside
// the global lock.
std::unique_ptr<TObject>& kxGlobalObject(int slot);  // slot 0 or 1

// Clears the variable first, then frees the object it held.
template <class T>
void kxFreeAndNil(std::unique_ptr<T>& obj) {
  std::unique_ptr<T> held = std::move(obj);
  obj.reset();
  held.reset();
}
