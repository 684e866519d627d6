#pragma once

#include <string>

class CParams;
class MessageBoxPort;
class WindowPort;

// The remote-control commands another program on the desktop can send to
// the running copy: a command number, a short text, a 0/1 answer. Each
// command acts through a posted message, so its effect follows in message
// order after the answer has gone back.
class CCommand {
 public:
  // The longest text a command carries; longer ones are cut.
  static constexpr std::size_t kMaxTextChars = 254;
  // The name a call placed by command 2 shows for its peer.
  static constexpr const char* kRemoteCallName = "ecc";

  CCommand(CParams& params, WindowPort& window, MessageBoxPort& boxes);

  // True when the command was accepted.
  bool Execute(const std::string& text, int command);

 private:
  bool Test(const std::string& text, int command);
  bool Call(const std::string& text);
  bool Port(const std::string& text);
  bool SoundType(const std::string& text);

  CParams& params_;
  WindowPort& window_;
  MessageBoxPort& boxes_;
};
