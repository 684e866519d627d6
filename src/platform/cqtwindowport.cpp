#include "platform/cqtwindowport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <utility>

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

struct CQtWindowPort::MessageEvent : QEvent {
  enum class Kind { Code, Command, Signal };
  MessageEvent(Kind k, uint32_t c, int64_t w, TextRecord r)
      : QEvent(kMessageEvent), kind(k), code(c), wParam(w), record(std::move(r)) {}
  explicit MessageEvent(ReceivedSignal s)
      : QEvent(kMessageEvent), kind(Kind::Signal), code(s.code), wParam(0), signal(std::move(s)) {}
  bool fromOtherThread = false;
  Kind kind;
  uint32_t code;
  int64_t wParam;
  TextRecord record;
  ReceivedSignal signal;
};

namespace {

// Qt's event queue hands an event from the posting thread to the main thread
// under a lock that ThreadSanitizer cannot see into (Qt is not built with
// it), so the hand-over of each event is told to it here.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
void HandedOver(void* event) {
  __tsan_release(event);
}
void TakenOver(void* event) {
  __tsan_acquire(event);
}
#else
void HandedOver(void*) {}
void TakenOver(void*) {}
#endif

}  // namespace

void CQtWindowPort::Enqueue(MessageEvent* event) {
  // What other threads post comes from the network and the devices; while
  // the main thread is that far behind, more of it is dropped rather than
  // queued, so a flood can neither grow the queue nor delay what follows.
  // The main thread's own posts (quitting among them) always go in.
  if (QThread::currentThread() != thread()) {
    if (pendingFromOtherThreads_.fetch_add(1, std::memory_order_relaxed) >= kMaxPendingFromOtherThreads) {
      pendingFromOtherThreads_.fetch_sub(1, std::memory_order_relaxed);
      dropped_.fetch_add(1, std::memory_order_relaxed);
      delete event;
      return;
    }
    event->fromOtherThread = true;
  }
  HandedOver(event);
  QCoreApplication::postEvent(this, event);
}

CQtWindowPort::CQtWindowPort(MessageHandler& handler) : handler_(handler) {}

void CQtWindowPort::PostCode(uint32_t code, int64_t wParam) {
  Enqueue(new MessageEvent(MessageEvent::Kind::Code, code, wParam, TextRecord{}));
}

void CQtWindowPort::PostCommand(int command, TextRecord record) {
  Enqueue(new MessageEvent(MessageEvent::Kind::Command, static_cast<uint32_t>(command), 0,
                                   std::move(record)));
}

void CQtWindowPort::Post(ReceivedSignal signal) {
  Enqueue(new MessageEvent(std::move(signal)));
}

void CQtWindowPort::customEvent(QEvent* event) {
  // Before anything of the event is read, its type included.
  TakenOver(event);
  if (event->type() != kMessageEvent) return;
  auto* message = static_cast<MessageEvent*>(event);
  if (message->fromOtherThread) pendingFromOtherThreads_.fetch_sub(1, std::memory_order_relaxed);
  switch (message->kind) {
    case MessageEvent::Kind::Code:
      handler_.HandleCode(message->code, message->wParam);
      break;
    case MessageEvent::Kind::Command:
      handler_.HandleCommand(static_cast<int>(message->code), std::move(message->record));
      break;
    case MessageEvent::Kind::Signal:
      if (signals_) signals_->OnSignal(message->signal);
      break;
  }
}
