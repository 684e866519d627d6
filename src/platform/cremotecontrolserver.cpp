#include "platform/cremotecontrolserver.h"

#include <QLocalServer>
#include <QLocalSocket>

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

void CRemoteControlServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // A request is small; wait until it is whole, then answer once.
      const QByteArray pending = socket->peek(socket->bytesAvailable());
      const auto request = remotecontrol::DecodeRequest(pending.toStdString());
      if (!request) {
        if (pending.size() > static_cast<qsizetype>(remotecontrol::kHeaderBytes + 0xFFFF)) socket->abort();
        return;
      }
      socket->readAll();
      socket->disconnect(this);
      const bool accepted = handler_ && handler_(request->command, request->text);
      socket->write(accepted ? "1" : "0", 1);
      socket->disconnectFromServer();
    });
  }
}
