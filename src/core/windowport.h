#pragma once

#include <cstdint>
#include <string>

#include "core/windowmessage.h"

// How code without a window reaches the main window's thread: a code
// message (1025) carrying an integer, and a command message (1027) from the
// remote-control side carrying a text record. Posts travel by value, so a
// dropped message can never leak one.

struct TextRecord {
  int32_t number = 0;  // the remote-control command's number argument
  std::string text;
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // From any thread; handled later on the main thread, in queue order.
  virtual void PostCode(uint32_t code, int64_t wParam) = 0;
  virtual void PostCommand(int command, TextRecord record) = 0;

  // The window's own messages by name; the numbered form above also passes
  // the receive path's sound-type request (9048) on.
  void Post(WindowMessage message, int64_t wParam) { PostCode(Number(message), wParam); }
};
