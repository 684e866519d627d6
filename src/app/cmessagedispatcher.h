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
// path's hang-up or sound-type request, the end of the receive thread, a
// signal's quit) and the remote control's commands. The signalling of peers
// has its own way (CSignalling), and so has the properties dialog
// (OptionActions).
class CMessageDispatcher : public MessageHandler {
 public:
  // recomputeAvailability: asks again what may be done on the page in front.
  CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params,
                     std::function<void()> recomputeAvailability);

  // What the messages act on, once the program has it; until then (and
  // from teardown on) only quitting and closing are served.
  void SetTargets(DispatchTargets* targets) { targets_ = targets; }

  // What quitting and a close request do is the program's business.
  void SetQuitAction(std::function<void()> quit) { quit_ = std::move(quit); }

  void HandleCode(uint32_t code, int64_t wParam) override;
  void HandleCommand(int command, TextRecord record) override;

 private:
  void ActOnMessage(WindowMessage message, int64_t wParam);
  void RecomputeAvailability();

  CAppState& state_;
  MainWindowView& window_;
  CParams& params_;
  DispatchTargets* targets_ = nullptr;
  std::function<void()> recomputeAvailability_;
  std::function<void()> quit_;
};
