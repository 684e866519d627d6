#pragma once

#include <memory>

#include "app/cappstate.h"

class AudioBackend;
class CAudioPaths;
class CAutostart;
class CCallReport;
class CCallEventHandler;
class CClientListPresenter;
class CCommandAvailability;
class CPresence;
class CSignalling;
class CDesktopNotice;
class CLinePresenter;
class CDeviceWatch;
class CMixerMc;
class CMixerSp;
class CRinger;
class LoopPlayer;
class CClient;
class CClients;
class CCommand;
class CContacts;
class CDatagramRouter;
class CHeartbeat;
class CIniKeyStore;
class CLanguage;
class CLocalAddresses;
class CQtXmlDocument;
class CLog;
class CMessageDispatcher;
class CParams;
class COneBoxAtATime;
class CQtMessageBoxes;
class CQtWindowPort;
class CReceiveThread;
class CRemoteControlServer;
namespace net {
class CUdpSocket;
}
class CDesktopSession;
class CHostResolver;
class CNetworkFacts;
class CQtFileChooser;
class TDlg;
class TDlgAbt;
class TDlgCntact;
class TDlgOption;

// Every long-lived object of the program and the state the main window
// keeps. The program builds it in a fixed order and tears it down in a fixed
// order; the bridges reach the objects through it.
struct CObjectGraph {
  CObjectGraph();
  ~CObjectGraph();

  // Line 1 or 2; nullptr for any other number.
  CClient* Line(int line) const;

  CAppState state;
  // Made before and destroyed after everything that sends or receives on it.
  std::unique_ptr<net::CUdpSocket> socket;
  std::unique_ptr<CLocalAddresses> localAddresses;

  std::unique_ptr<CIniKeyStore> keyStore;
  // Names are looked up away from the main thread; made before and gone
  // before everything that asks it.
  std::unique_ptr<CHostResolver> resolver;
  std::unique_ptr<CParams> params;
  std::unique_ptr<CLog> log;
  std::unique_ptr<CQtMessageBoxes> screenBoxes;
  // What everything shows its boxes through: one of a kind at a time.
  std::unique_ptr<COneBoxAtATime> boxes;
  std::unique_ptr<CQtXmlDocument> languageDocument;
  std::unique_ptr<CLanguage> language;
  std::unique_ptr<TDlg> window;
  std::unique_ptr<CDesktopSession> session;
  std::unique_ptr<CDesktopNotice> notice;
  std::unique_ptr<CMessageDispatcher> dispatcher;
  std::unique_ptr<CQtWindowPort> windowPort;
  std::unique_ptr<CDatagramRouter> router;
  std::unique_ptr<CReceiveThread> receiver;
  std::unique_ptr<CClientListPresenter> clientListPresenter;
  std::unique_ptr<CContacts> contacts;
  std::unique_ptr<CLinePresenter> linePresenter;
  std::unique_ptr<CClient> line1;
  std::unique_ptr<CClient> line2;
  std::unique_ptr<CClients> lines;
  std::unique_ptr<CPresence> presence;
  std::unique_ptr<CCallEventHandler> callEvents;
  std::unique_ptr<CSignalling> signalling;
  std::unique_ptr<CCommandAvailability> availability;
  std::unique_ptr<AudioBackend> audioBackend;
  std::unique_ptr<CAudioPaths> audio;
  std::unique_ptr<CMixerSp> mixerSp;
  std::unique_ptr<CMixerMc> mixerMc;
  std::unique_ptr<LoopPlayer> ringPlayer;
  std::unique_ptr<CRinger> ringer;
  std::unique_ptr<CHeartbeat> heartbeat;
  std::unique_ptr<CAutostart> autostart;
  std::unique_ptr<CCommand> command;
  std::unique_ptr<CRemoteControlServer> remoteControl;
  std::unique_ptr<CNetworkFacts> network;
  std::unique_ptr<CQtFileChooser> files;
  std::unique_ptr<TDlgCntact> contactDialog;
  std::unique_ptr<TDlgOption> optionsDialog;
  std::unique_ptr<TDlgAbt> aboutDialog;
  std::unique_ptr<CCallReport> callReport;
  std::unique_ptr<CDeviceWatch> deviceWatch;
};
