#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakewindowport.h"
#include "net/audioreceiver.h"
#include "net/cdatagramrouter.h"
#include "net/datagramwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 10.0.0.200 in network order: the high bit is set, so a sign slip shows.
constexpr uint32_t kSender = 0xC800000A;

// One posted message as text, so a table row reads like the message.
std::string Describe(const CFakeWindowPort::Message& m) {
  using Kind = CFakeWindowPort::Message::Kind;
  if (m.kind == Kind::PostCode) return "1025 " + std::to_string(m.code) + " " + std::to_string(m.wParam);
  if (m.kind == Kind::PostRecord) {
    if (const auto* text = std::get_if<TextRecord>(&m.record)) {
      return "1026 " + std::to_string(m.code) + " " + std::to_string(text->number) + " '" + text->text + "'";
    }
  }
  return "unexpected message " + std::to_string(m.code);
}

std::vector<std::string> Route(const Bytes& datagram) {
  CFakeWindowPort window;
  CDatagramRouter router(window);
  router.OnDatagram(datagram, kSender);
  std::vector<std::string> posted;
  for (const auto& m : window.Messages()) posted.push_back(Describe(m));
  return posted;
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

const std::string kSenderParam = std::to_string(static_cast<int64_t>(kSender));
const std::string kSenderRecord = std::to_string(static_cast<int32_t>(kSender));

std::string PostSender(uint32_t c) {
  return "1025 " + std::to_string(c) + " " + kSenderParam;
}
std::string PostText(uint32_t c, const std::string& text) {
  return "1026 " + std::to_string(c) + " " + kSenderRecord + " '" + text + "'";
}
std::string PostValue(uint32_t c, int32_t value) {
  return "1025 " + std::to_string(c) + " " + std::to_string(value);
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
        RouteCase{"PresenceQuery",
                  Short(code::kPresenceQuery),
                  {PostSender(Number(WindowMessage::kPresenceQueryReceived))}},
        RouteCase{"PresenceReply",
                  Short(code::kPresenceReply),
                  {PostSender(Number(WindowMessage::kPresenceReplyReceived))}},
        RouteCase{"OfflineNotice",
                  Short(code::kOfflineNotice),
                  {PostSender(Number(WindowMessage::kOfflineNoticeReceived))}},
        RouteCase{
            "CallRequest", Signalling(code::kCallRequest, "Alice"), {PostText(code::kCallRequest, "Alice")}},
        RouteCase{"CallRequestEmptyText", Signalling(code::kCallRequest), {PostText(code::kCallRequest, "")}},
        RouteCase{
            "CallRequestWithoutTextArea", Short(code::kCallRequest), {PostText(code::kCallRequest, "")}},
        RouteCase{"Ringing", Signalling(code::kRinging), {PostSender(code::kRinging)}},
        RouteCase{"Answer", Signalling(code::kAnswer), {PostSender(code::kAnswer)}},
        RouteCase{"UnusedLineCode", Signalling(9026), {PostSender(9026)}},
        RouteCase{"AnswerConfirmation",
                  Signalling(code::kAnswerConfirmation),
                  {PostSender(code::kAnswerConfirmation)}},
        RouteCase{"HangUp", Signalling(code::kHangUp), {PostSender(code::kHangUp)}},
        RouteCase{"HangUpAck", Signalling(code::kHangUpAck), {PostSender(code::kHangUpAck)}},
        RouteCase{"KeepAlive", Signalling(code::kKeepAlive), {PostSender(code::kKeepAlive)}},
        RouteCase{"NameRequest", Signalling(code::kNameRequest), {PostSender(code::kNameRequest)}},
        RouteCase{"NameReply",
                  Signalling(code::kNameReply, "Bob Smith"),
                  {PostText(code::kNameReply, "Bob Smith")}},
        RouteCase{"BusyNotice", Short(code::kBusyNotice), {PostSender(code::kBusyNotice)}},
        RouteCase{"FreeNotice", Short(code::kFreeNotice), {PostSender(code::kFreeNotice)}},
        RouteCase{"Rejection", Short(code::kRejection), {PostSender(code::kRejection)}},
        RouteCase{"SoundTypeRequest",
                  Signalling(code::kSoundTypeRequest, "9058"),
                  {PostValue(code::kSoundTypeRequest, 9058)}},
        RouteCase{"SoundTypeRequestNotANumber",
                  Signalling(code::kSoundTypeRequest, "speex"),
                  {PostValue(code::kSoundTypeRequest, 0)}},
        RouteCase{"SpeexQuality", Signalling(code::kSpeexQuality, " 7"), {PostValue(code::kSpeexQuality, 7)}},
        RouteCase{"SpeexDtx", Signalling(code::kSpeexDtx, "1"), {PostValue(code::kSpeexDtx, 1)}},
        RouteCase{"SpeexOptionNegative",
                  Signalling(code::kSpeexComplexity, "-3"),
                  {PostValue(code::kSpeexComplexity, -3)}},
        RouteCase{"TwoBytesReadAsPresenceQuery",
                  Bytes{0x2D, 0x23},
                  {PostSender(Number(WindowMessage::kPresenceQueryReceived))}},
        RouteCase{"ThreeBytesReadAsBusyNotice", Bytes{0x52, 0x23, 0x00}, {PostSender(code::kBusyNotice)}},
        RouteCase{"OneByte", Bytes{0x2D}, {}}, RouteCase{"Empty", Bytes{}, {}},
        RouteCase{"AudioWithoutReceiver", Gsm(), {}},
        RouteCase{"CloseRequest", Short(Number(WindowMessage::kCloseRequest)), {}},
        RouteCase{"PresenceQueryReceived", Short(Number(WindowMessage::kPresenceQueryReceived)), {}},
        RouteCase{"BelowCallRequest", Signalling(9022), {}},
        RouteCase{"AfterHangUpAck", Signalling(9033), {}},
        RouteCase{"ReloadScopeZoom", Signalling(Number(WindowMessage::kReloadScopeZoom)), {}},
        RouteCase{"SwitchSoundType", Signalling(Number(WindowMessage::kSwitchSoundType), "9050"), {}},
        RouteCase{"AboveSoundTypes", Signalling(9065), {}},
        RouteCase{"BelowSpeexOptions", Signalling(9099, "1"), {}},
        RouteCase{"AboveSpeexOptions", Signalling(9106, "1"), {}},
        RouteCase{"ReloadFilters", Signalling(Number(WindowMessage::kReloadFilters)), {}},
        RouteCase{"Quit", Short(Number(WindowMessage::kQuit)), {}}),
    [](const testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

class RecordingReceiver : public AudioReceiver {
 public:
  void ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, uint32_t sender) override {
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
  uint32_t lastSender = 0;
  std::atomic<int> calls{0};
};

TEST(DatagramRouterAudio, HandsEverySoundTypeOverAsReceived) {
  CFakeWindowPort window;
  CDatagramRouter router(window);
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
  EXPECT_TRUE(window.Messages().empty());

  router.SetAudioReceiver(nullptr);
  router.OnDatagram(Short(code::kSoundGsm), kSender);
  EXPECT_EQ(receiver.calls.load(), 16);
}

// Stays inside the call for a while, so that a receiver unset mid-call would
// still be written to after it is gone.
class LingeringReceiver : public AudioReceiver {
 public:
  void ReceiveAudio(std::span<const uint8_t>, SoundType, uint32_t) override {
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
  CFakeWindowPort window;
  CDatagramRouter router(window);
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
