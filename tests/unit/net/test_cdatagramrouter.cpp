#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/codes.h"
#include "core/windowmessage.h"
#include "core/receivedsignal.h"
#include "net/audioreceiver.h"
#include "net/cdatagramrouter.h"
#include "net/datagramwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

const NetAddress kSender = NetAddress::Parse("10.0.0.200");

// The signals posted to the main thread, each as text, so a table row reads like the signal.
class RecordingSignals : public SignalPort {
 public:
  void Post(ReceivedSignal signal) override {
    posted.push_back(std::to_string(signal.code) + " " + signal.from.Text() + " '" + signal.text + "' " +
                     std::to_string(signal.number));
  }
  std::vector<std::string> posted;
};

std::vector<std::string> Route(const Bytes& datagram) {
  RecordingSignals signals;
  CDatagramRouter router(signals);
  router.OnDatagram(datagram, kSender);
  return signals.posted;
}

template <typename Array>
Bytes AsBytes(const Array& a) {
  return Bytes(a.begin(), a.end());
}
Bytes Short(uint32_t c) {
  return AsBytes(datagram::BuildShort(c));
}
Bytes Signalling(uint32_t c, const std::string& text = "") {
  return AsBytes(datagram::BuildSignalling(c, text));
}
Bytes Gsm() {
  datagram::AudioDatagram out{};
  const Bytes frame(33, 0x33);
  return Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(
                                              datagram::BuildAudio(SoundType{code::kSoundGsm}, frame, out)));
}

// What a signal of the sender looks like when posted.
std::string Posted(uint32_t c, const std::string& text = "", int32_t number = 0) {
  return std::to_string(c) + " 10.0.0.200 '" + text + "' " + std::to_string(number);
}

struct RouteCase {
  const char* name;
  Bytes datagram;
  std::vector<std::string> posted;
};

class DatagramClassification : public testing::TestWithParam<RouteCase> {};

TEST_P(DatagramClassification, PostsWhatTheCodeCallsFor) {
  EXPECT_EQ(Route(GetParam().datagram), GetParam().posted);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DatagramClassification,
    testing::Values(
        RouteCase{"PresenceQuery", Short(code::kPresenceQuery), {Posted(code::kPresenceQuery)}},
        RouteCase{"PresenceReply", Short(code::kPresenceReply), {Posted(code::kPresenceReply)}},
        RouteCase{"OfflineNotice", Short(code::kOfflineNotice), {Posted(code::kOfflineNotice)}},
        RouteCase{
            "CallRequest", Signalling(code::kCallRequest, "Alice"), {Posted(code::kCallRequest, "Alice")}},
        RouteCase{"CallRequestEmptyText", Signalling(code::kCallRequest), {Posted(code::kCallRequest)}},
        RouteCase{"CallRequestWithoutTextArea", Short(code::kCallRequest), {Posted(code::kCallRequest)}},
        RouteCase{"Ringing", Signalling(code::kRinging), {Posted(code::kRinging)}},
        RouteCase{"Answer", Signalling(code::kAnswer), {Posted(code::kAnswer)}},
        RouteCase{"UnusedLineCode", Signalling(9026), {Posted(9026)}},
        RouteCase{
            "AnswerConfirmation", Signalling(code::kAnswerConfirmation), {Posted(code::kAnswerConfirmation)}},
        RouteCase{"HangUp", Signalling(code::kHangUp), {Posted(code::kHangUp)}},
        RouteCase{"HangUpAck", Signalling(code::kHangUpAck), {Posted(code::kHangUpAck)}},
        RouteCase{"KeepAlive", Signalling(code::kKeepAlive), {Posted(code::kKeepAlive)}},
        RouteCase{"NameRequest", Signalling(code::kNameRequest), {Posted(code::kNameRequest)}},
        RouteCase{
            "NameReply", Signalling(code::kNameReply, "Bob Smith"), {Posted(code::kNameReply, "Bob Smith")}},
        RouteCase{"BusyNotice", Short(code::kBusyNotice), {Posted(code::kBusyNotice)}},
        RouteCase{"FreeNotice", Short(code::kFreeNotice), {Posted(code::kFreeNotice)}},
        RouteCase{"Rejection", Short(code::kRejection), {Posted(code::kRejection)}},
        RouteCase{"SoundTypeRequest",
                  Signalling(code::kSoundTypeRequest, "9058"),
                  {Posted(code::kSoundTypeRequest, "9058", 9058)}},
        RouteCase{"SoundTypeRequestNotANumber",
                  Signalling(code::kSoundTypeRequest, "speex"),
                  {Posted(code::kSoundTypeRequest, "speex", 0)}},
        RouteCase{
            "SpeexQuality", Signalling(code::kSpeexQuality, " 7"), {Posted(code::kSpeexQuality, " 7", 7)}},
        RouteCase{"SpeexDtx", Signalling(code::kSpeexDtx, "1"), {Posted(code::kSpeexDtx, "1", 1)}},
        RouteCase{"SpeexOptionNegative",
                  Signalling(code::kSpeexComplexity, "-3"),
                  {Posted(code::kSpeexComplexity, "-3", -3)}},
        RouteCase{"TwoBytesReadAsPresenceQuery", Bytes{0x2D, 0x23}, {Posted(code::kPresenceQuery)}},
        RouteCase{"ThreeBytesReadAsBusyNotice", Bytes{0x52, 0x23, 0x00}, {Posted(code::kBusyNotice)}},
        RouteCase{"OneByte", Bytes{0x2D}, {}}, RouteCase{"Empty", Bytes{}, {}},
        RouteCase{"AudioWithoutReceiver", Gsm(), {}},
        // The window's own numbers and the codes no datagram carries go nowhere.
        RouteCase{"CloseRequest", Short(Number(WindowMessage::kCloseRequest)), {}},
        RouteCase{"ReceivedQueryNumber", Short(9006), {}}, RouteCase{"ProbeNumber", Short(9007), {}},
        RouteCase{"BelowCallRequest", Signalling(9022), {}},
        RouteCase{"AfterHangUpAck", Signalling(9033), {}},
        RouteCase{"ReloadScopeZoomNumber", Signalling(9041), {}},
        RouteCase{"SwitchSoundType", Signalling(Number(WindowMessage::kSwitchSoundType), "9050"), {}},
        RouteCase{"AboveSoundTypes", Signalling(9065), {}},
        RouteCase{"BelowSpeexOptions", Signalling(9099, "1"), {}},
        RouteCase{"AboveSpeexOptions", Signalling(9106, "1"), {}},
        RouteCase{"ReloadFiltersNumber", Signalling(9201), {}},
        RouteCase{"Quit", Short(Number(WindowMessage::kQuit)), {}}),
    [](const testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

class RecordingReceiver : public AudioReceiver {
 public:
  void ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) override {
    const uint32_t code = WireCode(type);
    data = datagram.data();
    size = datagram.size();
    lastCode = code;
    lastSender = sender;
    calls.fetch_add(1);
  }
  const uint8_t* data = nullptr;
  std::size_t size = 0;
  uint32_t lastCode = 0;
  NetAddress lastSender;
  std::atomic<int> calls{0};
};

TEST(DatagramRouterAudio, HandsEverySoundTypeOverAsReceived) {
  RecordingSignals signals;
  CDatagramRouter router(signals);
  RecordingReceiver receiver;
  router.SetAudioReceiver(&receiver);

  for (uint32_t c = code::kSoundFirst; c <= code::kSoundLast; ++c) {
    Bytes datagram(200, 0x33);
    const auto header = datagram::BuildShort(c);
    std::copy(header.begin(), header.end(), datagram.begin());
    router.OnDatagram(datagram, kSender);
    EXPECT_EQ(receiver.data, datagram.data()) << c;
    EXPECT_EQ(receiver.size, datagram.size()) << c;
    EXPECT_EQ(receiver.lastCode, c);
    EXPECT_EQ(receiver.lastSender, kSender);
  }
  // Two bytes of a GSM code are still audio, with the two bytes as received.
  const Bytes cut = {0x5A, 0x23};
  router.OnDatagram(cut, kSender);
  EXPECT_EQ(receiver.size, 2u);
  EXPECT_EQ(receiver.lastCode, code::kSoundGsm);

  EXPECT_EQ(receiver.calls.load(), 16);
  EXPECT_TRUE(signals.posted.empty());

  router.SetAudioReceiver(nullptr);
  router.OnDatagram(Short(code::kSoundGsm), kSender);
  EXPECT_EQ(receiver.calls.load(), 16);
}

// Stays inside the call for a while, so that a receiver unset mid-call would
// still be written to after it is gone.
class LingeringReceiver : public AudioReceiver {
 public:
  void ReceiveAudio(std::span<const uint8_t>, SoundType, const NetAddress&) override {
    calls.fetch_add(1);
    for (int i = 0; i < 20; ++i) std::this_thread::yield();
    lastCallEnded = true;
  }
  std::atomic<int> calls{0};
  bool lastCallEnded = false;
};

// The receive thread streams audio while the main thread swaps receivers and
// destroys each one as soon as it is unset: no receiver may be in use after
// that (AddressSanitizer and ThreadSanitizer watch the rest).
TEST(DatagramRouterAudio, AnUnsetReceiverIsNeverCalledAgain) {
  RecordingSignals signals;
  CDatagramRouter router(signals);
  std::atomic<bool> stop{false};
  std::thread receiveThread([&] {
    const Bytes audio = Gsm();
    while (!stop.load()) {
      router.OnDatagram(audio, kSender);
      std::this_thread::yield();
    }
  });

  for (int round = 0; round < 200; ++round) {
    auto receiver = std::make_unique<LingeringReceiver>();
    router.SetAudioReceiver(receiver.get());
    while (receiver->calls.load() == 0) std::this_thread::yield();
    router.SetAudioReceiver(nullptr);
    const int calls = receiver->calls.load();
    EXPECT_TRUE(receiver->lastCallEnded);
    std::this_thread::yield();
    EXPECT_EQ(receiver->calls.load(), calls);
  }
  stop.store(true);
  receiveThread.join();
}

}  // namespace
