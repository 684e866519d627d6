#pragma once

#include <functional>

#include "app/cappstate.h"
#include "core/soundtype.h"
#include "net/callevents.h"

class MessageBoxPort;

// What the peer of a call asks of this side's sound system, and the box
// for a call it refused. A sound type is followed unless a restart runs
// (it wins), the code names none, it is already in force, or this side
// locks its own: then the peer's audio in another type ends the call
// instead. Main thread.
class CCallEventHandler : public CallEvents {
 public:
  // What the handler sets going in the sound system and the window.
  struct Actions {
    std::function<void(SoundType type)> follow;  // restart with the type, not announced
    std::function<void(uint32_t code, int32_t value)> speexOption;
    std::function<void()> recompute;  // what may be done on the page in front
  };

  CCallEventHandler(CAppState& state, MessageBoxPort& boxes, Actions actions)
      : state_(state), boxes_(boxes), actions_(std::move(actions)) {}

  void SoundTypeRequested(int32_t code) override;
  void SpeexOptionReceived(uint32_t code, int32_t value) override;
  void CallRefused(const NetAddress& from) override;
  void SignalHandled() override;

 private:
  CAppState& state_;
  MessageBoxPort& boxes_;
  Actions actions_;
};
