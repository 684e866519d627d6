#pragma once

#include <memory>
#include <string>

#include "app/cappstate.h"
#include "app/ccommandline.h"

class AudioBackend;
class CAudioPaths;
class CAutostart;
class CCallEventHandler;
class CCallReport;
class CClient;
class CClientListPresenter;
class CClientRowSource;
class CClients;
class CCommand;
class CCommandAvailability;
class CContacts;
class CDatagramRouter;
class CDesktopNotice;
class CDesktopSession;
class CDeviceWatch;
class CDialogPosition;
class CDispatchBridge;
class CHeartbeat;
class CHeartbeatBridge;
class CHostResolver;
class CIniKeyStore;
class CLanguage;
class CLinePresenter;
class CLocalAddresses;
class CLog;
class CMessageDispatcher;
class CMixers;
class CNetworkFacts;
class COneBoxAtATime;
class COptionEffects;
class CParams;
class CPresence;
class CQtFileChooser;
class CQtMessageBoxes;
class CQtWindowPort;
class CQtXmlDocument;
class CReceiveThread;
class CRemoteControlServer;
class CRinger;
class CSignalling;
class CStatusSnapshot;
class CUserActions;
class LoopPlayer;
class MixerBackend;
class TDlg;
class TDlgAbt;
class TDlgCntact;
class TDlgOption;
namespace net {
class CUdpSocket;
}

// The running program: builds its objects in a fixed order, connects the
// window's buttons to their actions, and stops what runs on its own when
// the user or a command quits. The objects are members in the order they
// are built, so they go in the reverse order, each before what it uses.
class CProgram {
 public:
  // The name the desktop knows the program by: its desktop entry and icon.
  static constexpr const char* kAppId = "org.ondrel.Ondrel";

  explicit CProgram(const CCommandLine& commandLine);
  ~CProgram();
  CProgram(const CProgram&) = delete;
  CProgram& operator=(const CProgram&) = delete;

  // Builds everything. False, after telling the user why, when the program
  // cannot run (the UDP port cannot be bound); nothing is left running then.
  bool FormCreate();
  // The window has been shown: the first time, it takes its stored position
  // and the automatic call is placed.
  void FormShow();
  // Stops what runs on its own (timers, the receive thread, lookups) and
  // says goodbye to the clients; runs once, after the event loop has ended.
  // The objects themselves go with the program.
  void FormClose();
  // Sets the quitting flag and ends the event loop, nested ones included,
  // so that teardown runs at the top level and never under an open box.
  void Quit();
  // Quit as the Quit command does, from a signal: through the message queue.
  void RequestQuit();

  TDlg& Window();

 private:
  bool OpenSocket();
  void BuildWindow();
  void BuildCallSide();
  void ReadSoundType();
  static std::unique_ptr<AudioBackend> ChooseAudioBackend();
  void BuildSoundSystem();
  void BuildSignalling();
  void BuildDialogs();
  void BuildActions();
  void StartRemoteControl();
  void StartReceiving();
  // The system key, the mutes and the scope zoom as stored.
  void ApplyStoredWindowState();
  std::unique_ptr<MixerBackend> MakeMixerBackend();
  bool OnWindowClose();
  void RecomputeAvailability();
  void StorePosition();

  CCommandLine commandLine_;
  CAppState state_;
  bool tornDown_ = false;

  // Settings, log and boxes: everything else reports through them.
  std::unique_ptr<CIniKeyStore> keyStore_;
  std::unique_ptr<CParams> params_;  // writes the settings back when it goes
  std::unique_ptr<CLog> log_;
  std::unique_ptr<CQtMessageBoxes> screenBoxes_;
  // What everything shows its boxes through: one of a kind at a time.
  std::unique_ptr<COneBoxAtATime> boxes_;
  // Made before and gone after everything that sends or receives on it.
  std::unique_ptr<net::CUdpSocket> socket_;
  std::unique_ptr<CQtXmlDocument> languageDocument_;
  std::unique_ptr<CLanguage> language_;

  // The window and the queue that brings other threads' work to it.
  std::unique_ptr<TDlg> window_;
  std::unique_ptr<CDesktopSession> session_;
  std::unique_ptr<CDesktopNotice> notice_;
  std::unique_ptr<CMessageDispatcher> dispatcher_;
  std::unique_ptr<CQtWindowPort> windowPort_;
  std::unique_ptr<CLocalAddresses> localAddresses_;
  std::unique_ptr<CDatagramRouter> router_;

  // Clients and call lines.
  std::unique_ptr<CClientListPresenter> clientListPresenter_;
  std::unique_ptr<CContacts> contacts_;
  std::unique_ptr<CClientRowSource> clientRows_;
  std::unique_ptr<CLinePresenter> linePresenter_;
  std::unique_ptr<CClient> line1_;
  std::unique_ptr<CClient> line2_;
  std::unique_ptr<CClients> lines_;
  // Names are looked up away from the main thread; gone, and its answers
  // with it, before the lines that asked.
  std::unique_ptr<CHostResolver> resolver_;
  std::unique_ptr<CCommandAvailability> availability_;
  std::unique_ptr<CPresence> presence_;

  // Sound.
  std::unique_ptr<AudioBackend> audioBackend_;
  std::unique_ptr<LoopPlayer> ringPlayer_;
  std::unique_ptr<CRinger> ringer_;
  std::unique_ptr<CAudioPaths> audio_;
  std::unique_ptr<CMixers> mixers_;

  // What peers and other threads ask of the program.
  std::unique_ptr<CCallEventHandler> callEvents_;
  std::unique_ptr<CSignalling> signalling_;
  std::unique_ptr<CDispatchBridge> dispatchBridge_;

  // Dialogs and what runs once a second besides them.
  std::unique_ptr<CNetworkFacts> network_;
  std::unique_ptr<CQtFileChooser> files_;
  std::unique_ptr<COptionEffects> optionEffects_;
  std::unique_ptr<TDlgCntact> contactDialog_;
  std::unique_ptr<TDlgOption> optionsDialog_;
  std::unique_ptr<TDlgAbt> aboutDialog_;
  std::unique_ptr<CCallReport> callReport_;
  std::unique_ptr<CDeviceWatch> deviceWatch_;

  // The user's hand and the timers.
  std::unique_ptr<CUserActions> actions_;
  std::unique_ptr<CHeartbeatBridge> heartbeatBridge_;
  std::unique_ptr<CHeartbeat> heartbeat_;
  std::unique_ptr<CAutostart> autostart_;
  std::unique_ptr<CCommand> command_;
  std::unique_ptr<CRemoteControlServer> remoteControl_;
  std::unique_ptr<CStatusSnapshot> statusSnapshot_;

  // Last: datagrams reach only a program that is whole, and the thread has
  // ended before anything it reaches goes.
  std::unique_ptr<CReceiveThread> receiver_;
  // The main window's place between runs, from its first showing on.
  std::unique_ptr<CDialogPosition> windowPosition_;
};
