#include "platform/cqtwindowport.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct MessageEvent : QEvent {
  enum class Kind { Code, Record, Command };
  MessageEvent(Kind k, uint32_t c, int64_t w, Record r)
      : QEvent(kMessageEvent), kind(k), code(c), wParam(w), record(std::move(r)) {}
  Kind kind;
  uint32_t code;
  int64_t wParam;
  Record record;
};

}  // namespace

CQtWindowPort::CQtWindowPort(MessageHandler& handler) : handler_(handler) {}

void CQtWindowPort::PostCode(uint32_t code, int64_t wParam) {
  QCoreApplication::postEvent(this, new MessageEvent(MessageEvent::Kind::Code, code, wParam, Record{}));
}

void CQtWindowPort::PostRecord(uint32_t code, Record record) {
  QCoreApplication::postEvent(this, new MessageEvent(MessageEvent::Kind::Record, code, 0, std::move(record)));
}

void CQtWindowPort::PostCommand(int command, TextRecord record) {
  QCoreApplication::postEvent(this, new MessageEvent(MessageEvent::Kind::Command,
                                                     static_cast<uint32_t>(command), 0, std::move(record)));
}

void CQtWindowPort::SendCode(uint32_t code, int64_t wParam) {
  handler_.HandleCode(code, wParam);
}

void CQtWindowPort::SendRecord(uint32_t code, Record record) {
  handler_.HandleRecord(code, std::move(record));
}

void CQtWindowPort::customEvent(QEvent* event) {
  if (event->type() != kMessageEvent) return;
  auto* message = static_cast<MessageEvent*>(event);
  switch (message->kind) {
    case MessageEvent::Kind::Code:
      handler_.HandleCode(message->code, message->wParam);
      break;
    case MessageEvent::Kind::Record:
      handler_.HandleRecord(message->code, std::move(message->record));
      break;
    case MessageEvent::Kind::Command:
      handler_.HandleCommand(static_cast<int>(message->code),
                             std::get<TextRecord>(std::move(message->record)));
      break;
  }
}
