#include "platform/remotecontrolchannel.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace remotecontrol {
namespace {

constexpr int kTimeoutMs = 5000;

}  // namespace

QString ServerName(const std::filesystem::path& configDir) {
  std::error_code ec;
  auto canonical = std::filesystem::weakly_canonical(configDir, ec);
  if (ec) canonical = std::filesystem::absolute(configDir, ec);
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(canonical.string()), QCryptographicHash::Sha256);
  const QString name = QString("ondrel-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest.toHex().left(16)));
  const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
  // A socket's path has room for about a hundred bytes.
  constexpr qsizetype kMaxSocketPath = 100;
  if (!runtime.isEmpty() && QDir(runtime).exists()) {
    const QString path = QDir(runtime).filePath(name);
    if (path.toLocal8Bit().size() <= kMaxSocketPath) return path;
  }
  return name;
}

bool DeclaresTooMuch(const std::string& bytes) {
  if (bytes.size() < kHeaderBytes) return false;
  const std::size_t length =
      static_cast<unsigned char>(bytes[4]) | static_cast<std::size_t>(static_cast<unsigned char>(bytes[5])) << 8;
  return length > kMaxTextChars;
}

std::string EncodeRequest(int32_t command, const std::string& text) {
  const std::string cut = text.substr(0, std::min(text.size(), kMaxTextChars));
  std::string bytes(kHeaderBytes, '\0');
  const auto c = static_cast<uint32_t>(command);
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>((c >> (8 * i)) & 0xFF);
  bytes[4] = static_cast<char>(cut.size() & 0xFF);
  bytes[5] = static_cast<char>((cut.size() >> 8) & 0xFF);
  return bytes + cut;
}

std::optional<Request> DecodeRequest(const std::string& bytes) {
  if (bytes.size() < kHeaderBytes) return std::nullopt;
  const auto byte = [&](std::size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
  };
  const uint32_t command = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
  const std::size_t length = byte(4) | byte(5) << 8;
  if (bytes.size() < kHeaderBytes + length) return std::nullopt;
  Request request;
  request.command = static_cast<int32_t>(command);
  request.text = bytes.substr(kHeaderBytes, std::min(length, kMaxTextChars));
  return request;
}

std::optional<bool> SendCommand(const std::filesystem::path& configDir, int32_t command,
                                const std::string& text) {
  QLocalSocket socket;
  socket.connectToServer(ServerName(configDir));
  if (!socket.waitForConnected(kTimeoutMs)) return std::nullopt;
  const std::string request = EncodeRequest(command, text);
  socket.write(request.data(), static_cast<qint64>(request.size()));
  if (!socket.waitForBytesWritten(kTimeoutMs)) return std::nullopt;
  // Some commands answer only once the user has read their box.
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(-1)) return std::nullopt;
  }
  char answer = 0;
  socket.read(&answer, 1);
  return answer == '1';
}

}  // namespace remotecontrol
