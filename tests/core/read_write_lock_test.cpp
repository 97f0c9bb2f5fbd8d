#include "core/read_write_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace orvande {
namespace {

using namespace std::chrono_literals;

// Waits (bounded) until the lock's counters satisfy pred.
template <typename Pred>
bool WaitFor(const ReadWriteLock& lock, Pred pred) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (pred(lock.Snapshot())) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

bool WaitUntil(const std::atomic<int>& value, int expected) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (value.load() == expected) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

TEST(ReadWriteLockTest, ReadersFirstLetsAReaderPastAWaitingWriter) {
  ReadWriteLock lock(true);
  lock.LockRead();
  std::atomic<int> writerIn{0};
  std::thread writer([&] {
    lock.LockWrite();
    writerIn = 1;
    lock.Unlock();
  });
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingWriters == 1; }));

  std::atomic<int> readerIn{0};
  std::thread reader([&] {
    lock.LockRead();
    readerIn = 1;
  });
  EXPECT_TRUE(WaitUntil(readerIn, 1));
  EXPECT_EQ(writerIn.load(), 0);
  reader.join();
  lock.Unlock();  // the late reader's hold
  EXPECT_EQ(writerIn.load(), 0);
  lock.Unlock();  // the first reader's: now the writer goes
  writer.join();
  EXPECT_EQ(writerIn.load(), 1);
  EXPECT_EQ(lock.Snapshot().active, 0);
}

TEST(ReadWriteLockTest, WithoutReadersFirstAWaitingWriterHoldsReadersBack) {
  ReadWriteLock lock(false);
  lock.LockRead();
  std::atomic<int> order{0};
  std::atomic<int> writerTurn{0};
  std::atomic<int> readerTurn{0};
  std::thread writer([&] {
    lock.LockWrite();
    writerTurn = ++order;
    lock.Unlock();
  });
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingWriters == 1; }));
  std::thread reader([&] {
    lock.LockRead();
    readerTurn = ++order;
    lock.Unlock();
  });
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingReaders == 1; }));
  lock.Unlock();
  writer.join();
  reader.join();
  EXPECT_EQ(writerTurn.load(), 1);
  EXPECT_EQ(readerTurn.load(), 2);
}

TEST(ReadWriteLockTest, LastReaderReleasesExactlyOneOfTwoWriters) {
  ReadWriteLock lock(true);
  lock.LockRead();
  lock.LockRead();
  std::atomic<int> writersIn{0};
  std::atomic<int> release{0};
  auto writerBody = [&] {
    lock.LockWrite();
    ++writersIn;
    while (release.load() == 0) std::this_thread::sleep_for(1ms);
    --release;
    lock.Unlock();
  };
  std::thread w1(writerBody);
  std::thread w2(writerBody);
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingWriters == 2; }));

  lock.Unlock();  // not the last reader: nobody moves
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(writersIn.load(), 0);
  lock.Unlock();  // the last one
  ASSERT_TRUE(WaitUntil(writersIn, 1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(writersIn.load(), 1);
  const ReadWriteLock::State state = lock.Snapshot();
  EXPECT_EQ(state.active, -1);
  EXPECT_EQ(state.waitingWriters, 1);

  release = 1;  // the first writer leaves and hands over to the second
  ASSERT_TRUE(WaitUntil(writersIn, 2));
  release = 1;
  w1.join();
  w2.join();
  EXPECT_EQ(lock.Snapshot().active, 0);
}

TEST(ReadWriteLockTest, WriterLeavingWakesEveryWaitingReader) {
  ReadWriteLock lock(true);
  lock.LockWrite();
  std::atomic<int> readersIn{0};
  std::atomic<int> go{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 3; ++i) {
    readers.emplace_back([&] {
      lock.LockRead();
      ++readersIn;
      while (go.load() == 0) std::this_thread::sleep_for(1ms);
      lock.Unlock();
    });
  }
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingReaders == 3; }));
  lock.Unlock();
  // All three hold the lock together.
  EXPECT_TRUE(WaitUntil(readersIn, 3));
  EXPECT_EQ(lock.Snapshot().active, 3);
  go = 1;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(lock.Snapshot().active, 0);
}

TEST(ReadWriteLockTest, StrayUnlockDoesNotOpenTheLock) {
  ReadWriteLock lock(true);
  lock.Unlock();
  EXPECT_EQ(lock.Snapshot().active, 0);
  lock.LockWrite();
  std::atomic<int> readerIn{0};
  std::thread reader([&] {
    lock.LockRead();
    readerIn = 1;
    lock.Unlock();
  });
  ASSERT_TRUE(WaitFor(lock, [](auto s) { return s.waitingReaders == 1; }));
  EXPECT_EQ(readerIn.load(), 0);
  lock.Unlock();
  reader.join();
  EXPECT_EQ(readerIn.load(), 1);
}

void Stress(bool readersFirst) {
  ReadWriteLock lock(readersFirst);
  std::atomic<int> readersInside{0};
  std::atomic<int> writersInside{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> finished{0};
  constexpr int kReaders = 6;
  constexpr int kWriters = 3;
  constexpr int kRounds = 2000;
  int64_t counter = 0;  // guarded by the lock's write side
  std::vector<std::thread> threads;
  for (int i = 0; i < kReaders; ++i) {
    threads.emplace_back([&] {
      for (int r = 0; r < kRounds; ++r) {
        ReadLockGuard guard(lock);
        ++readersInside;
        if (writersInside.load() != 0) ++overlaps;
        volatile int64_t seen = counter;
        (void)seen;
        --readersInside;
      }
      ++finished;
    });
  }
  for (int i = 0; i < kWriters; ++i) {
    threads.emplace_back([&] {
      for (int r = 0; r < kRounds; ++r) {
        WriteLockGuard guard(lock);
        if (++writersInside != 1 || readersInside.load() != 0) ++overlaps;
        ++counter;
        --writersInside;
      }
      ++finished;
    });
  }
  if (!WaitUntil(finished, kReaders + kWriters)) {
    // A deadlock: the threads can't be joined, so end the run loudly.
    std::fprintf(stderr, "ReadWriteLock stress run deadlocked\n");
    std::abort();
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(counter, int64_t{kWriters} * kRounds);
  const ReadWriteLock::State state = lock.Snapshot();
  EXPECT_EQ(state.active, 0);
  EXPECT_EQ(state.waitingReaders, 0);
  EXPECT_EQ(state.waitingWriters, 0);
}

TEST(ReadWriteLockTest, StressReadersFirst) {
  Stress(true);
}
TEST(ReadWriteLockTest, StressWritersFirst) {
  Stress(false);
}

}  // namespace
}  // namespace orvande
