#include "net/cclient.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "core/boundedtext.h"
#include "core/codes.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "net/lineobserver.h"
#include "net/transport.h"
#include "settings/clog.h"

namespace {

// The schedule, in heartbeat ticks. A remembered datagram starts its count
// at 3 and is repeated when the count reaches a multiple of 5 up to 45, so
// the repeats fall 3, 8 ... 43 ticks after the send and the line gives up at
// tick 49. Keep-alives are due 20 ticks after the last one received and
// every 5 ticks after that; a line that hears none for 66 ticks gives up.
constexpr int kFirstRepeatCount = 3;
constexpr int kRepeatEvery = 5;
constexpr int kLastRepeatCount = 45;
constexpr int kRepeatTimeOut = 50;
constexpr int kFirstKeepAlive = 20;
constexpr int kKeepAliveEvery = 5;
constexpr int kLastKeepAlive = 60;
constexpr int kSilenceTimeOut = 65;
constexpr int kReleaseTicks = 5;

// The user name stands in the request only when it says something; a
// shorter one is replaced by the local address, and so is a short name reply.
constexpr std::size_t kShortestName = 3;

bool IsDue(int count, int first, int every, int last) {
  return count >= first && count <= last && (count - first) % every == 0;
}

struct Transition {
  uint32_t code;
  LineState state;
};

// The (code, state) pairs a line accepts from its peer; anything else is
// dropped without a trace. A repeated request draws the current state's
// code again and a repeated answer another confirmation, which is what
// covers lost datagrams.
constexpr std::array kTransitions{
    Transition{code::kCallRequest, LineState::kRinging},
    Transition{code::kCallRequest, LineState::kAnswered},
    Transition{code::kRinging, LineState::kCalling},
    Transition{code::kAnswer, LineState::kCalling},
    Transition{code::kAnswer, LineState::kRinging},
    Transition{code::kAnswer, LineState::kConnected},
    Transition{code::kAnswerConfirmation, LineState::kRinging},
    Transition{code::kAnswerConfirmation, LineState::kAnswered},
    Transition{code::kHangUp, LineState::kRinging},
    Transition{code::kHangUp, LineState::kConnected},
    Transition{code::kHangUp, LineState::kHangUpSent},
    Transition{code::kHangUp, LineState::kHangUpAcknowledged},
};

bool InTable(uint32_t c, LineState state) {
  return std::any_of(kTransitions.begin(), kTransitions.end(),
                     [&](const Transition& t) { return t.code == c && t.state == state; });
}

bool IsClosing(LineState state) {
  return state == LineState::kHangUpSent || state == LineState::kHangUpAcknowledged;
}

}  // namespace

CClient::CClient(int lineNumber, CallSettings settings, CLog& log, LineObserver& observer,
                 const net::CUdpSocket& socket, WallClock clock)
    : lineNumber_(lineNumber),
      settings_(settings),
      log_(log),
      observer_(observer),
      socket_(socket),
      clock_(std::move(clock)) {
  Reset();
}

void CClient::Reset() {
  // State first: the audio paths stop at the state before the peer goes.
  state_ = LineState::kIdle;
  peerAddress_.Store({});
  incoming_ = false;
  direction_ = 0;
  shownState_ = LineState::kIdle;
  silenceTicks_ = 0;
  keepAliveTrip_.Reset();
  probeTrip_.Reset();
  retransmitTicks_ = 0;
  releaseTicks_ = 0;
  startTime_ = 0;
  elapsed_ = 0;
  lastCode_ = 0;
  lastText_.fill('\0');
  peerName_.fill('\0');
  peerAddressText_.fill('\0');
}

void CClient::TakePeer(const NetAddress& address, std::string_view name, uint32_t direction) {
  CopyToField(peerAddressText_, address.Text());
  CopyToField(peerName_, name);
  direction_ = direction;
  startTime_ = clock_();
  peerAddress_.Store(address);
}

void CClient::CallOut(const NetAddress& address, std::string_view name) {
  if (address.IsNone()) return;
  if (!IsFree()) {
    observer_.LineStarted(*this);
    return;
  }
  Reset();
  TakePeer(address, name, code::kOutgoing);
  SendAndRemember(LineState::kCalling, RequestText());
  ShowPeerName();
  observer_.LineStarted(*this);
}

void CClient::Incoming(const NetAddress& address, std::string_view name) {
  if (address.IsNone()) return;
  if (!IsFree()) {
    // Only the line's own peer repeats a request here; another caller has
    // no business with this line.
    if (address == PeerAddress()) ReceiveCode(code::kCallRequest);
    return;
  }
  Reset();
  incoming_ = true;
  TakePeer(address, name, code::kIncoming);
  ShowPeerName();
  observer_.LineStarted(*this);
  Send(code::kNameRequest, {});
  // Not remembered: the caller repeats its request until this arrives, and
  // each repetition draws it again.
  Send(code::kRinging, {});
  state_ = LineState::kRinging;
}

void CClient::SetPeerName(const NetAddress& address, std::string_view text) {
  if (address.IsNone() || address != PeerAddress()) return;
  CopyToField(peerName_, text);
  if (PeerName().size() < kShortestName) CopyToField(peerName_, PeerAddressText());
  ShowPeerName();
}

bool CClient::CanAnswer() const {
  return State() == LineState::kRinging && direction_ == code::kIncoming;
}

bool CClient::CanHangUp() const {
  return State() != LineState::kIdle && releaseTicks_ == 0;
}

void CClient::Answer() {
  if (CanAnswer()) SendAndRemember(LineState::kAnswered, {});
}

void CClient::HangUp() {
  if (!CanHangUp()) return;
  SendAndRemember(LineState::kHangUpSent, {});
  StartRelease();
}

bool CClient::Accepts(uint32_t c) const {
  if (releaseTicks_ > 0) return c == code::kHangUp || c == code::kHangUpAck;
  // Only this user's answer brings up a call that rings here; a caller that
  // answered or confirmed by itself would open the microphone unasked.
  if (IsIncoming() && State() == LineState::kRinging &&
      (c == code::kAnswer || c == code::kAnswerConfirmation))
    return false;
  return InTable(c, State());
}

void CClient::ReceiveCode(uint32_t c) {
  if (c == code::kKeepAlive) {
    silenceTicks_ = 0;
    if (direction_ == code::kIncoming) {
      Send(code::kKeepAlive, {});
    } else {
      keepAliveTrip_.Answered(CRoundTrip::SteadySeconds());
    }
    return;
  }
  if (!Accepts(c)) return;
  retransmitTicks_ = 0;
  switch (c) {
    case code::kCallRequest:
      Send(WireCode(State()), {});
      Log("Empty protocol");
      break;
    case code::kRinging:
      state_ = LineState::kRinging;
      Log("Local connection request");
      break;
    case code::kAnswer: {
      const bool already = State() == LineState::kConnected;
      state_ = LineState::kConnected;
      Send(code::kAnswerConfirmation, {});
      Log("Remote answered");
      if (!already) observer_.Connected(*this);
      break;
    }
    case code::kAnswerConfirmation:
      state_ = LineState::kConnected;
      Log("Local answered");
      observer_.Connected(*this);
      break;
    case code::kHangUp:
      state_ = LineState::kHangUpAcknowledged;
      Send(code::kHangUpAck, {});
      StartRelease();
      Log("Remote closed connection");
      break;
    case code::kHangUpAck:
      state_ = LineState::kHangUpAcknowledged;
      Log("Local closed connection");
      break;
    default:
      break;
  }
}

void CClient::Tick(int64_t now) {
  if (direction_ == 0) return;
  if (State() != shownState_) ShowState(State());
  if (now > 0) {
    elapsed_ = now - startTime_;
    observer_.CallAge(*this, elapsed_);
  }
  if (releaseTicks_ > 0) {
    silenceTicks_ = 0;
    if (releaseTicks_ == 1) {
      Release();
      return;
    }
    --releaseTicks_;
  }
  CountSilence();
  Retransmit();
}

void CClient::ShowState(LineState state) {
  const LineState previous = shownState_;
  shownState_ = state;
  // An answer on its way changes nothing that shows.
  if (state == LineState::kAnswered || state == LineState::kIdle) return;
  observer_.StateShown(*this, state);
  if (state == LineState::kRinging) Log("Connection attempt");
  // Hang-up sent and then acknowledged is still one closed connection.
  if (IsClosing(state) && !IsClosing(previous)) Log("Connection closed");
}

void CClient::CountSilence() {
  ++silenceTicks_;
  if (direction_ == code::kOutgoing &&
      IsDue(silenceTicks_, kFirstKeepAlive, kKeepAliveEvery, kLastKeepAlive)) {
    Send(code::kKeepAlive, {});
    keepAliveTrip_.Sent(CRoundTrip::SteadySeconds());
  }
  if (silenceTicks_ > kSilenceTimeOut) TimeOut();
}

void CClient::Retransmit() {
  if (retransmitTicks_ < 1) return;
  const int count = retransmitTicks_++;
  if (IsDue(count, kRepeatEvery, kRepeatEvery, kLastRepeatCount)) Send(lastCode_, FieldText(lastText_));
  if (count > kRepeatTimeOut) TimeOut();
}

void CClient::TimeOut() {
  // One hang-up, not repeated: the peer is presumed gone.
  SendAndRemember(LineState::kHangUpSent, {});
  retransmitTicks_ = 0;
  silenceTicks_ = 0;
  StartRelease();
}

void CClient::StartRelease() {
  if (releaseTicks_ == 0) releaseTicks_ = kReleaseTicks;
}

void CClient::Release() {
  Reset();
  observer_.LineReleased(*this);
}

double CClient::RoundTripMs() const {
  return keepAliveTrip_.Known() ? keepAliveTrip_.Milliseconds() : probeTrip_.Milliseconds();
}

void CClient::Send(uint32_t c, std::string_view text) {
  SendBytes(datagram::BuildSignalling(c, text));
}

void CClient::SendValue(uint32_t c, int32_t value) {
  SendBytes(datagram::BuildNumber(c, value));
}

void CClient::SendBytes(const datagram::SignallingDatagram& bytes) {
  const NetAddress peer = PeerAddress();
  if (peer.IsNone()) return;
  socket_.Send(peer, bytes);
}

void CClient::SendAndRemember(LineState next, std::string_view text) {
  const uint32_t c = WireCode(next);
  Send(c, text);
  lastCode_ = c;
  CopyToField(lastText_, text);
  state_ = next;
  retransmitTicks_ = kFirstRepeatCount;
}

std::string CClient::RequestText() {
  std::array<char, kRequestBytes> request{};
  if (settings_.PasswordOn()) {
    CopyToField(request, std::string(kPasswordPrefix) + settings_.StoredPassword());
  } else {
    CopyToField(request, settings_.UserName().value_or(""));
    if (FieldText(request).size() < kShortestName) {
      const NetAddress own = sourceAddress_ ? sourceAddress_(PeerAddress()) : NetAddress();
      CopyToField(request, own.Text());
    }
  }
  return FieldText(request);
}

std::string CClient::PeerName() const {
  return FieldText(peerName_);
}

std::string CClient::PeerAddressText() const {
  return FieldText(peerAddressText_);
}

void CClient::ShowPeerName() {
  observer_.PeerNameChanged(*this);
}

void CClient::Log(std::string_view text) {
  log_.Write(text, PeerAddressText());
}
