#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "fakes/cfakeaudiobackend.h"

namespace {

// The audio objects' tests lean on the fake keeping the real streams'
// promise: once a stream is destroyed, no callback of it runs any more, even
// with the clock thread pumping. Under the sanitizers a late callback into
// the freed sink below is caught.
struct Sink {
  static void Take(int16_t* samples, std::size_t count, void* user) {
    auto& sink = *static_cast<Sink*>(user);
    for (std::size_t i = 0; i < count; ++i) sink.sum.fetch_add(samples[i]);
    sink.calls.fetch_add(1);
  }
  std::atomic<long> sum{0};
  std::atomic<int> calls{0};
};

TEST(CFakeAudioBackendTest, ClockDrivenStreamsStopCallingWhenDestroyed) {
  CFakeAudioBackend backend;
  backend.FeedInput(std::vector<int16_t>(160, 3));
  auto sink = std::make_unique<Sink>();
  std::string error;
  auto stream = backend.OpenInput({-1, 8000, 1, 80, 0.1}, &Sink::Take, sink.get(), error);
  ASSERT_TRUE(stream) << error;
  backend.StartClock(std::chrono::microseconds(200));
  while (sink->calls.load() < 20) std::this_thread::yield();
  stream.reset();
  EXPECT_EQ(sink->sum.load(), 160 * 3) << "fed samples, then silence";
  sink.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));  // room for a late callback to show itself
  backend.StopClock();
  EXPECT_EQ(backend.OpenStreams(), 0);
}

}  // namespace
