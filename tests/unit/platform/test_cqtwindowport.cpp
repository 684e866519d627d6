#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>
#include <vector>

#include "platform/cqtwindowport.h"
#include "platform/messagehandler.h"

namespace {

class RecordingHandler : public MessageHandler {
 public:
  void HandleCode(uint32_t code, int64_t wParam) override { codes.emplace_back(code, wParam); }
  void HandleCommand(int command, TextRecord) override { codes.emplace_back(command, -2); }
  std::vector<std::pair<uint32_t, int64_t>> codes;
};

TEST(CQtWindowPortTest, PostsArriveInOrderOnTheMainThread) {
  RecordingHandler handler;
  CQtWindowPort port(handler);
  port.PostCode(9005, 1);
  port.PostCommand(4, TextRecord{0, ""});
  EXPECT_TRUE(handler.codes.empty());
  QCoreApplication::sendPostedEvents(&port);
  EXPECT_EQ(handler.codes, (std::vector<std::pair<uint32_t, int64_t>>{{9005, 1}, {4, -2}}));
}

TEST(CQtWindowPortTest, AFloodFromAnotherThreadIsCappedButTheMainThreadsOwnPostsGoIn) {
  RecordingHandler handler;
  CQtWindowPort port(handler);
  const int flood = CQtWindowPort::kMaxPendingFromOtherThreads + 500;
  std::thread receiver([&] {
    for (int i = 0; i < flood; ++i) port.PostCode(9005, i);
  });
  receiver.join();
  port.PostCode(8888, 0);  // the main thread's own: never dropped
  EXPECT_EQ(port.Dropped(), 500u);
  QCoreApplication::sendPostedEvents(&port);
  ASSERT_EQ(handler.codes.size(), static_cast<std::size_t>(CQtWindowPort::kMaxPendingFromOtherThreads) + 1);
  EXPECT_EQ(handler.codes.front(), (std::pair<uint32_t, int64_t>{9005, 0}));
  EXPECT_EQ(handler.codes.back(), (std::pair<uint32_t, int64_t>{8888, 0}));

  // Once the queue is drained, the other thread's posts go in again.
  handler.codes.clear();
  std::thread([&] { port.PostCode(9009, 7); }).join();
  QCoreApplication::sendPostedEvents(&port);
  EXPECT_EQ(handler.codes, (std::vector<std::pair<uint32_t, int64_t>>{{9009, 7}}));
}

}  // namespace
