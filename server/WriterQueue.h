// The queue of writers of one database file: one write transaction at a time, granted
// in the order the writers asked.
//
// SQLite lets one connection write at a time and makes the others wait by sleeping and
// retrying, which is unfair: under many tills a writer can lose the race again and
// again for seconds. The sessions of this server therefore take their turn here before
// they begin to write (an explicit transaction, or a single write outside one), and
// SQLite's own lock is then free when a turn begins.
//
// Invariants:
//   - At most one WriteTurn of a queue holds it at a time.
//   - Waiters are served first come, first served; one that gives up (time-out) leaves
//     the queue without holding up those behind it.
//   - Every database file has one queue in the process (ForFile), whoever asks for it.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace store {

class WriterQueue {
 public:
  // The queue of the database file at path (the same object for every path that names
  // the same file, as long as anyone holds it).
  static std::shared_ptr<WriterQueue> ForFile(const std::string& path);

  WriterQueue() = default;
  WriterQueue(const WriterQueue&) = delete;
  WriterQueue& operator=(const WriterQueue&) = delete;

  // Waits for the turn: until every writer that asked earlier is done. False when the
  // turn did not come within timeoutMs (the caller is then out of the queue).
  bool Acquire(int timeoutMs);
  // Ends the turn of the holder and wakes the next writer.
  void Release();
  // Writers waiting, the holder not counted.
  int Waiting() const;

 private:
  struct Waiter {
    std::condition_variable Wake;
  };
  mutable std::mutex FLock;
  bool FHeld = false;
  std::list<Waiter*> FWaiters;  // in arrival order; each lives on its waiter's stack
};

// A turn in a writer queue, held until Release or destruction.
class WriteTurn {
 public:
  // Raises ESqlError "database is locked" when the turn does not come within timeoutMs.
  WriteTurn(WriterQueue& queue, int timeoutMs);
  ~WriteTurn() { Release(); }
  WriteTurn(WriteTurn&& other) noexcept : FQueue(other.FQueue) { other.FQueue = nullptr; }
  WriteTurn& operator=(WriteTurn&& other) noexcept {
    if (this != &other) {
      Release();
      FQueue = other.FQueue;
      other.FQueue = nullptr;
    }
    return *this;
  }
  WriteTurn(const WriteTurn&) = delete;
  WriteTurn& operator=(const WriteTurn&) = delete;
  void Release();

 private:
  WriterQueue* FQueue;
};

}  // namespace store
