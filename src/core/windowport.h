#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "core/windowmessage.h"

// How code without a window reaches the main window: a code message (1025)
// carrying an integer, a record message (1026) carrying a text or pair
// record, and a command message (1027) from the remote-control side.
// Records travel by value, so a dropped message can never leak one.

struct TextRecord {
  int32_t number = 0;  // an IPv4 address in network order, or a line number
  std::string text;
};

struct PairRecord {
  int32_t line = 0;
  int32_t value = 0;
};

using Record = std::variant<TextRecord, PairRecord>;

inline Record MakeTextRecord(int32_t number, std::string text) {
  return TextRecord{number, std::move(text)};
}
inline Record MakePairRecord(int32_t line, int32_t value) {
  return PairRecord{line, value};
}

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Post: from any thread; handled later on the main thread, in queue order.
  virtual void PostCode(uint32_t code, int64_t wParam) = 0;
  virtual void PostRecord(uint32_t code, Record record) = 0;
  virtual void PostCommand(int command, TextRecord record) = 0;

  // Send: main thread only; handled before the call returns.
  virtual void SendCode(uint32_t code, int64_t wParam) = 0;
  virtual void SendRecord(uint32_t code, Record record) = 0;

  // The window's own messages by name; the numbered forms above also pass
  // received datagram codes on.
  void Post(WindowMessage message, int64_t wParam) { PostCode(Number(message), wParam); }
  void Post(WindowMessage message, Record record) { PostRecord(Number(message), std::move(record)); }
  void Send(WindowMessage message, int64_t wParam) { SendCode(Number(message), wParam); }
  void Send(WindowMessage message, Record record) { SendRecord(Number(message), std::move(record)); }
};
