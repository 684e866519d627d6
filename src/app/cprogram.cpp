#include "app/cprogram.h"

#include <QCoreApplication>
#include <cstdio>

#include "net/cdatagramrouter.h"
#include "net/codes.h"
#include "net/creceivethread.h"
#include "net/transport.h"
#include "platform/cinikeystore.h"
#include "platform/cqtmessageboxes.h"
#include "platform/cqtwindowport.h"
#include "platform/csignalwatcher.h"
#include "settings/cparams.h"
#include "ui/dlgmain.h"

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
  boxes_ = std::make_unique<CQtMessageBoxes>();
  windowPort_ = std::make_unique<CQtWindowPort>(*this);

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

  // Datagrams this program sends to itself are dropped; with --bind the
  // bound address is the one they come from.
  const uint32_t local = commandLine_.bindAddress ? commandLine_.bindAddress : net::LocalAddress();
  router_ = std::make_unique<CDatagramRouter>(*windowPort_);
  receiver_ = std::make_unique<CReceiveThread>(socket_, local, state_.quitting, *router_, *windowPort_);
  receiver_->Start();

  uint32_t sndType = static_cast<uint32_t>(params_->GetInt("SndType"));
  if (sndType == 0) {
    sndType = code::kSoundGsm;
    params_->SetInt("SndType", static_cast<int32_t>(sndType));
  }
  state_.currentSndType = sndType;
  state_.lockCodec = params_->GetInt("lockCodec") != 0;

  window_ = std::make_unique<TDlg>();
  window_->SetCloseHandler([this] { return OnWindowClose(); });
  state_.soundSystemRunning = 1;
  signals_ = std::make_unique<CSignalWatcher>([this] { windowPort_->PostCode(code::kQuit, 0); });
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

void CProgram::FormClose() {
  if (torn_down_) return;
  torn_down_ = true;
  state_.quitting = 1;
  state_.soundSystemRunning = 0;
  signals_.reset();
  // The receive thread is stopped before anything it can reach goes away.
  if (receiver_) receiver_->Stop();
  window_.reset();
  receiver_.reset();
  router_.reset();
  net::CloseSocket(socket_);
  net::StopNetwork();
  windowPort_.reset();
  boxes_.reset();
  params_.reset();  // writes the settings back
  keyStore_.reset();
}

void CProgram::HandleCode(uint32_t code, int64_t wParam) {
  (void)wParam;
  if (state_.quitting.load() >= 1) return;
  switch (code) {
    case code::kQuit:
      Quit();
      break;
    case code::kCloseRequest:
      if (window_) window_->close();
      break;
    default:
      break;
  }
}

void CProgram::HandleRecord(uint32_t code, Record record) {
  (void)code;
  (void)record;
}

void CProgram::HandleCommand(int command, TextRecord record) {
  (void)command;
  (void)record;
}
