// The queue of writers of one database file (see WriterQueue.h).
#include "server/WriterQueue.h"

#include <filesystem>
#include <map>
#include <thread>  // std::chrono clocks: <chrono> itself has a literal that GBK cannot hold

#include "server/StoreErrors.h"

namespace store {

std::shared_ptr<WriterQueue> WriterQueue::ForFile(const std::string& path) {
  static std::mutex lock;
  static std::map<std::string, std::weak_ptr<WriterQueue>> queues;
  std::error_code ec;
  std::string key = std::filesystem::weakly_canonical(path, ec).string();
  if (ec) key = path;
  std::lock_guard<std::mutex> hold(lock);
  for (auto it = queues.begin(); it != queues.end();) {
    if (it->second.expired()) it = queues.erase(it);
    else ++it;
  }
  std::shared_ptr<WriterQueue> queue = queues[key].lock();
  if (!queue) {
    queue = std::make_shared<WriterQueue>();
    queues[key] = queue;
  }
  return queue;
}

bool WriterQueue::Acquire(int timeoutMs) {
  std::unique_lock<std::mutex> hold(FLock);
  if (!FHeld && FWaiters.empty()) {
    FHeld = true;
    return true;
  }
  Waiter me;
  const auto place = FWaiters.insert(FWaiters.end(), &me);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const auto myTurn = [&] { return !FHeld && FWaiters.front() == &me; };
  if (!me.Wake.wait_until(hold, deadline, myTurn)) {
    const bool wasFirst = FWaiters.front() == &me;
    FWaiters.erase(place);
    // The writer behind may be free to go now.
    if (wasFirst && !FHeld && !FWaiters.empty()) FWaiters.front()->Wake.notify_one();
    return false;
  }
  FWaiters.erase(place);
  FHeld = true;
  return true;
}

void WriterQueue::Release() {
  std::lock_guard<std::mutex> hold(FLock);
  FHeld = false;
  if (!FWaiters.empty()) FWaiters.front()->Wake.notify_one();
}

int WriterQueue::Waiting() const {
  std::lock_guard<std::mutex> hold(FLock);
  return static_cast<int>(FWaiters.size());
}

WriteTurn::WriteTurn(WriterQueue& queue, int timeoutMs) : FQueue(&queue) {
  if (!queue.Acquire(timeoutMs)) {
    FQueue = nullptr;
    // SQLite's own words for a write lock that did not come in time.
    throw ESqlError("database is locked");
  }
}

void WriteTurn::Release() {
  if (FQueue) FQueue->Release();
  FQueue = nullptr;
}

}  // namespace store
