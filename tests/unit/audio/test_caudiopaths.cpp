#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "audio/caudiopaths.h"
#include "audio/ccodecset.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "audio/creceivepath.h"
#include "audio/csendpath.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "core/audiobackend.h"
#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/cfakewindowport.h"
#include "fakes/crecordinglineobserver.h"
#include "fakes/cmanualaudiobackend.h"
#include "fakes/cmemorykeystore.h"
#include "net/cclient.h"
#include "core/receivedsignal.h"
#include "net/cdatagramrouter.h"
#include "net/cudpsocket.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "settings/clog.h"
#include "settings/cparams.h"

namespace {

using Kind = CFakeWindowPort::Message::Kind;

NetAddress Loopback(uint8_t n) {
  return NetAddress::IPv4(htonl(0x7F000000u | n));
}

// An audio datagram of the given type and size, every payload byte fill.
std::vector<uint8_t> Datagram(uint32_t type, std::size_t size, uint8_t fill) {
  std::vector<uint8_t> bytes(size, fill);
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<uint8_t>(type >> (8 * i));
  return bytes;
}

// One side of a call: its socket, settings, log, line and audio paths.
struct Side {
  Side(const NetAddress& address, int port, const std::filesystem::path& dir)
      : params(store), log(params, dir, [] { return std::string("d t"); }) {
    socket = std::make_unique<net::CUdpSocket>(port, address);
    timeval timeout{5, 0};
    ::setsockopt(socket->Descriptor(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    line1 = std::make_unique<CClient>(1, params, log, lines, *socket);
    line2 = std::make_unique<CClient>(2, params, log, lines, *socket);
  }
  ~Side() {
    paths.reset();
    line1.reset();
    line2.reset();
  }
  void Build() {
    paths = std::make_unique<CAudioPaths>(params, log, window, boxes, backend,
                                          AudioFlags{quitting, restarting, running, micMuted, speakerMuted,
                                                     currentSndType, lockCodec, currentLine},
                                          *line1, *line2, *socket);
    paths->Build(currentType);
    currentSndType = currentType;
  }

  // The next audio datagram that reached this side's socket; signalling
  // that came first is passed over.
  std::vector<uint8_t> NextAudio(uint32_t& code) {
    for (;;) {
      std::vector<uint8_t> bytes(4096);
      const ssize_t n = ::recv(socket->Descriptor(), bytes.data(), bytes.size(), 0);
      if (n < 0) return {};
      bytes.resize(static_cast<std::size_t>(n));
      code = datagram::ReadCode(bytes);
      if (code::IsSoundType(code) || code == code::kSoundTypeRequest || code == code::kRejection)
        return bytes;
    }
  }

  CMemoryKeyStore store;
  CParams params;
  CLog log;
  CFakeWindowPort window;
  CRecordingLineObserver lines;
  CFakeMessageBoxes boxes;
  ManualBackend backend;
  std::unique_ptr<net::CUdpSocket> socket;
  std::unique_ptr<CClient> line1, line2;
  std::unique_ptr<CAudioPaths> paths;
  std::atomic<int> quitting{0}, running{0}, micMuted{0}, speakerMuted{0}, currentLine{1};
  std::atomic<bool> restarting{false}, lockCodec{false};
  std::atomic<SoundType> currentSndType{SoundType::kGsm8};
  SoundType currentType = SoundType::kGsm8;
};

class CAudioPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("ondrel-paths-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // Both sides on one port, each on its own loopback address.
    port = net::CUdpSocket(0, Loopback(1)).Port();
    caller = std::make_unique<Side>(Loopback(1), port, dir);
    callee = std::make_unique<Side>(Loopback(2), port, dir);
  }
  void TearDown() override {
    caller.reset();
    callee.reset();
    std::filesystem::remove_all(dir);
  }

  void UseType(uint32_t code) {
    const SoundType type = *SoundTypeOf(code);
    format = SoundFormat::Of(type);
    ASSERT_TRUE(format.IsValid());
    for (Side* side : {caller.get(), callee.get()}) {
      side->currentType = type;
      side->Build();
    }
  }

  // Brings line 1 of both sides into the connected state the way the
  // signalling does: request, ringing, answer, confirmation.
  void Connect() {
    caller->line1->CallOut(Loopback(2), "callee");
    callee->line1->Incoming(Loopback(1), "caller");
    callee->line1->Answer();
    caller->line1->ReceiveCode(code::kAnswer);
    callee->line1->ReceiveCode(code::kAnswerConfirmation);
    ASSERT_EQ(caller->line1->State(), LineState::kConnected);
    ASSERT_EQ(callee->line1->State(), LineState::kConnected);
  }

  std::vector<int16_t> Tone(double hz, int amplitude, int offset) const {
    std::vector<int16_t> frame(static_cast<std::size_t>(format.FrameBytes() / 2));
    const int channels = format.Channels();
    for (std::size_t i = 0; i < frame.size(); ++i) {
      const double t = static_cast<double>(offset + static_cast<int>(i) / channels) / format.SampleRate();
      frame[i] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * t));
    }
    return frame;
  }

  static double Rms(const std::vector<int16_t>& frame) {
    double sum = 0;
    for (int16_t s : frame) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(frame.size()));
  }

  std::filesystem::path dir;
  int port = 0;
  SoundFormat format;
  std::unique_ptr<Side> caller, callee;
};

TEST_F(CAudioPathsTest, FramesCrossBothPathsInEverySoundType) {
  struct Case {
    uint32_t type;
    std::size_t datagramBytes;  // 0: it varies (Speex)
  };
  const Case cases[] = {
      {9050, 41}, {9051, 328}, {9052, 328}, {9053, 648}, {9054, 648}, {9055, 328}, {9056, 648}, {9057, 1288},
      {9058, 0},  {9059, 0},   {9060, 0},   {9061, 0},   {9062, 0},   {9063, 328}, {9064, 168},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TearDown();
    SetUp();
    UseType(c.type);
    Connect();
    std::vector<int16_t> out(static_cast<std::size_t>(format.FrameBytes() / 2));
    callee->paths->ReceivePath()->Play(out.data());  // the spool starts with a reset
    const int samplesPerFrame = format.FrameBytes() / 2 / format.Channels();
    std::vector<int16_t> last;
    for (int n = 0; n < 10; ++n) {
      last = Tone(440, 8000, n * samplesPerFrame);
      std::vector<int16_t> frame = last;
      caller->paths->SendPath()->Capture(frame.data());
      uint32_t code = 0;
      const auto bytes = callee->NextAudio(code);
      ASSERT_EQ(code, c.type);
      if (c.datagramBytes) {
        EXPECT_EQ(bytes.size(), c.datagramBytes);
      }
      callee->paths->ReceiveAudio(bytes, *SoundTypeOf(code), Loopback(1));
    }
    for (int n = 0; n < 10; ++n) callee->paths->ReceivePath()->Play(out.data());
    const SoundTypeInfo* info = &FindSoundType(*SoundTypeOf(c.type));
    if (info->codec == SoundCodec::kPcm) {
      EXPECT_EQ(out, last);
    } else {
      // Lossy codecs: the tone comes through with its energy.
      EXPECT_GT(Rms(out), 0.3 * Rms(last)) << "decoded " << Rms(out) << " sent " << Rms(last);
      EXPECT_LT(Rms(out), 2.0 * Rms(last));
    }
    EXPECT_GT(caller->line1->TakeTxBytes(), 0u);
    EXPECT_GT(callee->line1->TakeRxBytes(), 0u);
  }
}

TEST_F(CAudioPathsTest, WrongSoundTypeOnTheCallerAsksTheCalleeToFollow) {
  UseType(9050);
  Connect();
  const std::vector<uint8_t> g711 = Datagram(9064, 168, 0xFF);
  caller->paths->ReceiveAudio(g711, *SoundTypeOf(9064), Loopback(2));
  uint32_t code = 0;
  const auto request = callee->NextAudio(code);
  EXPECT_EQ(code, code::kSoundTypeRequest);
  EXPECT_EQ(datagram::ReadNumber(request), 9050);
  EXPECT_EQ(caller->line1->TakeRxBytes(), 0u);  // not played, not counted
}

TEST_F(CAudioPathsTest, WrongSoundTypeOnTheCalleeFollowsOrRefuses) {
  UseType(9050);
  Connect();
  const std::vector<uint8_t> g711 = Datagram(9064, 168, 0xFF);

  callee->paths->ReceiveAudio(g711, *SoundTypeOf(9064), Loopback(1));
  auto messages = callee->window.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().kind, Kind::PostCode);
  EXPECT_EQ(messages.back().code, code::kSoundTypeRequest);
  EXPECT_EQ(messages.back().wParam, 9064);

  callee->lockCodec = true;
  callee->params.SetInt("log", 1);
  callee->window.Clear();
  callee->paths->ReceiveAudio(g711, *SoundTypeOf(9064), Loopback(1));
  uint32_t code = 0;
  caller->NextAudio(code);
  EXPECT_EQ(code, code::kRejection);
  messages = callee->window.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].code, Number(WindowMessage::kHangUpFront));
  std::ifstream logFile(dir / CLog::kFileName);
  std::stringstream text;
  text << logFile.rdbuf();
  EXPECT_NE(text.str().find("Remote rejected, wrong codec: 127.0.0.1"), std::string::npos);
}

TEST_F(CAudioPathsTest, AudioFromAnyoneButThePeerIsDropped) {
  UseType(9051);
  Connect();
  const std::vector<uint8_t> pcm = Datagram(9051, 328, 1);
  callee->paths->ReceiveAudio(pcm, *SoundTypeOf(9051), Loopback(9));
  EXPECT_EQ(callee->line1->TakeRxBytes(), 0u);
  callee->paths->ReceiveAudio(pcm, *SoundTypeOf(9051), Loopback(1));
  EXPECT_EQ(callee->line1->TakeRxBytes(), 328u);
}

TEST_F(CAudioPathsTest, SpeexFrameShorterThanItsLengthIsDropped) {
  UseType(9058);
  Connect();
  std::vector<int16_t> frame = Tone(300, 8000, 0);
  caller->paths->SendPath()->Capture(frame.data());
  uint32_t code = 0;
  auto bytes = callee->NextAudio(code);
  ASSERT_GT(bytes.size(), 10u);
  bytes.pop_back();
  std::vector<int16_t> out(frame.size());
  callee->paths->ReceivePath()->Play(out.data());
  callee->paths->ReceiveAudio(bytes, *SoundTypeOf(code), Loopback(1));
  EXPECT_FALSE(callee->paths->Spool()->Get(out));  // nothing was spooled
}

TEST_F(CAudioPathsTest, MutedMicrophoneSendsNothingAndTapsSilence) {
  UseType(9051);
  Connect();
  caller->micMuted = 1;
  std::vector<int16_t> frame = Tone(440, 8000, 0);
  caller->paths->SendPath()->Capture(frame.data());
  EXPECT_EQ(Rms(frame), 0.0);
  EXPECT_EQ(caller->line1->TakeTxBytes(), 0u);
  EXPECT_EQ(caller->paths->MicLevel(), 0);
}

TEST_F(CAudioPathsTest, MutedSpeakerPlaysSilenceAndDropsAudio) {
  UseType(9051);
  Connect();
  callee->speakerMuted = 1;
  const std::vector<uint8_t> pcm = Datagram(9051, 328, 1);
  callee->paths->ReceiveAudio(pcm, *SoundTypeOf(9051), Loopback(1));
  EXPECT_EQ(callee->line1->TakeRxBytes(), 0u);
  std::vector<int16_t> out(160, 7);
  callee->paths->ReceivePath()->Play(out.data());
  EXPECT_EQ(Rms(out), 0.0);
}

TEST_F(CAudioPathsTest, SoundTestLoopsTheMicrophoneToTheSpeaker) {
  UseType(9051);
  caller->currentLine = 0;
  caller->paths->SetSoundTest(true);
  std::vector<int16_t> out(160);
  caller->paths->ReceivePath()->Play(out.data());
  std::vector<int16_t> frame = Tone(440, 8000, 0);
  const std::vector<int16_t> sent = frame;
  caller->paths->SendPath()->Capture(frame.data());
  caller->paths->ReceivePath()->Play(out.data());
  EXPECT_EQ(out, sent);
}

TEST_F(CAudioPathsTest, RestartRebuildsInOrderAndTellsThePeer) {
  UseType(9050);
  Connect();
  caller->paths->OpenDevices();
  ASSERT_TRUE(caller->paths->Speaker()->IsOpen());
  std::vector<std::string> events;
  caller->paths->SetRestartHooks(
      [&](bool on) {
        events.push_back(on ? "lamp on" : "lamp off");
        EXPECT_EQ(caller->restarting.load(), on);
      },
      [&] {
        events.push_back("teardown");
        EXPECT_EQ(caller->backend.output, nullptr);  // devices closed first
        EXPECT_EQ(caller->running.load(), 0);
      },
      [&] {
        events.push_back("rebuilt");
        EXPECT_EQ(caller->paths->Format().FrameBytes(), 320);
      });
  caller->paths->RestartSound(SoundType{9064}, true);
  EXPECT_EQ(events, (std::vector<std::string>{"lamp on", "teardown", "rebuilt", "lamp off"}));
  EXPECT_EQ(caller->currentSndType.load(), SoundType{9064});
  EXPECT_EQ(caller->running.load(), 1);
  // The call is up, so the devices come back at once.
  EXPECT_TRUE(caller->paths->Speaker()->IsOpen());
  uint32_t code = 0;
  const auto request = callee->NextAudio(code);
  EXPECT_EQ(code, code::kSoundTypeRequest);
  EXPECT_EQ(datagram::ReadNumber(request), 9064);
}

TEST_F(CAudioPathsTest, DevicesFollowTheSoundTypeAndTheChosenDevice) {
  UseType(9057);
  caller->params.SetInt("deviceMc", 2);
  caller->paths->OpenDevices();
  ASSERT_NE(caller->backend.input, nullptr);
  ASSERT_NE(caller->backend.output, nullptr);
  const StreamRequest& in = caller->backend.input->request;
  EXPECT_EQ(in.device, 1);
  EXPECT_EQ(in.sampleRate, 44100);
  EXPECT_EQ(in.channels, 2);
  EXPECT_EQ(in.framesPerCallback, 320);  // one 1280-byte frame
  const StreamRequest& out = caller->backend.output->request;
  EXPECT_EQ(out.device, -1);
  EXPECT_EQ(out.framesPerCallback, 640);                         // two frames
  EXPECT_EQ(out.latencySeconds, CDeviceSp::kMaxLatencySeconds);  // 256 buffers would be 3.7 s
  caller->paths->OpenDevices();                                  // already open: nothing new
  EXPECT_EQ(caller->backend.opens, 2);
}

TEST_F(CAudioPathsTest, ADeviceThatKeepsFailingIsReportedOnce) {
  UseType(9050);
  caller->backend.fail = true;
  for (int tick = 0; tick < 5; ++tick) caller->paths->OpenDevices();
  // The microphone is tried first: the call's first words wait for it.
  EXPECT_EQ(caller->boxes.errors, (std::vector<std::string>{"Could not open input audio device.",
                                                            "Could not open output audio device."}));
  caller->paths->CloseDevices();  // audio no longer wanted
  caller->paths->OpenDevices();
  EXPECT_EQ(caller->boxes.errors.size(), 4u);
}

// GSM: two 20 ms frames per callback, a 160 ms queue, 38 callbacks settle it.
class SpeakerQueueTest : public CAudioPathsTest {
 protected:
  void SetUp() override {
    CAudioPathsTest::SetUp();
    UseType(9050);
    caller->paths->OpenDevices();
  }
  // The open speaker reports; the next tick looks.
  void Report(double delay, uint64_t callbacks) {
    ASSERT_NE(caller->backend.output, nullptr);
    caller->backend.output->delay = delay;
    caller->backend.output->callbacks = callbacks;
    caller->paths->OpenDevices();
  }
  // The request of the next call's speaker.
  double NextCallAsks() {
    caller->paths->CloseDevices();
    caller->paths->OpenDevices();
    return caller->backend.output->request.latencySeconds;
  }
};

TEST_F(SpeakerQueueTest, WhatTheSoundServerAddsIsTakenOffTheNextCallNotThisOne) {
  EXPECT_DOUBLE_EQ(caller->backend.output->request.latencySeconds, 0.16);
  Report(0.25, 37);  // not settled yet
  EXPECT_DOUBLE_EQ(NextCallAsks(), 0.16);
  Report(0.25, 38);
  Report(0.25, 39);                     // the same report on the next tick: nothing more to learn
  EXPECT_EQ(caller->backend.opens, 4);  // two calls, two devices: the running call is not reopened
  EXPECT_NEAR(NextCallAsks(), 0.07, 1e-9);
  Report(0.11, 100);  // now as the sound type wants
  EXPECT_NEAR(NextCallAsks(), 0.07, 1e-9);
  Report(0.25, 100);  // deeper again, after an underrun: the whole queue is the most taken off
  EXPECT_DOUBLE_EQ(NextCallAsks(), 0.0);
  EXPECT_TRUE(caller->boxes.errors.empty());
}

TEST_F(SpeakerQueueTest, AQueueWithinOneFrameOfTheSoundTypesIsKept) {
  const struct {
    const char* what;
    double delay;
  } cases[] = {
      {"the device cannot tell", 0.0},
      {"shallower than asked", 0.11},
      {"as asked", 0.16},
      {"less than one 20 ms frame deeper", 0.179},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Report(c.delay, 50);
    EXPECT_DOUBLE_EQ(NextCallAsks(), 0.16);
  }
}

TEST_F(SpeakerQueueTest, TheCorrectionOutlivesRestartsButNotTheChoiceOfDevice) {
  Report(0.25, 50);
  caller->paths->RestartSound(SoundType{9064}, false);  // another 20 ms type
  EXPECT_NEAR(NextCallAsks(), 0.07, 1e-9);
  caller->paths->CloseDevices();
  caller->params.SetInt("deviceSp", 1);  // another device starts afresh
  EXPECT_DOUBLE_EQ(NextCallAsks(), 0.16);
}

TEST_F(CAudioPathsTest, RestartWhileTheReceiveThreadDeliversIsSafe) {
  UseType(9051);
  Connect();
  // Only audio goes through here: signals have nowhere to go.
  struct NoSignals : SignalPort {
    void Post(ReceivedSignal) override {}
  } signals;
  CDatagramRouter router(signals);
  callee->paths->SetReceiverSlot(&router);
  const std::vector<uint8_t> pcm = Datagram(9051, 328, 3);
  std::atomic<bool> stop{false};
  std::atomic<int> delivered{0};
  std::thread receiver([&] {
    while (!stop.load()) {
      router.OnDatagram(pcm, Loopback(1));
      delivered.fetch_add(1);
    }
  });
  for (int i = 0; i < 20; ++i) {
    const int before = delivered.load();
    callee->paths->RestartSound(SoundType{9051}, false);
    // The receive thread goes on through every restart; it never waits for one.
    while (delivered.load() < before + 2) std::this_thread::yield();
  }
  stop = true;
  receiver.join();
  callee->paths->SetReceiverSlot(nullptr);
  EXPECT_EQ(callee->currentSndType.load(), SoundType{9051});
}

// A full-duplex call: the capture thread sends while the receive thread
// decodes the peer's frames and the playback thread plays them. Every frame
// that goes out must be exactly what an encoder of its own, fed the same
// frames, makes: a byte of a received frame in it means the two directions
// share a buffer.
TEST_F(CAudioPathsTest, CaptureAndReceiveAtOnceKeepEachDirectionsFrames) {
  for (const uint32_t type : {code::kSoundGsm, code::kSoundG711, code::kSpeexFirst}) {
    SCOPED_TRACE(type);
    TearDown();
    SetUp();
    UseType(type);
    Connect();
    constexpr int kFrames = 200;
    const auto encode = [&](CCodecSet& codecs, const std::vector<int16_t>& frame) {
      std::array<uint8_t, datagram::kMaxFrameBytes> payload{};
      std::size_t bytes = 0;
      if (type == code::kSoundGsm) {
        bytes = codecs.Gsm().Encode(frame, std::span(payload).first(datagram::kGsmPayloadBytes))
                    ? datagram::kGsmPayloadBytes
                    : 0;
      } else if (type == code::kSoundG711) {
        bytes = codecs.G711().Encode(frame, std::span(payload).first(datagram::kG711PayloadBytes))
                    ? datagram::kG711PayloadBytes
                    : 0;
      } else {
        bytes = codecs.SpeexFor(*SoundTypeOf(type))->Encode(frame, payload);
      }
      std::vector<uint8_t> out(datagram::kMaxAudioBytes);
      out.resize(datagram::BuildAudio(*SoundTypeOf(type), std::span(payload).first(bytes), out));
      return out;
    };
    const int samples = format.FrameBytes() / 2 / format.Channels();
    std::vector<std::vector<int16_t>> sent, heard;
    for (int n = 0; n < kFrames; ++n) {
      sent.push_back(Tone(440, 8000, n * samples));
      heard.push_back(Tone(1000, 12000, n * samples));
    }
    CCodecSet mine, peer;
    std::vector<std::vector<uint8_t>> expected, incoming;
    for (int n = 0; n < kFrames; ++n) {
      expected.push_back(encode(mine, sent[static_cast<std::size_t>(n)]));
      incoming.push_back(encode(peer, heard[static_cast<std::size_t>(n)]));
    }

    std::atomic<bool> go{false};
    std::thread capture([&] {
      while (!go.load()) std::this_thread::yield();
      for (const auto& frame : sent) {
        std::vector<int16_t> copy = frame;
        caller->paths->SendPath()->Capture(copy.data());
      }
    });
    std::thread receive([&] {
      while (!go.load()) std::this_thread::yield();
      for (const auto& bytes : incoming) caller->paths->ReceiveAudio(bytes, *SoundTypeOf(type), Loopback(2));
    });
    std::thread playback([&] {
      std::vector<int16_t> out(format.FrameSamples());
      while (!go.load()) std::this_thread::yield();
      for (int n = 0; n < kFrames; ++n) caller->paths->ReceivePath()->Play(out.data());
    });
    go = true;
    capture.join();
    receive.join();
    playback.join();

    for (int n = 0; n < kFrames; ++n) {
      uint32_t code = 0;
      const auto bytes = callee->NextAudio(code);
      ASSERT_EQ(bytes, expected[static_cast<std::size_t>(n)]) << "frame " << n;
    }
    EXPECT_GT(caller->line1->TakeRxBytes(), 0u);
  }
}

}  // namespace
