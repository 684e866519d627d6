#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include "core/messageboxport.h"

// At most one box of a kind open at once. A box blocks in a nested event
// loop, in which further messages are handled; a peer sending datagrams
// could otherwise stack up one box per datagram. A box asked for while one
// of its kind is open is not shown: repeats are counted and go to the
// connection log when the open box closes; a question asked meanwhile is
// answered No.
class COneBoxAtATime : public MessageBoxPort {
 public:
  using LogLine = std::function<void(const std::string& text, const std::string& detail)>;

  COneBoxAtATime(MessageBoxPort& boxes, LogLine log) : boxes_(boxes), log_(std::move(log)) {}

  void ShowError(const std::string& text) override;
  void ShowInfo(const std::string& text) override;
  // An information box all the same: one of them at a time.
  void ShowTitledInfo(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  enum Kind { kError, kInfo, kQuestion, kKinds };
  // False when one of the kind is open; the text is then counted.
  bool Open(Kind kind, const std::string& text);
  void Closed(Kind kind);

  MessageBoxPort& boxes_;
  LogLine log_;
  bool open_[kKinds] = {};
  std::map<std::string, std::size_t> repeats_[kKinds];
};
