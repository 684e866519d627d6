#pragma once

#include <memory>
#include <string>

#include "app/cappstate.h"
#include "app/ccommandline.h"
#include "platform/messagehandler.h"

class CDatagramRouter;
class CIniKeyStore;
class CParams;
class CQtMessageBoxes;
class CQtWindowPort;
class CReceiveThread;
class CSignalWatcher;
class TDlg;

// The running program: builds the object graph in a fixed order, serves the
// messages that reach the main window, and tears everything down in order
// when the user or a command quits.
class CProgram : public MessageHandler {
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

  TDlg& Window() { return *window_; }
  CParams& Params() { return *params_; }
  CAppState& State() { return state_; }
  int BoundPort() const { return port_; }

  void HandleCode(uint32_t code, int64_t wParam) override;
  void HandleRecord(uint32_t code, Record record) override;
  void HandleCommand(int command, TextRecord record) override;

 private:
  bool OnWindowClose();
  int ReadPort();

  CCommandLine commandLine_;
  CAppState state_;
  int port_ = 0;
  int socket_;
  bool torn_down_ = false;

  std::unique_ptr<CIniKeyStore> keyStore_;
  std::unique_ptr<CParams> params_;
  std::unique_ptr<CQtMessageBoxes> boxes_;
  std::unique_ptr<CQtWindowPort> windowPort_;
  std::unique_ptr<CDatagramRouter> router_;
  std::unique_ptr<CReceiveThread> receiver_;
  std::unique_ptr<TDlg> window_;
  std::unique_ptr<CSignalWatcher> signals_;
};
