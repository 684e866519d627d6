#include "net/creceivethread.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <span>

#include "core/codes.h"
#include "core/windowport.h"
#include "net/cudpsocket.h"
#include "net/datagramsink.h"

CReceiveThread::CReceiveThread(const net::CUdpSocket& socket, std::vector<uint32_t> ownAddresses,
                               const std::atomic<int>& quitting, DatagramSink& sink, WindowPort& window)
    : socket_(socket), ownAddresses_(std::move(ownAddresses)), quitting_(quitting), sink_(sink), window_(window) {}

CReceiveThread::~CReceiveThread() {
  Stop();
}

void CReceiveThread::Start() {
  if (thread_.joinable() || !socket_.IsOpen()) return;
  ended_.store(false);
  stopRequested_.store(false);
  thread_ = std::thread([this] { Run(); });
}

void CReceiveThread::Stop() {
  if (!thread_.joinable()) return;
  stopRequested_.store(true);
  socket_.WakeReceivers();
  thread_.join();
}

void CReceiveThread::Run() {
  for (;;) {
    buffer_.fill(0);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received = ::recvfrom(socket_.Descriptor(), buffer_.data(), buffer_.size(), 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
    // After a wake-up the socket answers every receive at once, with 0 bytes
    // or an error, so the stop request has to be checked before anything else.
    if (stopRequested_.load()) break;
    if (received < 0) {
      if (quitting_.load() == 1 || errno == EBADF || errno == ENOTSOCK) break;
      std::this_thread::yield();
      continue;
    }
    if (quitting_.load() > 0) continue;
    if (std::find(ownAddresses_.begin(), ownAddresses_.end(), from.sin_addr.s_addr) != ownAddresses_.end())
      continue;
    sink_.OnDatagram(std::span<const uint8_t>(buffer_.data(), static_cast<std::size_t>(received)),
                     from.sin_addr.s_addr);
  }
  ended_.store(true);
  window_.Post(WindowMessage::kCloseRequest, 0);
}
