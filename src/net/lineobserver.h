#pragma once

#include <cstdint>

#include "core/linestate.h"

class CClient;

// What a call line tells the program about itself, as it happens, on the
// main thread. The program shows it: the line's page, its tab, the peer's
// name and the call's age.
class LineObserver {
 public:
  virtual ~LineObserver() = default;

  // The line took a call, placed or rung in (it is still idle while it
  // tells of a call ringing in), or was asked to call its own peer again.
  virtual void LineStarted(const CClient& line) = 0;
  // The call is over and the line free again.
  virtual void LineReleased(const CClient& line) = 0;
  virtual void PeerNameChanged(const CClient& line) = 0;
  // The state the line's tab shows: calling, ringing, connected or closed.
  virtual void StateShown(const CClient& line, LineState state) = 0;
  // Once a second while the line is in use; the traffic counts are the
  // observer's to take.
  virtual void CallAge(CClient& line, int64_t seconds) = 0;
  // The answer has gone through: audio may flow from now on.
  virtual void Connected(const CClient& line) = 0;
};
