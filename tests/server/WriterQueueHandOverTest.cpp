// The writer queue's hand-over: a writer that arrives just as the holder lets go never
// passes those already waiting, and the next in line gets the turn at once (a wrong
// wake-up used to show only as a wait of the whole time-out).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/WriterQueue.h"

namespace {

using store::WriterQueue;
using Clock = std::chrono::steady_clock;

// Long enough that a waiter woken only by its time-out fails the bound below.
constexpr int kPatienceMs = 3000;
constexpr auto kHandOverBound = std::chrono::milliseconds(500);

void WaitForWaiters(const WriterQueue& q, int n) {
  while (q.Waiting() < n) std::this_thread::yield();
}

// Released while a writer waits, the turn belongs to that writer: one that asks right
// after the release (before the waiter could run) must queue behind it. Fifty rounds,
// since the waiter may now and then run before the late writer asks.
TEST(WriterQueueHandOver, LateWriterNeverPassesTheWaiting) {
  for (int round = 0; round < 50; ++round) {
    WriterQueue q;
    ASSERT_TRUE(q.Acquire(0));
    std::mutex lock;
    std::string order;
    std::thread waiter([&] {
      const bool got = q.Acquire(kPatienceMs);
      {
        std::lock_guard<std::mutex> hold(lock);
        order += got ? "w" : "-";
      }
      if (got) q.Release();
    });
    WaitForWaiters(q, 1);
    q.Release();
    // The late writer, at the moment of the release. It may have the turn only when the
    // waiter already had its own (it ran at once and was done).
    bool passed = q.Acquire(0);
    if (passed) {
      {
        std::lock_guard<std::mutex> hold(lock);
        passed = order.empty();
      }
      q.Release();
    }
    if (q.Acquire(kPatienceMs)) {
      {
        std::lock_guard<std::mutex> hold(lock);
        order += "l";
      }
      q.Release();
    }
    waiter.join();
    ASSERT_FALSE(passed) << "round " << round;
    ASSERT_EQ(order, "wl") << "round " << round;
  }
}

// Every hand-over along a queue of waiters takes a moment, not a time-out.
TEST(WriterQueueHandOver, EachWaiterGetsTheTurnPromptlyInArrivalOrder) {
  WriterQueue q;
  ASSERT_TRUE(q.Acquire(0));
  std::mutex lock;
  std::string order;
  std::vector<std::thread> writers;
  for (int i = 0; i < 6; ++i) {
    writers.emplace_back([&, i] {
      const bool got = q.Acquire(kPatienceMs);
      {
        std::lock_guard<std::mutex> hold(lock);
        order += got ? static_cast<char>('a' + i) : '-';
      }
      if (got) q.Release();
    });
    WaitForWaiters(q, i + 1);
  }
  const Clock::time_point start = Clock::now();
  q.Release();
  for (auto& t : writers) t.join();
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), kHandOverBound.count());
  EXPECT_EQ(order, "abcdef");
}

// The first in line gives up while the holder still holds; when the holder lets go, the
// one behind gets the turn at once.
TEST(WriterQueueHandOver, WaiterBehindOneThatGaveUpIsServedPromptly) {
  WriterQueue q;
  ASSERT_TRUE(q.Acquire(0));
  std::thread first([&] { EXPECT_FALSE(q.Acquire(100)); });
  WaitForWaiters(q, 1);
  std::atomic<bool> got{false};
  Clock::time_point gotAt;
  std::thread second([&] {
    got = q.Acquire(kPatienceMs);
    gotAt = Clock::now();
    if (got) q.Release();
  });
  WaitForWaiters(q, 2);
  first.join();
  const Clock::time_point released = Clock::now();
  q.Release();
  second.join();
  EXPECT_TRUE(got);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(gotAt - released).count(), kHandOverBound.count());
}

}  // namespace
