#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "core/netaddress.h"

class DatagramSink;
namespace net {
class CUdpSocket;
}
class WindowPort;

// The thread that blocks on the socket and hands every datagram to the sink,
// dropping those that arrive while the program quits and those the program
// sent to itself. When it ends it posts the close request.
//
// Where a datagram goes from here:
//
//   receive thread                                   main thread
//   CReceiveThread --> CDatagramRouter --signal--> CQtWindowPort --> CSignalling
//     (socket)          (reads the code)  (queued)                  presence, lines,
//                            |                                      name, call events
//                            | audio, through the receiver slot
//                            v
//                       CAudioPaths --> CReceivePath --> CSpoolSp
//                                        (check, decode)    |
//   playback thread                                          v
//   CPulseStream --> CDeviceSp --> CReceivePath::PlayFrame <-- spool, filters, tap
//   (the server asks for a frame)        --> loudspeaker
class CReceiveThread {
 public:
  static constexpr std::size_t kBufferBytes = 4096;
  static constexpr std::chrono::milliseconds kStopLimit{1000};

  // The socket outlives the thread.
  // ownAddresses: where this program's own datagrams come from.
  CReceiveThread(const net::CUdpSocket& socket, std::vector<NetAddress> ownAddresses,
                 const std::atomic<int>& quitting, DatagramSink& sink, WindowPort& window);
  ~CReceiveThread();
  CReceiveThread(const CReceiveThread&) = delete;
  CReceiveThread& operator=(const CReceiveThread&) = delete;

  void Start();
  // Wakes the blocked receive and waits for the thread to end, for at most
  // limit. The socket stays open: closing it before the thread is gone
  // could hand its number to another file while the thread still reads
  // from it. False when the thread did not end in time: it is then left to
  // run, and this object, the socket, the sink and the window must outlive
  // it (the program ends at once instead of tearing them down).
  bool Stop(std::chrono::milliseconds limit = kStopLimit);
  bool Ended() const { return ended_.load(); }

 private:
  void Run();

  const net::CUdpSocket& socket_;
  const std::vector<NetAddress> ownAddresses_;
  const std::atomic<int>& quitting_;
  DatagramSink& sink_;
  WindowPort& window_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> ended_{true};
  std::mutex endMutex_;
  std::condition_variable endSignal_;
  std::array<uint8_t, kBufferBytes> buffer_{};
  std::thread thread_;
};
