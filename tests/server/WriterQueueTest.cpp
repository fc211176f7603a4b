// The writer queue: one holder at a time, turns in arrival order, waiters that give up
// leave without holding anyone up, one queue per database file.
#include "server/WriterQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/StoreErrors.h"

namespace {

using store::WriterQueue;
using store::WriteTurn;

// Starts waiters one by one, each only after the one before is in the queue, so that
// the order of arrival is known; each records its turn and gives it back.
TEST(WriterQueue, TurnsComeInArrivalOrder) {
  WriterQueue q;
  ASSERT_TRUE(q.Acquire(1000));
  std::mutex lock;
  std::string order;
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&, i] {
      WriteTurn turn(q, 5000);
      std::lock_guard<std::mutex> hold(lock);
      order += static_cast<char>('a' + i);
    });
    while (q.Waiting() < i + 1) std::this_thread::yield();
  }
  q.Release();
  for (auto& t : writers) t.join();
  EXPECT_EQ(order, "abcdefgh");
  EXPECT_EQ(q.Waiting(), 0);
}

TEST(WriterQueue, OneHolderAtATime) {
  WriterQueue q;
  std::atomic<int> inside{0}, most{0};
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i)
    writers.emplace_back([&] {
      for (int k = 0; k < 200; ++k) {
        WriteTurn turn(q, 5000);
        const int now = ++inside;
        if (now > most) most = now;
        --inside;
      }
    });
  for (auto& t : writers) t.join();
  EXPECT_EQ(most, 1);
}

// The first in line gives up; the one behind it gets the turn as soon as it is free.
TEST(WriterQueue, WaiterThatGivesUpLeavesTheQueue) {
  WriterQueue q;
  ASSERT_TRUE(q.Acquire(1000));
  std::atomic<bool> firstGot{true};
  std::thread first([&] { firstGot = q.Acquire(50); });
  while (q.Waiting() < 1) std::this_thread::yield();
  std::atomic<bool> secondGot{false};
  std::thread second([&] {
    secondGot = q.Acquire(5000);
    if (secondGot) q.Release();
  });
  first.join();
  EXPECT_FALSE(firstGot);
  EXPECT_EQ(q.Waiting(), 1);
  q.Release();
  second.join();
  EXPECT_TRUE(secondGot);
  EXPECT_TRUE(q.Acquire(0));  // nothing left held
  q.Release();
}

TEST(WriterQueue, TurnNotComingInTimeIsDatabaseLocked) {
  WriterQueue q;
  WriteTurn holder(q, 1000);
  try {
    WriteTurn late(q, 20);
    FAIL() << "two turns at once";
  } catch (const ESqlError& e) {
    EXPECT_EQ(e.Message(), "database is locked");
  }
  holder.Release();
  WriteTurn next(q, 0);  // the late one left nothing behind
}

TEST(WriterQueue, OneQueuePerFile) {
  const std::filesystem::path dir = std::filesystem::current_path();
  const auto a = WriterQueue::ForFile((dir / "PosStore.db").string());
  const auto same = WriterQueue::ForFile((dir / "." / "PosStore.db").string());
  const auto other = WriterQueue::ForFile((dir / "PosMain.db").string());
  EXPECT_EQ(a.get(), same.get());
  EXPECT_NE(a.get(), other.get());
}

}  // namespace
