#include "app/cprogram.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTime>
#include <cstdio>
#include <cstdlib>

#include "app/ccalleventhandler.h"
#include "app/cclientlistpresenter.h"
#include "app/cclientrowsource.h"
#include "app/ccommandavailability.h"
#include "app/cdesktopnotice.h"
#include "app/clinepresenter.h"
#include "app/cdispatchbridge.h"
#include "app/cheartbeat.h"
#include "app/cheartbeatbridge.h"
#include "app/chostresolver.h"
#include "app/cmessagedispatcher.h"
#include "app/conceboxes.h"
#include "app/cstatussnapshot.h"
#include "app/cuseractions.h"
#include "audio/caudiopaths.h"
#include "audio/cmixermc.h"
#include "audio/cmixersp.h"
#include "audio/cringer.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cpresence.h"
#include "net/csignalling.h"
#include "net/clocaladdresses.h"
#include "net/cdatagramrouter.h"
#include "net/creceivethread.h"
#include "net/cnetworkfacts.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "platform/calsamixer.h"
#include "platform/cdesktopsession.h"
#include "app/ccallreport.h"
#include "app/cdevicewatch.h"
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
  return *graph_.window;
}

bool CProgram::FormCreate() {
  graph_.resolver = std::make_unique<CHostResolver>();
  graph_.keyStore = std::make_unique<CIniKeyStore>(commandLine_.configDir / "ondrel.conf");
  graph_.params = std::make_unique<CParams>(*graph_.keyStore);
  graph_.log = std::make_unique<CLog>(*graph_.params, std::filesystem::path(), LocaleTimestamp);
  graph_.log->Write(std::string(TDlg::kCaption) + " started", "");
  graph_.screenBoxes = std::make_unique<CQtMessageBoxes>();
  graph_.boxes = std::make_unique<COneBoxAtATime>(
      *graph_.screenBoxes,
      [this](const std::string& text, const std::string& detail) { graph_.log->Write(text, detail); });
  if (!OpenSocket()) return false;
  graph_.languageDocument = std::make_unique<CQtXmlDocument>();
  graph_.language = std::make_unique<CLanguage>(*graph_.languageDocument, *graph_.boxes);

  BuildWindow();
  graph_.localAddresses =
      std::make_unique<CLocalAddresses>(commandLine_.bindAddress, graph_.params->GetInt("netPort"));
  graph_.router = std::make_unique<CDatagramRouter>(*graph_.windowPort);  // signals wait in its queue
  // Datagrams this program sends to itself are dropped; with --bind the
  // bound address is the one they come from.
  graph_.receiver = std::make_unique<CReceiveThread>(*graph_.socket, graph_.localAddresses->All(),
                                                     graph_.state.quitting, *graph_.router, *graph_.windowPort);
  graph_.receiver->Start();

  BuildCallSide();
  ReadSoundType();
  BuildSoundSystem();
  BuildDialogs();

  actions_ = std::make_unique<CUserActions>(graph_, [this] { RequestQuit(); });
  graph_.window->SetActions(actions_.get());
  heartbeatBridge_ = std::make_unique<CHeartbeatBridge>(graph_, *actions_, *dispatchBridge_);
  graph_.heartbeat = std::make_unique<CHeartbeat>(graph_.state, *graph_.params, *heartbeatBridge_);
  QObject::connect(graph_.window.get(), &TDlg::QuitRequested, [this] { RequestQuit(); });
  ApplyStoredWindowState();

  StartRemoteControl();
  if (const auto file = CStatusSnapshot::FileFromEnvironment(); !file.empty()) {
    statusSnapshot_ = std::make_unique<CStatusSnapshot>(graph_, file);
  }
  graph_.heartbeat->Start();
  graph_.autostart->Run();
  return true;
}

bool CProgram::OpenSocket() {
  int port = graph_.params->GetInt("netPort");
  if (port < 1 || port > 65535) {
    port = net::kDefaultPort;
    graph_.params->SetInt("netPort", port);
  }
  net::StartNetwork();
  graph_.socket = std::make_unique<net::CUdpSocket>(port, commandLine_.bindAddress);
  if (graph_.socket->IsOpen()) return true;
  const std::string message =
      "Could not bind UDP port " + std::to_string(port) + ": " + graph_.socket->Error();
  std::fprintf(stderr, "%s\n", message.c_str());
  if (CQtMessageBoxes::HasDisplay()) graph_.boxes->ShowError(message);
  return false;
}

void CProgram::BuildWindow() {
  graph_.window = std::make_unique<TDlg>();
  graph_.window->SetCloseHandler([this] { return OnWindowClose(); });
  graph_.session = std::make_unique<CDesktopSession>(kAppId);
  graph_.notice = std::make_unique<CDesktopNotice>(graph_.session.get(), *graph_.window);
  dispatchBridge_ = std::make_unique<CDispatchBridge>(graph_);
  graph_.dispatcher = std::make_unique<CMessageDispatcher>(graph_.state, *graph_.window, *graph_.params,
                                                           *dispatchBridge_, [this] { RecomputeAvailability(); });
  graph_.dispatcher->SetQuitAction([this] { Quit(); });
  graph_.windowPort = std::make_unique<CQtWindowPort>(*graph_.dispatcher);
}

void CProgram::ApplyStoredWindowState() {
  TDlg& window = *graph_.window;
  CAppState& s = graph_.state;
  s.systemKey = graph_.params->GetInt("lowKeySpace") != 0;
  window.SetSystemKey(s.systemKey);
  window.SetMuteButtons(s.speakerMuted.load() != 0, s.micMuted.load() != 0);
  window.SetScopeZoom(graph_.params->GetInt("scopeZoom"));
  window.ApplyLanguage(graph_.language->Lookup());
}

void CProgram::BuildCallSide() {
  graph_.clientListPresenter =
      std::make_unique<CClientListPresenter>(*graph_.window, [this] { RecomputeAvailability(); });
  graph_.clientListPresenter->SetSelectionFollower([this](int row) {
    if (graph_.contactDialog) graph_.contactDialog->FollowSelection(row);
  });
  graph_.contacts = std::make_unique<CContacts>(*graph_.params, *graph_.clientListPresenter, *graph_.boxes,
                                                graph_.language->Lookup());
  graph_.linePresenter = std::make_unique<CLinePresenter>(graph_.state, *graph_.window, *graph_.params,
                                                          [this] { RecomputeAvailability(); });
  graph_.linePresenter->SetRingingInAction(
      [this](const std::string& caller) { graph_.notice->TellIfOutOfSight("Incoming call", caller); });
  // The answer starts the call's audio at once: waiting for the next tick
  // would cost the first words up to a tick's length.
  graph_.linePresenter->SetConnectedAction([this](int) {
    if (graph_.audio) graph_.audio->OpenDevices();
  });
  graph_.line1 =
      std::make_unique<CClient>(1, *graph_.params, *graph_.log, *graph_.linePresenter, *graph_.socket);
  graph_.line2 =
      std::make_unique<CClient>(2, *graph_.params, *graph_.log, *graph_.linePresenter, *graph_.socket);
  for (CClient* line : {graph_.line1.get(), graph_.line2.get()})
    line->SetSourceAddress([this](const NetAddress& peer) { return graph_.localAddresses->Toward(peer); });
  graph_.lines = std::make_unique<CClients>(*graph_.line1, *graph_.line2, *graph_.params, *graph_.log,
                                            *graph_.contacts, *graph_.boxes, *graph_.socket);
  graph_.lines->SetResolver(graph_.resolver.get());
  graph_.availability =
      std::make_unique<CCommandAvailability>(graph_.state, *graph_.window, *graph_.lines, *graph_.contacts);
  graph_.presence = std::make_unique<CPresence>(*graph_.contacts, *graph_.lines, *graph_.socket);
  graph_.callEvents = std::make_unique<CCallEventHandler>(
      graph_.state, *graph_.boxes,
      CCallEventHandler::Actions{
          [this](SoundType type) {
            if (graph_.audio) graph_.audio->RestartSound(type, false);
          },
          [this](uint32_t code, int32_t value) {
            if (graph_.audio) graph_.audio->ApplyRemoteSpeexOption(code, value);
          },
          [this] { RecomputeAvailability(); }});
  graph_.signalling =
      std::make_unique<CSignalling>(graph_.state.quitting, *graph_.lines, *graph_.presence, *graph_.callEvents,
                                    *graph_.params, *graph_.localAddresses, *graph_.log, *graph_.socket);
  graph_.windowPort->SetSignalHandler(graph_.signalling.get());
  graph_.lines->SetOwnAddressCheck(
      [this](const NetAddress& address) { return graph_.localAddresses->IsOwn(address); });
  clientRows_ = std::make_unique<CClientRowSource>(*graph_.contacts);
  graph_.window->SetClientRows(clientRows_.get());
  graph_.contacts->LoadFromStore();
  if (graph_.window->ClientRowCount() > 0) graph_.window->SelectClientRow(0);
}

void CProgram::ReadSoundType() {
  auto sndType = SoundTypeOf(graph_.params->GetInt("SndType"));
  // Missing, or a stored value that names no sound type: the default.
  if (!sndType) {
    sndType = SoundType::kGsm8;
    graph_.params->SetInt("SndType", static_cast<int32_t>(WireCode(*sndType)));
  }
  graph_.state.currentSndType = *sndType;
  graph_.state.lockCodec = graph_.params->GetInt("lockCodec") != 0;
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
  graph_.audioBackend = ChooseAudioBackend();
  graph_.ringPlayer = std::make_unique<CWavLoopPlayer>(*graph_.audioBackend);
  graph_.ringer = std::make_unique<CRinger>(*graph_.ringPlayer);

  CAppState& s = graph_.state;
  graph_.audio = std::make_unique<CAudioPaths>(
      *graph_.params, *graph_.log, *graph_.windowPort, *graph_.boxes, *graph_.audioBackend,
      AudioFlags{s.quitting, s.restarting, s.soundSystemRunning, s.micMuted, s.speakerMuted, s.currentSndType,
                 s.lockCodec, s.currentLine},
      *graph_.line1, *graph_.line2, *graph_.socket);
  graph_.audio->Build(s.currentSndType.load());
  BuildMixers();
  dispatchBridge_->ReadMixers();
  graph_.audio->SetRestartHooks(
      [this](bool restarting) {
        graph_.window->SetRestartLamp(restarting);
        graph_.window->SetSoundSystemRunning(!restarting);
      },
      [this] {
        graph_.mixerSp.reset();
        graph_.mixerMc.reset();
      },
      [this] {
        BuildMixers();
        dispatchBridge_->ReadMixers();
      });
  // The stored mutes hold from the start, as if their buttons were pressed.
  s.micMuted = graph_.params->GetInt("mcMute") != 0 ? 1 : 0;
  s.speakerMuted = graph_.params->GetInt("spMute") != 0 ? 1 : 0;
  graph_.audio->SetReceiverSlot(graph_.router.get());
}

void CProgram::BuildDialogs() {
  CParams& params = *graph_.params;
  graph_.network = std::make_unique<CNetworkFacts>(*graph_.localAddresses, *graph_.resolver);
  graph_.files = std::make_unique<CQtFileChooser>(
      [&params] {
        std::string folder;
        params.GetString("FileDialogFolder", folder);
        return folder;
      },
      [&params](const std::string& folder) { params.SetString("FileDialogFolder", folder); });
  const TextLookup texts = graph_.language->Lookup();
  graph_.contactDialog = std::make_unique<TDlgCntact>(params, *graph_.contacts, *graph_.network, *graph_.boxes,
                                                      *graph_.files, texts);
  graph_.optionsDialog = std::make_unique<TDlgOption>(
      TDlgOption::Ports{params, *graph_.contacts, *graph_.network, *graph_.boxes, *graph_.files, *graph_.windowPort,
                        *graph_.audioBackend},
      texts);
  graph_.optionsDialog->SetSoundTestHook([this](bool on) { graph_.audio->SetSoundTest(on); });
  graph_.aboutDialog = std::make_unique<TDlgAbt>();
  graph_.callReport = std::make_unique<CCallReport>(graph_);
  graph_.deviceWatch = std::make_unique<CDeviceWatch>(graph_);
}

std::unique_ptr<MixerBackend> CProgram::MakeMixerBackend() {
  // With a sound server the sliders act on the call's own streams, as any
  // desktop program's volume does; without one, on the ALSA card's mixer.
  if (auto* pulse = dynamic_cast<CPulseAudioBackend*>(graph_.audioBackend.get())) {
    return std::make_unique<CPulseMixer>(*pulse);
  }
  return std::make_unique<CAlsaMixer>(*graph_.audioBackend);
}

void CProgram::BuildMixers() {
  graph_.mixerSp = std::make_unique<CMixerSp>(*graph_.params, *graph_.windowPort, MakeMixerBackend());
  graph_.mixerMc = std::make_unique<CMixerMc>(*graph_.params, *graph_.windowPort, MakeMixerBackend());
}

void CProgram::StartRemoteControl() {
  graph_.autostart = std::make_unique<CAutostart>(
      *graph_.params, *graph_.log,
      CAutostart::Launchers{desktoplauncher::StartDetached, desktoplauncher::Open});
  graph_.command = std::make_unique<CCommand>(*graph_.params, *graph_.windowPort, *graph_.boxes);
  graph_.remoteControl = std::make_unique<CRemoteControlServer>(
      commandLine_.configDir, [this](int command, const std::string& text) {
        return graph_.state.quitting.load() == 0 && graph_.command->Execute(text, command);
      });
  if (std::string why; !graph_.remoteControl->Listen(why)) {
    std::fprintf(stderr, "ondrel: remote control unavailable: %s\n", why.c_str());
  }
}

void CProgram::RecomputeAvailability() {
  if (graph_.availability) graph_.availability->Recompute();
}

void CProgram::FormShow() {
  if (graph_.state.shownOnce != 0) {
    RecomputeAvailability();
    return;
  }
  windowPosition_ = std::make_unique<CDialogPosition>(*graph_.params, "DlgX", "DlgY");
  windowPosition_->Restore(*graph_.window);
  graph_.state.shownOnce = 1;
  heartbeatBridge_->ShowOwnAddresses();
  RecomputeAvailability();
  graph_.lines->AutoCallOut();
}

bool CProgram::OnWindowClose() {
  // Closing the window while running only hides it; the program goes on.
  if (graph_.state.quitting.load() == 0) {
    actions_->SendToTray();
    return false;
  }
  return true;
}

void CProgram::Quit() {
  graph_.state.quitting = 1;
  QCoreApplication::exit(0);
}

void CProgram::RequestQuit() {
  if (graph_.windowPort) graph_.windowPort->Post(WindowMessage::kQuit, 0);
}

void CProgram::StorePosition() {
  if (graph_.contactDialog) graph_.contactDialog->StorePosition();
  if (graph_.optionsDialog) graph_.optionsDialog->StorePosition();
  if (windowPosition_ && graph_.window) windowPosition_->Store(*graph_.window);
}

void CProgram::SendOfflineNotices() {
  if (graph_.presence) graph_.presence->SayGoodbye();
}

void CProgram::FormClose() {
  if (tornDown_) return;
  tornDown_ = true;
  graph_.state.quitting = 1;
  StorePosition();
  if (graph_.heartbeat) graph_.heartbeat->Stop();
  // No answer of a lookup still out may reach what goes away below.
  if (graph_.lines) graph_.lines->SetResolver(nullptr);
  graph_.resolver.reset();
  graph_.state.soundSystemRunning = 0;
  SendOfflineNotices();
  graph_.remoteControl.reset();
  statusSnapshot_.reset();
  // The receive thread is stopped before anything it can reach goes away.
  // One that does not end in time still reaches the socket, the router, the
  // audio paths and the window's port: the settings are saved and the
  // program ends here, leaving the rest to the system.
  if (graph_.receiver && !graph_.receiver->Stop()) {
    std::fprintf(stderr, "ondrel: the receive thread did not end; quitting without it\n");
    graph_.log->Write("Receive thread did not end", "");
    graph_.params->Save();
    std::fflush(nullptr);
    std::_Exit(0);
  }
  graph_.heartbeat.reset();
  heartbeatBridge_.reset();
  if (graph_.window) {
    graph_.window->SetActions(nullptr);
    graph_.window->SetClientRows(nullptr);
  }
  actions_.reset();
  graph_.aboutDialog.reset();
  graph_.optionsDialog.reset();
  graph_.contactDialog.reset();
  graph_.files.reset();
  graph_.network.reset();
  clientRows_.reset();
  graph_.audio.reset();
  graph_.mixerSp.reset();
  graph_.mixerMc.reset();
  graph_.ringer.reset();
  graph_.ringPlayer.reset();
  graph_.audioBackend.reset();
  if (graph_.windowPort) graph_.windowPort->SetSignalHandler(nullptr);
  graph_.signalling.reset();
  graph_.callEvents.reset();
  graph_.presence.reset();
  graph_.availability.reset();
  graph_.lines.reset();
  graph_.line1.reset();
  graph_.line2.reset();
  graph_.linePresenter.reset();
  graph_.contacts.reset();
  graph_.clientListPresenter.reset();
  graph_.receiver.reset();
  graph_.router.reset();
  graph_.localAddresses.reset();
  graph_.socket.reset();
  net::StopNetwork();
  graph_.windowPort.reset();
  graph_.dispatcher.reset();
  graph_.notice.reset();
  graph_.session.reset();
  dispatchBridge_.reset();
  graph_.window.reset();
  graph_.command.reset();
  graph_.autostart.reset();
  graph_.language.reset();
  graph_.languageDocument.reset();
  graph_.boxes.reset();
  graph_.screenBoxes.reset();
  graph_.log.reset();
  graph_.params.reset();  // writes the settings back
  graph_.keyStore.reset();
}
