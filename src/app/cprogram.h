#pragma once

#include <memory>
#include <string>

#include "app/cappstate.h"
#include "app/ccommandline.h"
#include "app/dispatchtargets.h"

class CAutostart;
class CCommand;
class CDatagramRouter;
class CRemoteControlServer;
class CMessageDispatcher;
class CIniKeyStore;
class CLog;
class CParams;
class CQtMessageBoxes;
class CQtWindowPort;
class CReceiveThread;
class TDlg;

// The running program: builds the object graph in a fixed order, gives the
// message handlers the objects they act on, and tears everything down in
// order when the user or a command quits.
class CProgram : public DispatchTargets {
 public:
  static constexpr const char* kVersionText = "Ondrel v0.57a";

  explicit CProgram(const CCommandLine& commandLine);
  ~CProgram() override;
  CProgram(const CProgram&) = delete;
  CProgram& operator=(const CProgram&) = delete;

  // Builds everything. False, after telling the user why, when the program
  // cannot run (the UDP port cannot be bound); nothing is left running then.
  bool FormCreate();
  // The orderly teardown; runs once, after the event loop has ended.
  void FormClose();
  // Sets the quitting flag and ends the event loop, nested ones included,
  // so that teardown runs at the top level and never under an open box.
  void Quit();
  // Quit as the Quit command does, from a signal: through the message queue.
  void RequestQuit();

  TDlg& Window() { return *window_; }
  CParams& Params() { return *params_; }
  CAppState& State() { return state_; }
  int BoundPort() const { return port_; }

  // DispatchTargets
  void ProbeReceived(uint32_t address) override;
  void ReplyReceived(uint32_t address) override;
  void GoneOffline(uint32_t address) override;
  void BusyChanged(uint32_t address, bool busy) override;
  bool IsClient(const std::string& addressText) override;
  bool HasClientAt(int row) override;
  void ClientSelected(int row) override;
  LineView Line(int line) override;
  LineTraffic TakeTraffic(int line) override;
  void RouteCode(uint32_t address, uint32_t code) override;
  void HangUp(int line) override;
  void PlaceCall(int line, uint32_t address, const std::string& name) override;
  void AcceptCallRequest(uint32_t address, const std::string& request) override;
  void TakePeerName(int line, uint32_t address, const std::string& name) override;
  void ApplyRemoteSpeexOption(uint32_t code, int32_t value) override;
  void ReloadPreBuffer() override;
  void ReloadScopeZoom() override;
  void ReloadFilters() override;
  void RestartSound(uint32_t soundType, bool announce) override;
  void UnfreezeScope() override;
  void SendShort(uint32_t address, uint32_t code) override;
  void SendSignalling(uint32_t address, uint32_t code, const std::string& text) override;
  uint32_t OwnAddress() override;

 private:
  bool OnWindowClose();
  int ReadPort();

  CCommandLine commandLine_;
  CAppState state_;
  int port_ = 0;
  int socket_;
  uint32_t ownAddress_ = 0;
  bool torn_down_ = false;

  std::unique_ptr<CIniKeyStore> keyStore_;
  std::unique_ptr<CParams> params_;
  std::unique_ptr<CLog> log_;
  std::unique_ptr<CQtMessageBoxes> boxes_;
  std::unique_ptr<TDlg> window_;
  std::unique_ptr<CMessageDispatcher> dispatcher_;
  std::unique_ptr<CQtWindowPort> windowPort_;
  std::unique_ptr<CDatagramRouter> router_;
  std::unique_ptr<CReceiveThread> receiver_;
  std::unique_ptr<CAutostart> autostart_;
  std::unique_ptr<CCommand> command_;
  std::unique_ptr<CRemoteControlServer> remoteControl_;
};
