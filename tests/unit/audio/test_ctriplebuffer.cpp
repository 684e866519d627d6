#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "audio/ctriplebuffer.h"

namespace {

struct Triple {
  long a = 0, b = 0, c = 0;
};

TEST(CTripleBufferTest, TheReaderSeesTheNewestPublishedValue) {
  CTripleBuffer<Triple> buffer(Triple{1, 1, 1});
  EXPECT_EQ(buffer.Front().a, 1);
  buffer.Back() = Triple{2, 2, 2};
  EXPECT_EQ(buffer.Front().a, 1);  // not published yet
  buffer.Publish();
  buffer.Back() = Triple{3, 3, 3};
  buffer.Publish();
  EXPECT_EQ(buffer.Front().a, 3);  // two publications between reads: the later one
  EXPECT_EQ(buffer.Front().a, 3);  // nothing new: the same value again
  buffer.Back() = Triple{4, 4, 4};
  buffer.Publish();
  EXPECT_EQ(buffer.Front().c, 4);
}

// A writer publishing as fast as it can and a reader reading as fast as it
// can: every value read is whole and none is older than one read before.
TEST(CTripleBufferTest, ValuesCrossThreadsWholeAndInOrder) {
  CTripleBuffer<Triple> buffer(Triple{});
  constexpr long kLast = 200000;
  std::thread writer([&] {
    for (long n = 1; n <= kLast; ++n) {
      buffer.Back() = Triple{n, 2 * n, 3 * n};
      buffer.Publish();
    }
  });
  long previous = 0;
  while (previous < kLast) {
    const Triple& t = buffer.Front();
    ASSERT_EQ(t.b, 2 * t.a);
    ASSERT_EQ(t.c, 3 * t.a);
    ASSERT_GE(t.a, previous);
    previous = t.a;
  }
  writer.join();
}

}  // namespace
