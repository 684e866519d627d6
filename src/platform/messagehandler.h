#pragma once

#include <cstdint>

#include "core/windowport.h"

// The main window's side of the message port: the handlers that messages
// reach on the main thread, one at a time, in queue order.
class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  virtual void HandleCode(uint32_t code, int64_t wParam) = 0;
  virtual void HandleCommand(int command, TextRecord record) = 0;
};
