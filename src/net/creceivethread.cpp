#include "net/creceivethread.h"

#include <algorithm>
#include <cerrno>
#include <span>

#include "core/codes.h"
#include "core/windowport.h"
#include "net/cudpsocket.h"
#include "net/datagramsink.h"

CReceiveThread::CReceiveThread(const net::CUdpSocket& socket, std::vector<NetAddress> ownAddresses,
                               const std::atomic<int>& quitting, DatagramSink& sink, WindowPort& window)
    : socket_(socket),
      ownAddresses_(std::move(ownAddresses)),
      quitting_(quitting),
      sink_(sink),
      window_(window) {}

CReceiveThread::~CReceiveThread() {
  // Only a thread that has ended (or was never left behind) may lose its
  // object; a left one has let go of the lock once it can be taken.
  if (!thread_.joinable()) {
    std::lock_guard lock(endMutex_);
    return;
  }
  stopRequested_.store(true);
  socket_.WakeReceivers();
  thread_.join();
}

void CReceiveThread::Start() {
  if (thread_.joinable() || !socket_.IsOpen()) return;
  ended_.store(false);
  stopRequested_.store(false);
  thread_ = std::thread([this] { Run(); });
}

bool CReceiveThread::Stop(std::chrono::milliseconds limit) {
  if (!thread_.joinable()) return ended_.load();
  stopRequested_.store(true);
  socket_.WakeReceivers();
  bool ended = false;
  {
    std::unique_lock lock(endMutex_);
    ended = endSignal_.wait_for(lock, limit, [this] { return ended_.load(); });
  }
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();
  }
  return ended;
}

void CReceiveThread::Run() {
  for (;;) {
    buffer_.fill(0);
    NetAddress from;
    const ssize_t received = socket_.Receive(buffer_, from);
    // After a wake-up the socket answers every receive at once, with 0 bytes
    // or an error, so the stop request has to be checked before anything else.
    if (stopRequested_.load()) break;
    if (received < 0) {
      if (quitting_.load() == 1 || errno == EBADF || errno == ENOTSOCK) break;
      continue;  // an error of one datagram (a refused port, a signal): the next one is waited for
    }
    if (quitting_.load() > 0) continue;
    const bool own = std::any_of(ownAddresses_.begin(), ownAddresses_.end(),
                                 [&](const NetAddress& address) { return address.SameHost(from); });
    if (own) continue;
    sink_.OnDatagram(std::span<const uint8_t>(buffer_.data(), static_cast<std::size_t>(received)), from);
  }
  window_.Post(WindowMessage::kCloseRequest, 0);
  // The last this thread touches of the object: Stop may return (and the
  // object go) as soon as the lock is free.
  std::lock_guard lock(endMutex_);
  ended_.store(true);
  endSignal_.notify_all();
}
