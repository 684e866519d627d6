#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a call on the main thread, so that a kill
// quits in order, as the Quit command does. The handler itself only writes
// one byte to a pipe, which is all a signal handler may safely do.
class CSignalWatcher : public QObject {
  Q_OBJECT
 public:
  explicit CSignalWatcher(std::function<void()> onSignal);
  ~CSignalWatcher() override;

 private:
  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};
