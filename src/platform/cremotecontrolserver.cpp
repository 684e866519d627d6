#include "platform/cremotecontrolserver.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include "platform/remotecontrolchannel.h"

CRemoteControlServer::CRemoteControlServer(const std::filesystem::path& configDir, Handler handler)
    : configDir_(configDir), handler_(std::move(handler)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &CRemoteControlServer::OnConnection);
}

CRemoteControlServer::~CRemoteControlServer() {
  server_->close();
}

bool CRemoteControlServer::Listen(std::string& error) {
  const QString name = remotecontrol::ServerName(configDir_);
  // Only one copy runs per config directory (the lock file says so), so a
  // socket left behind by a crashed copy is stale and may go.
  QLocalServer::removeServer(name);
  if (server_->listen(name)) return true;
  error = server_->errorString().toStdString();
  return false;
}

void CRemoteControlServer::Refuse(QLocalSocket& socket) {
  socket.readAll();
  socket.disconnect(this);
  socket.write("0", 1);
  socket.disconnectFromServer();
}

void CRemoteControlServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A request that does not come whole soon is not waited for.
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, &QLocalSocket::abort);
    deadline->start(kRequestTimeoutMs);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, deadline] {
      // A request is small; wait until it is whole, then answer once.
      const std::string pending = socket->peek(socket->bytesAvailable()).toStdString();
      if (remotecontrol::DeclaresTooMuch(pending)) {
        deadline->stop();
        Refuse(*socket);
        return;
      }
      const auto request = remotecontrol::DecodeRequest(pending);
      if (!request) return;
      deadline->stop();
      socket->readAll();
      socket->disconnect(this);
      // A command may show a box and wait for the user, while the client
      // goes away: the socket may be gone by the time there is an answer.
      const QPointer<QLocalSocket> alive(socket);
      const bool accepted = handler_ && handler_(request->command, request->text);
      if (!alive) return;
      socket->write(accepted ? "1" : "0", 1);
      socket->disconnectFromServer();
    });
  }
}
