#include "app/cprogram.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTime>
#include <cstdio>
#include <cstdlib>

#include "app/ccalleventhandler.h"
#include "app/ccallreport.h"
#include "app/cclientlistpresenter.h"
#include "app/cclientrowsource.h"
#include "app/ccommandavailability.h"
#include "app/cdesktopnotice.h"
#include "app/cdevicewatch.h"
#include "app/cdispatchbridge.h"
#include "app/cheartbeat.h"
#include "app/cheartbeatbridge.h"
#include "app/chostresolver.h"
#include "app/clinepresenter.h"
#include "app/cmessagedispatcher.h"
#include "app/cmixers.h"
#include "app/conceboxes.h"
#include "app/coptioneffects.h"
#include "app/cstatussnapshot.h"
#include "app/cuseractions.h"
#include "audio/caudiopaths.h"
#include "audio/cringer.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "core/settingnames.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cdatagramrouter.h"
#include "net/clocaladdresses.h"
#include "net/cnetworkfacts.h"
#include "net/cpresence.h"
#include "net/creceivethread.h"
#include "net/csignalling.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "platform/calsamixer.h"
#include "platform/cdesktopsession.h"
#include "platform/cinikeystore.h"
#include "platform/cportaudiobackend.h"
#include "platform/cpulseaudiobackend.h"
#include "platform/cpulsemixer.h"
#include "platform/cqtmessageboxes.h"
#include "platform/cqtwindowport.h"
#include "platform/cqtxmldocument.h"
#include "platform/cremotecontrolserver.h"
#include "platform/cwavloopplayer.h"
#include "platform/desktoplauncher.h"
#include "settings/cautostart.h"
#include "settings/ccommand.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "settings/clanguage.h"
#include "settings/clog.h"
#include "settings/cparams.h"
#include "ui/dialogposition.h"
#include "ui/dlgabout.h"
#include "ui/dlgcontact.h"
#include "ui/dlgmain.h"
#include "ui/dlgoptions.h"
#include "ui/qtfilechooser.h"

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

CProgram::CProgram(const CCommandLine& commandLine) : commandLine_(commandLine) {}

CProgram::~CProgram() {
  FormClose();
}

TDlg& CProgram::Window() {
  return *window_;
}

bool CProgram::FormCreate() {
  keyStore_ = std::make_unique<CIniKeyStore>(commandLine_.configDir / "ondrel.conf");
  params_ = std::make_unique<CParams>(*keyStore_);
  log_ = std::make_unique<CLog>(*params_, std::filesystem::path(), LocaleTimestamp);
  log_->Write(std::string(TDlg::kCaption) + " started", "");
  screenBoxes_ = std::make_unique<CQtMessageBoxes>();
  boxes_ = std::make_unique<COneBoxAtATime>(
      *screenBoxes_,
      [this](const std::string& text, const std::string& detail) { log_->Write(text, detail); });
  if (!OpenSocket()) return false;
  languageDocument_ = std::make_unique<CQtXmlDocument>();
  language_ = std::make_unique<CLanguage>(*languageDocument_, *boxes_);

  BuildWindow();
  BuildCallSide();
  ReadSoundType();
  BuildSoundSystem();
  BuildSignalling();
  BuildDialogs();
  BuildActions();
  ApplyStoredWindowState();
  StartRemoteControl();
  if (const auto file = CStatusSnapshot::FileFromEnvironment(); !file.empty()) {
    statusSnapshot_ = std::make_unique<CStatusSnapshot>(
        CStatusSnapshot::Parts{state_, *window_, *contacts_, *lines_, *callReport_, *audio_}, file);
  }
  StartReceiving();
  heartbeat_->Start();
  autostart_->Run();
  return true;
}

bool CProgram::OpenSocket() {
  int port = params_->GetInt(setting::kNetPort);
  if (port < 1 || port > 65535) {
    port = net::kDefaultPort;
    params_->SetInt(setting::kNetPort, port);
  }
  net::StartNetwork();
  socket_ = std::make_unique<net::CUdpSocket>(port, commandLine_.bindAddress);
  if (socket_->IsOpen()) return true;
  const std::string message = "Could not bind UDP port " + std::to_string(port) + ": " + socket_->Error();
  std::fprintf(stderr, "%s\n", message.c_str());
  if (CQtMessageBoxes::HasDisplay()) boxes_->ShowError(message);
  return false;
}

void CProgram::BuildWindow() {
  window_ = std::make_unique<TDlg>();
  window_->SetCloseHandler([this] { return OnWindowClose(); });
  session_ = std::make_unique<CDesktopSession>(kAppId);
  notice_ = std::make_unique<CDesktopNotice>(session_.get(), *window_);
  dispatcher_ =
      std::make_unique<CMessageDispatcher>(state_, *window_, *params_, [this] { RecomputeAvailability(); });
  dispatcher_->SetQuitAction([this] { Quit(); });
  windowPort_ = std::make_unique<CQtWindowPort>(*dispatcher_);
  localAddresses_ =
      std::make_unique<CLocalAddresses>(commandLine_.bindAddress, params_->GetInt(setting::kNetPort));
  router_ = std::make_unique<CDatagramRouter>(*windowPort_);  // signals wait in its queue
}

void CProgram::ApplyStoredWindowState() {
  state_.systemKey = params_->GetInt(setting::kLowKeySpace) != 0;
  window_->SetSystemKey(state_.systemKey);
  window_->SetMuteButtons(state_.speakerMuted.load() != 0, state_.micMuted.load() != 0);
  window_->SetScopeZoom(params_->GetInt(setting::kScopeZoom));
  window_->ApplyLanguage(language_->Lookup());
}

void CProgram::BuildCallSide() {
  clientListPresenter_ =
      std::make_unique<CClientListPresenter>(*window_, [this] { RecomputeAvailability(); });
  clientListPresenter_->SetSelectionFollower([this](int row) {
    if (contactDialog_) contactDialog_->FollowSelection(row);
  });
  contacts_ = std::make_unique<CContacts>(*params_, *clientListPresenter_, *boxes_, language_->Lookup());
  clientRows_ = std::make_unique<CClientRowSource>(*contacts_);
  window_->SetClientRows(clientRows_.get());
  linePresenter_ =
      std::make_unique<CLinePresenter>(state_, *window_, *params_, [this] { RecomputeAvailability(); });
  linePresenter_->SetRingingInAction(
      [this](const std::string& caller) { notice_->TellIfOutOfSight("Incoming call", caller); });
  // The answer starts the call's audio at once: waiting for the next tick
  // would cost the first words up to a tick's length.
  linePresenter_->SetConnectedAction([this](int) {
    if (audio_) audio_->OpenDevices();
  });
  line1_ = std::make_unique<CClient>(1, *params_, *log_, *linePresenter_, *socket_);
  line2_ = std::make_unique<CClient>(2, *params_, *log_, *linePresenter_, *socket_);
  for (CClient* line : {line1_.get(), line2_.get()})
    line->SetSourceAddress([this](const NetAddress& peer) { return localAddresses_->Toward(peer); });
  lines_ = std::make_unique<CClients>(*line1_, *line2_, *params_, *log_, *contacts_, *boxes_, *socket_);
  resolver_ = std::make_unique<CHostResolver>();
  lines_->SetResolver(resolver_.get());
  lines_->SetOwnAddressCheck([this](const NetAddress& address) { return localAddresses_->IsOwn(address); });
  availability_ = std::make_unique<CCommandAvailability>(state_, *window_, *lines_, *contacts_);
  presence_ = std::make_unique<CPresence>(*contacts_, *lines_, *socket_);
  contacts_->LoadFromStore();
  if (window_->ClientRowCount() > 0) window_->SelectClientRow(0);
}

void CProgram::ReadSoundType() {
  auto sndType = SoundTypeOf(params_->GetInt(setting::kSndType));
  // Missing, or a stored value that names no sound type: the default.
  if (!sndType) {
    sndType = SoundType::kGsm8;
    params_->SetInt(setting::kSndType, static_cast<int32_t>(WireCode(*sndType)));
  }
  state_.currentSndType = *sndType;
  state_.lockCodec = params_->GetInt(setting::kLockCodec) != 0;
}

std::unique_ptr<AudioBackend> CProgram::ChooseAudioBackend() {
  // A sound server is talked to directly when one runs: through ALSA's
  // plugin for it, the server queues about as much again as asked behind
  // the device and starts each stream a second or more late.
  std::string why;
  if (auto pulse = CPulseAudioBackend::Connect(why)) return pulse;
  auto backend = std::make_unique<CPortAudioBackend>();
  if (!backend->Started()) std::fprintf(stderr, "ondrel: no sound: %s\n", backend->StartError().c_str());
  return backend;
}

void CProgram::BuildSoundSystem() {
  audioBackend_ = ChooseAudioBackend();
  ringPlayer_ = std::make_unique<CWavLoopPlayer>(*audioBackend_);
  ringer_ = std::make_unique<CRinger>(*ringPlayer_);

  CAppState& s = state_;
  audio_ =
      std::make_unique<CAudioPaths>(*params_, *log_, *windowPort_, *boxes_, *audioBackend_,
                                    AudioFlags{s.quitting, s.restarting, s.soundSystemRunning, s.micMuted,
                                               s.speakerMuted, s.currentSndType, s.lockCodec, s.currentLine},
                                    *line1_, *line2_, *socket_);
  audio_->Build(s.currentSndType.load());
  mixers_ = std::make_unique<CMixers>(
      *params_, *windowPort_, [this] { return MakeMixerBackend(); }, state_, *window_);
  mixers_->Rebuild();
  audio_->SetRestartHooks(
      [this](bool restarting) {
        window_->SetRestartLamp(restarting);
        window_->SetSoundSystemRunning(!restarting);
      },
      [this] { mixers_->Drop(); }, [this] { mixers_->Rebuild(); });
  // The stored mutes hold from the start, as if their buttons were pressed.
  s.micMuted = params_->GetInt(setting::kMcMute) != 0 ? 1 : 0;
  s.speakerMuted = params_->GetInt(setting::kSpMute) != 0 ? 1 : 0;
  audio_->SetReceiverSlot(router_.get());
}

void CProgram::BuildSignalling() {
  callEvents_ = std::make_unique<CCallEventHandler>(
      state_, *boxes_,
      CCallEventHandler::Actions{
          [this](SoundType type) { audio_->RestartSound(type, false); },
          [this](uint32_t code, int32_t value) { audio_->ApplyRemoteSpeexOption(code, value); },
          [this] { RecomputeAvailability(); }});
  signalling_ = std::make_unique<CSignalling>(state_.quitting, *lines_, *presence_, *callEvents_, *params_,
                                              *localAddresses_, *log_, *socket_);
  windowPort_->SetSignalHandler(signalling_.get());
  dispatchBridge_ = std::make_unique<CDispatchBridge>(*lines_, *audio_, *callEvents_, *mixers_);
  dispatcher_->SetTargets(dispatchBridge_.get());
}

void CProgram::BuildDialogs() {
  CParams& params = *params_;
  network_ = std::make_unique<CNetworkFacts>(*localAddresses_, *resolver_);
  files_ = std::make_unique<CQtFileChooser>(
      [&params] {
        std::string folder;
        params.GetString(setting::kFileDialogFolder, folder);
        return folder;
      },
      [&params](const std::string& folder) { params.SetString(setting::kFileDialogFolder, folder); });
  optionEffects_ = std::make_unique<COptionEffects>(
      COptionEffects::Parts{state_, params, *window_, *audio_, *lines_, *socket_}, [this] { Quit(); });
  const TextLookup texts = language_->Lookup();
  contactDialog_ = std::make_unique<TDlgCntact>(params, *contacts_, *network_, *boxes_, *files_, texts);
  optionsDialog_ = std::make_unique<TDlgOption>(
      TDlgOption::Ports{params, *contacts_, *network_, *boxes_, *files_, *optionEffects_, *audioBackend_},
      texts);
  optionsDialog_->SetSoundTestHook([this](bool on) { audio_->SetSoundTest(on); });
  aboutDialog_ = std::make_unique<TDlgAbt>();
  callReport_ = std::make_unique<CCallReport>(state_, *lines_, *audio_, *log_, *window_);
  deviceWatch_ = std::make_unique<CDeviceWatch>(*audio_, *log_, *notice_);
}

void CProgram::BuildActions() {
  actions_ = std::make_unique<CUserActions>(
      CUserActions::Parts{state_, *params_, *language_, *window_, *contacts_, *lines_, *linePresenter_,
                          *availability_, *audio_, *mixers_, *contactDialog_, *optionsDialog_, *aboutDialog_},
      [this] { RequestQuit(); });
  window_->SetActions(actions_.get());
  heartbeatBridge_ = std::make_unique<CHeartbeatBridge>(CHeartbeatBridge::Parts{
      state_, *window_, *optionsDialog_, *actions_, *session_, *contacts_, *presence_, *lines_,
      *localAddresses_, *ringer_, *audio_, *mixers_, *callReport_, *deviceWatch_});
  heartbeat_ = std::make_unique<CHeartbeat>(state_, *params_, *heartbeatBridge_);
  QObject::connect(window_.get(), &TDlg::QuitRequested, [this] { RequestQuit(); });
}

std::unique_ptr<MixerBackend> CProgram::MakeMixerBackend() {
  // With a sound server the sliders act on the call's own streams, as any
  // desktop program's volume does; without one, on the ALSA card's mixer.
  if (auto* pulse = dynamic_cast<CPulseAudioBackend*>(audioBackend_.get())) {
    return std::make_unique<CPulseMixer>(*pulse);
  }
  return std::make_unique<CAlsaMixer>(*audioBackend_);
}

void CProgram::StartRemoteControl() {
  autostart_ = std::make_unique<CAutostart>(
      *params_, *log_, CAutostart::Launchers{desktoplauncher::StartDetached, desktoplauncher::Open});
  command_ = std::make_unique<CCommand>(*params_, *windowPort_, *boxes_);
  remoteControl_ = std::make_unique<CRemoteControlServer>(
      commandLine_.configDir, [this](int command, const std::string& text) {
        return state_.quitting.load() == 0 && command_->Execute(text, command);
      });
  if (std::string why; !remoteControl_->Listen(why)) {
    std::fprintf(stderr, "ondrel: remote control unavailable: %s\n", why.c_str());
  }
}

void CProgram::StartReceiving() {
  // Datagrams this program sends to itself are dropped; with --bind the
  // bound address is the one they come from.
  receiver_ = std::make_unique<CReceiveThread>(*socket_, localAddresses_->All(), state_.quitting, *router_,
                                               *windowPort_);
  receiver_->Start();
}

void CProgram::RecomputeAvailability() {
  if (availability_) availability_->Recompute();
}

void CProgram::FormShow() {
  if (state_.shownOnce != 0) {
    RecomputeAvailability();
    return;
  }
  windowPosition_ = std::make_unique<CDialogPosition>(*params_, setting::kDlgX, setting::kDlgY);
  windowPosition_->Restore(*window_);
  state_.shownOnce = 1;
  heartbeatBridge_->ShowOwnAddresses();
  RecomputeAvailability();
  lines_->AutoCallOut();
}

bool CProgram::OnWindowClose() {
  // Closing the window while running only hides it; the program goes on.
  if (state_.quitting.load() == 0) {
    actions_->SendToTray();
    return false;
  }
  return true;
}

void CProgram::Quit() {
  state_.quitting = 1;
  QCoreApplication::exit(0);
}

void CProgram::RequestQuit() {
  if (windowPort_) windowPort_->Post(WindowMessage::kQuit, 0);
}

void CProgram::StorePosition() {
  if (contactDialog_) contactDialog_->StorePosition();
  if (optionsDialog_) optionsDialog_->StorePosition();
  if (windowPosition_ && window_) windowPosition_->Store(*window_);
}

void CProgram::FormClose() {
  if (tornDown_) return;
  tornDown_ = true;
  state_.quitting = 1;
  StorePosition();
  if (heartbeat_) heartbeat_->Stop();
  state_.soundSystemRunning = 0;
  if (presence_) presence_->SayGoodbye();
  // The receive thread is stopped before anything it can reach goes away.
  // One that does not end in time still reaches the socket, the router, the
  // audio paths and the window's port: the settings are saved and the
  // program ends here, leaving the rest to the system.
  if (receiver_ && !receiver_->Stop()) {
    std::fprintf(stderr, "ondrel: the receive thread did not end; quitting without it\n");
    log_->Write("Receive thread did not end", "");
    params_->Save();
    std::fflush(nullptr);
    std::_Exit(0);
  }
  // The window outlives what it calls; from here on it calls nothing.
  if (window_) {
    window_->SetActions(nullptr);
    window_->SetClientRows(nullptr);
  }
  if (windowPort_) windowPort_->SetSignalHandler(nullptr);
  if (dispatcher_) dispatcher_->SetTargets(nullptr);
  net::StopNetwork();
}
