#include "app/cprogram.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QLocale>
#include <QTime>
#include <QUrl>
#include <cstdio>

#include "app/cmessagedispatcher.h"
#include "net/cdatagramrouter.h"
#include "net/codes.h"
#include "net/creceivethread.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "platform/cinikeystore.h"
#include "platform/cremotecontrolserver.h"
#include "platform/cqtmessageboxes.h"
#include "platform/cqtwindowport.h"
#include "settings/cautostart.h"
#include "settings/clog.h"
#include "settings/ccommand.h"
#include "settings/cparams.h"
#include "ui/dlgmain.h"

namespace {

// The user's short date and long time, as the desktop's locale writes them.
std::string LocaleTimestamp() {
  const QLocale locale;
  return (locale.toString(QDate::currentDate(), QLocale::ShortFormat) + " " +
          locale.toString(QTime::currentTime(), QLocale::LongFormat))
      .toLatin1()
      .toStdString();
}

}  // namespace

CProgram::CProgram(const CCommandLine& commandLine) : commandLine_(commandLine), socket_(net::kNoSocket) {}

CProgram::~CProgram() { FormClose(); }

int CProgram::ReadPort() {
  int port = params_->GetInt("netPort");
  if (port < 1 || port > 65535) {
    port = net::kDefaultPort;
    params_->SetInt("netPort", port);
  }
  return port;
}

bool CProgram::FormCreate() {
  keyStore_ = std::make_unique<CIniKeyStore>(commandLine_.configDir / "ondrel.conf");
  params_ = std::make_unique<CParams>(*keyStore_);
  log_ = std::make_unique<CLog>(*params_, std::filesystem::path(), LocaleTimestamp);
  log_->Write(std::string(TDlg::kCaption) + " started", "");
  boxes_ = std::make_unique<CQtMessageBoxes>();

  port_ = ReadPort();
  net::SetNetPort(port_);
  net::StartNetwork();

  std::string error;
  socket_ = net::OpenSocket(port_, commandLine_.bindAddress, &error);
  if (socket_ == net::kNoSocket) {
    const std::string message = "Could not bind UDP port " + std::to_string(port_) + ": " + error;
    std::fprintf(stderr, "%s\n", message.c_str());
    if (CQtMessageBoxes::HasDisplay()) boxes_->ShowError(message);
    return false;
  }

  window_ = std::make_unique<TDlg>();
  window_->SetCloseHandler([this] { return OnWindowClose(); });
  dispatcher_ = std::make_unique<CMessageDispatcher>(state_, *window_, *params_, *boxes_, *this);
  dispatcher_->SetQuitAction([this] { Quit(); });
  windowPort_ = std::make_unique<CQtWindowPort>(*dispatcher_);

  // Datagrams this program sends to itself are dropped; with --bind the
  // bound address is the one they come from.
  ownAddress_ = commandLine_.bindAddress ? commandLine_.bindAddress : net::LocalAddress();
  router_ = std::make_unique<CDatagramRouter>(*windowPort_);
  receiver_ = std::make_unique<CReceiveThread>(socket_, ownAddress_, state_.quitting, *router_, *windowPort_);
  receiver_->Start();

  uint32_t sndType = static_cast<uint32_t>(params_->GetInt("SndType"));
  if (sndType == 0) {
    sndType = code::kSoundGsm;
    params_->SetInt("SndType", static_cast<int32_t>(sndType));
  }
  state_.currentSndType = sndType;
  state_.lockCodec = params_->GetInt("lockCodec") != 0;

  state_.soundSystemRunning = 1;

  autostart_ = std::make_unique<CAutostart>(*params_, [](const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
  });
  command_ = std::make_unique<CCommand>(*params_, *windowPort_, *boxes_);
  remoteControl_ = std::make_unique<CRemoteControlServer>(
      commandLine_.configDir, [this](int command, const std::string& text) {
        return state_.quitting.load() == 0 && command_->Execute(text, command);
      });
  if (std::string why; !remoteControl_->Listen(why)) {
    std::fprintf(stderr, "ondrel: remote control unavailable: %s\n", why.c_str());
  }
  autostart_->Run();
  return true;
}

bool CProgram::OnWindowClose() {
  // Closing the window while running only hides it; the program goes on.
  if (state_.quitting.load() == 0) {
    window_->hide();
    return false;
  }
  return true;
}

void CProgram::Quit() {
  state_.quitting = 1;
  QCoreApplication::exit(0);
}

void CProgram::RequestQuit() {
  if (windowPort_) windowPort_->PostCode(code::kQuit, 0);
}

void CProgram::FormClose() {
  if (torn_down_) return;
  torn_down_ = true;
  state_.quitting = 1;
  state_.soundSystemRunning = 0;
  // The receive thread is stopped before anything it can reach goes away.
  remoteControl_.reset();
  if (receiver_) receiver_->Stop();
  receiver_.reset();
  router_.reset();
  net::CloseSocket(socket_);
  net::StopNetwork();
  windowPort_.reset();
  dispatcher_.reset();
  command_.reset();
  autostart_.reset();
  window_.reset();
  boxes_.reset();
  log_.reset();
  params_.reset();  // writes the settings back
  keyStore_.reset();
}

// Client list: arrives with the presence exchange.
void CProgram::ProbeReceived(uint32_t) {}
void CProgram::ReplyReceived(uint32_t) {}
void CProgram::GoneOffline(uint32_t) {}
void CProgram::BusyChanged(uint32_t, bool) {}
bool CProgram::IsClient(const std::string&) { return false; }
bool CProgram::HasClientAt(int) { return false; }
void CProgram::ClientSelected(int) {}

// Call lines: arrive with the call signalling.
LineView CProgram::Line(int) { return {}; }
LineTraffic CProgram::TakeTraffic(int) { return {}; }
void CProgram::RouteCode(uint32_t, uint32_t) {}
void CProgram::HangUp(int) {}
void CProgram::PlaceCall(int, uint32_t, const std::string&) {}
void CProgram::AcceptCallRequest(uint32_t, const std::string&) {}
void CProgram::TakePeerName(int, uint32_t, const std::string&) {}

// Audio side: arrives with the audio objects.
void CProgram::ApplyRemoteSpeexOption(uint32_t, int32_t) {}
void CProgram::ReloadPreBuffer() {}
void CProgram::ReloadScopeZoom() {}
void CProgram::ReloadFilters() {}
void CProgram::RestartSound(uint32_t, bool) {}
void CProgram::UnfreezeScope() {}

void CProgram::SendShort(uint32_t address, uint32_t code) {
  const auto bytes = datagram::BuildShort(code);
  net::SendToPeer(socket_, bytes.data(), bytes.size(), address);
}

void CProgram::SendSignalling(uint32_t address, uint32_t code, const std::string& text) {
  if (address == 0) return;
  const auto bytes = datagram::BuildSignalling(code, text);
  net::SendToPeer(socket_, bytes.data(), bytes.size(), address);
}
uint32_t CProgram::OwnAddress() { return ownAddress_; }
