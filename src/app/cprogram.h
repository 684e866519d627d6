#pragma once

#include <memory>
#include <string>

#include "app/ccommandline.h"
#include "app/cobjectgraph.h"

class CClientRowSource;
class CDialogPosition;
class CDispatchBridge;
class MixerBackend;
class CHeartbeatBridge;
class CStatusSnapshot;
class CUserActions;
class TDlg;

// The running program: builds the object graph in a fixed order, connects
// the window's buttons to their actions, and tears everything down in order
// when the user or a command quits.
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
  // The orderly teardown; runs once, after the event loop has ended.
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
  // The system key, the mutes and the scope zoom as stored.
  void ApplyStoredWindowState();
  void ReadSoundType();
  static std::unique_ptr<AudioBackend> ChooseAudioBackend();
  void BuildSoundSystem();
  void BuildDialogs();
  std::unique_ptr<MixerBackend> MakeMixerBackend();
  void BuildMixers();
  void StartRemoteControl();
  bool OnWindowClose();
  void RecomputeAvailability();
  void StorePosition();
  void SendOfflineNotices();

  CCommandLine commandLine_;
  CObjectGraph graph_;
  std::unique_ptr<CDispatchBridge> dispatchBridge_;
  std::unique_ptr<CClientRowSource> clientRows_;
  std::unique_ptr<CUserActions> actions_;
  std::unique_ptr<CHeartbeatBridge> heartbeatBridge_;
  std::unique_ptr<CStatusSnapshot> statusSnapshot_;
  // The main window's place between runs, from its first showing on.
  std::unique_ptr<CDialogPosition> windowPosition_;
  bool tornDown_ = false;
};
