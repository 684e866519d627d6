#pragma once

#include <functional>
#include <string>

#include "app/cappstate.h"
#include "core/windowmessage.h"
#include "platform/messagehandler.h"

class CParams;
class DispatchTargets;
class MainWindowView;

// The handlers of the main window's own messages, on the main thread, one
// at a time: what another thread hands over (a mixer's change, the receive
// path's hang-up or sound-type request, the end of the receive thread), the
// remote control's commands, and what the properties dialog sets going.
// The signalling of peers has its own way (CSignalling).
class CMessageDispatcher : public MessageHandler {
 public:
  // recomputeAvailability: asks again what may be done on the page in front.
  CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params, DispatchTargets& targets,
                     std::function<void()> recomputeAvailability);

  // What quitting and a close request do is the program's business.
  void SetQuitAction(std::function<void()> quit) { quit_ = std::move(quit); }

  void HandleCode(uint32_t code, int64_t wParam) override;
  void HandleRecord(uint32_t code, Record record) override;
  void HandleCommand(int command, TextRecord record) override;

 private:
  void SpeexOption(uint32_t code, int64_t wParam);
  void ActOnMessage(WindowMessage message, int64_t wParam);
  void RecomputeAvailability();
  int CurrentLine() const { return state_.currentLine.load(); }

  CAppState& state_;
  MainWindowView& window_;
  CParams& params_;
  DispatchTargets& targets_;
  std::function<void()> recomputeAvailability_;
  std::function<void()> quit_;
};
