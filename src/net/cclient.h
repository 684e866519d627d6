#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/audioline.h"
#include "core/catomicaddress.h"
#include "core/linestate.h"
#include "core/roundtrip.h"
#include "net/datagramlayout.h"
#include "net/wallclock.h"
#include "settings/callsettings.h"

class CLog;
namespace net {
class CUdpSocket;
}
class LineObserver;

// One call line: at most one peer at a time and the call signalling with it.
// Reliability is the line's own: the last datagram that needs an answer is
// repeated on a schedule of heartbeat ticks, and the caller sends keep-alives
// so that both ends notice a peer that vanished.
//
// Everything runs on the main thread except what the audio paths need of the
// current line, which is marked below as safe from any thread.
class CClient : public AudioLine {
 public:
  static constexpr std::size_t kNameBytes = 200;
  static constexpr std::size_t kAddressTextBytes = 50;
  // The call request is built in a field of a name's size, so a password
  // behind its four-character prefix keeps at most 195 characters.
  static constexpr std::size_t kRequestBytes = kNameBytes;
  static constexpr std::string_view kPasswordPrefix = "LllL";
  static constexpr std::size_t kMaxPasswordChars = kRequestBytes - 1 - kPasswordPrefix.size();

  // The socket and the observer outlive the line.
  CClient(int lineNumber, CallSettings settings, CLog& log, LineObserver& observer,
          const net::CUdpSocket& socket, WallClock clock = SystemSeconds);
  CClient(const CClient&) = delete;
  CClient& operator=(const CClient&) = delete;

  // This side's address as the peer should see it, for a request without
  // a handle; none when there is none. Unset, such a request is empty.
  using SourceAddress = std::function<NetAddress(const NetAddress& peer)>;
  void SetSourceAddress(SourceAddress source) { sourceAddress_ = std::move(source); }

  // Calls the peer; on a line that already has a peer it only brings the
  // line's page to the front.
  void CallOut(const NetAddress& address, std::string_view name);
  // Takes a call request that passed access control; a repeated request of
  // the line's own peer is answered as a repetition.
  void Incoming(const NetAddress& address, std::string_view name);
  // The caller's name reply; ignored unless it comes from the line's peer.
  void SetPeerName(const NetAddress& address, std::string_view text);
  void Answer();
  void HangUp();
  bool CanAnswer() const;
  bool CanHangUp() const;
  // A signalling code from the line's peer.
  void ReceiveCode(uint32_t code);
  // Once per heartbeat second; now is 0 when the wall-clock second has not
  // changed since the previous tick, so the status goes out once a second.
  void Tick(int64_t now);

  // One signalling datagram to the peer; nothing while the line has none.
  void Send(uint32_t code, std::string_view text);
  void SendValue(uint32_t code, int32_t value) override;

  int LineNumber() const override { return lineNumber_; }
  uint32_t Direction() const { return direction_; }
  std::string PeerName() const;
  std::string PeerAddressText() const;
  int64_t Elapsed() const { return elapsed_; }

  // Safe from any thread: the audio paths read these while the main thread
  // runs the signalling.
  LineState State() const override { return state_.load(); }
  NetAddress PeerAddress() const override { return peerAddress_.Load(); }
  bool IsFree() const { return PeerAddress().IsNone(); }
  bool IsIncoming() const override { return incoming_.load(); }
  void AddRxBytes(uint64_t bytes) override { rxBytes_.fetch_add(bytes); }
  void AddTxBytes(uint64_t bytes) override { txBytes_.fetch_add(bytes); }
  // The status refresh reads and clears the counts in one step, so bytes
  // counted meanwhile go to the next refresh instead of being lost.
  uint64_t TakeRxBytes() { return rxBytes_.exchange(0); }
  uint64_t TakeTxBytes() { return txBytes_.exchange(0); }

  // The round trip to the peer, in ms (-1 while unknown): from the line's
  // keep-alives where this side sends them (the caller), else from the
  // presence probes of the client list. Main thread.
  double RoundTripMs() const;
  void NoteProbeSent(double now) { probeTrip_.Sent(now); }
  void NoteProbeAnswered(double now) { probeTrip_.Answered(now); }

 private:
  void Reset();
  void TakePeer(const NetAddress& address, std::string_view name, uint32_t direction);
  bool Accepts(uint32_t code) const;
  void SendBytes(const datagram::SignallingDatagram& bytes);
  void SendAndRemember(LineState next, std::string_view text);
  void StartRelease();
  void TimeOut();
  void Release();
  std::string RequestText();
  void ShowState(LineState state);
  void ShowPeerName();
  void CountSilence();
  void Retransmit();
  void Log(std::string_view text);

  const int lineNumber_;
  CallSettings settings_;
  CLog& log_;
  LineObserver& observer_;
  const net::CUdpSocket& socket_;
  const WallClock clock_;
  SourceAddress sourceAddress_;

  // The line's codec set (GSM, Speex at 8, 16 and 32 kHz, G.711) belongs
  // here, made and destroyed with the line, so that the audio paths can use
  // the current line's codecs; the Speex option setter goes with it.

  std::atomic<bool> incoming_{false};
  std::atomic<LineState> state_{LineState::kIdle};
  CAtomicAddress peerAddress_;
  uint32_t direction_ = 0;
  LineState shownState_ = LineState::kIdle;
  int silenceTicks_ = 0;
  CRoundTrip keepAliveTrip_;
  CRoundTrip probeTrip_;
  int retransmitTicks_ = 0;
  int releaseTicks_ = 0;
  int64_t startTime_ = 0;
  int64_t elapsed_ = 0;
  uint32_t lastCode_ = 0;
  std::array<char, datagram::kTextFieldBytes> lastText_{};
  std::array<char, kNameBytes> peerName_{};
  std::array<char, kAddressTextBytes> peerAddressText_{};
  std::atomic<uint64_t> rxBytes_{0};
  std::atomic<uint64_t> txBytes_{0};
};
