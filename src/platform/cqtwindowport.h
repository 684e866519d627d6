#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "core/receivedsignal.h"
#include "core/windowport.h"
#include "platform/messagehandler.h"

// The message port on Qt's event queue: a post becomes a custom event for
// this object (Qt keeps the order of events posted to one receiver, from any
// thread), handled on the main thread. The receive thread's signals travel
// the same queue, in the same order.
class CQtWindowPort : public QObject, public WindowPort, public SignalPort {
  Q_OBJECT
 public:
  explicit CQtWindowPort(MessageHandler& handler);

  void PostCode(uint32_t code, int64_t wParam) override;
  void PostCommand(int command, TextRecord record) override;
  void Post(ReceivedSignal signal) override;
  using WindowPort::Post;
  // Signals are served only once there is a handler; set before the event
  // loop runs.
  void SetSignalHandler(SignalHandler* handler) { signals_ = handler; }

  // Posts from other threads waiting at most; beyond, they are dropped.
  static constexpr int kMaxPendingFromOtherThreads = 1000;
  uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 protected:
  void customEvent(QEvent* event) override;

 private:
  struct MessageEvent;
  void Enqueue(MessageEvent* event);

  MessageHandler& handler_;
  SignalHandler* signals_ = nullptr;
  std::atomic<int> pendingFromOtherThreads_{0};
  std::atomic<uint64_t> dropped_{0};
};
