#pragma once

#include <functional>
#include <string>

#include "app/cappstate.h"
#include "core/windowmessage.h"
#include "platform/messagehandler.h"

class CParams;
class DispatchTargets;
class MessageBoxPort;
class MainWindowView;

// The handlers of the messages that reach the main window: they run on the
// main thread, one at a time, and are where network events change the lines,
// the client list, the sound system and the window.
class CMessageDispatcher : public MessageHandler {
 public:
  CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params, MessageBoxPort& boxes,
                     DispatchTargets& targets, std::function<void()> recomputeAvailability);

  // What quitting and a close request do is the program's business.
  void SetQuitAction(std::function<void()> quit) { quit_ = std::move(quit); }

  void HandleCode(uint32_t code, int64_t wParam) override;
  void HandleRecord(uint32_t code, Record record) override;
  void HandleCommand(int command, TextRecord record) override;

  void RecomputeAvailability();

 private:
  bool SpeexOption(uint32_t code, int64_t wParam);
  void ActOnMessage(WindowMessage message, int64_t wParam);
  void ActOnCode(uint32_t code, int64_t wParam);
  void Rejected(uint32_t address);
  void SelectClientRow(int row);
  int CurrentLine() const { return state_.currentLine.load(); }

  CAppState& state_;
  MainWindowView& window_;
  CParams& params_;
  MessageBoxPort& boxes_;
  DispatchTargets& targets_;
  std::function<void()> recomputeAvailability_;
  std::function<void()> quit_;
};
