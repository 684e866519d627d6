#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <optional>
#include <thread>

#include "app/chostresolver.h"
#include "net/transport.h"

namespace {

using namespace std::chrono_literals;

void RunEventsUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

TEST(CHostResolverTest, ASlowResolverLeavesTheMainLoopTicking) {
  // A resolver that takes three seconds, as a dead name server would.
  CHostResolver resolver([](const std::string&) {
    std::this_thread::sleep_for(3s);
    return std::vector<NetAddress>{NetAddress::Parse("10.1.2.3")};
  });
  int ticks = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
  heartbeat.start(100);
  QElapsedTimer clock;
  clock.start();
  std::optional<std::vector<NetAddress>> found;
  qint64 answeredAfter = 0;
  int ticksBeforeAnswer = 0;
  resolver.Resolve("slow.example", [&](const std::vector<NetAddress>& addresses) {
    found = addresses;
    answeredAfter = clock.elapsed();
    ticksBeforeAnswer = ticks;
  });
  EXPECT_LT(clock.elapsed(), 100);  // Resolve itself does not wait
  RunEventsUntil([&] { return found.has_value(); }, 10000);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, std::vector<NetAddress>{NetAddress::Parse("10.1.2.3")});
  EXPECT_GE(answeredAfter, 3000);
  // About thirty ticks of 100 ms went by while the name was looked up.
  EXPECT_GE(ticksBeforeAnswer, 20);
}

TEST(CHostResolverTest, TheSystemResolverFindsLocalhost) {
  CHostResolver resolver;
  std::optional<std::vector<NetAddress>> found;
  resolver.Resolve("localhost", [&](const std::vector<NetAddress>& addresses) { found = addresses; });
  RunEventsUntil([&] { return found.has_value(); }, 5000);
  ASSERT_TRUE(found);
  ASSERT_FALSE(found->empty());
  EXPECT_EQ(found->front().Text(), "127.0.0.1");
}

TEST(CHostResolverTest, AnAnswerAfterTheResolverIsGoneIsDropped) {
  bool called = false;
  {
    CHostResolver resolver([](const std::string&) {
      std::this_thread::sleep_for(200ms);
      return std::vector<NetAddress>{NetAddress::Parse("10.0.0.1")};
    });
    resolver.Resolve("late.example", [&](const std::vector<NetAddress>&) { called = true; });
  }
  RunEventsUntil([] { return false; }, 600);
  EXPECT_FALSE(called);
}

}  // namespace
