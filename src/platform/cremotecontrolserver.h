#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

// The running copy's end of the remote-control channel: takes one request
// per connection, hands it to the command handler on the main thread and
// sends back its answer.
class CRemoteControlServer : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<bool(int command, const std::string& text)>;
  static constexpr int kRequestTimeoutMs = 2000;

  CRemoteControlServer(const std::filesystem::path& configDir, Handler handler);
  ~CRemoteControlServer() override;

  // False, with the reason in error, when the channel could not be opened.
  bool Listen(std::string& error);

 private:
  void OnConnection();
  void Refuse(QLocalSocket& socket);

  std::filesystem::path configDir_;
  Handler handler_;
  QLocalServer* server_;
};
