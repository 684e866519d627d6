#pragma once

#include "core/clinerate.h"
#include "core/messageboxport.h"

// The message boxes as Qt shows them: no owner window, a nested event loop
// while open. Without a display (the offscreen platform of tests and
// headless runs) nobody could answer a box, so its text goes to stderr and
// the box counts as answered: OK, or No for a question. Those lines are
// held to a budget per minute, since a peer's datagrams can cause them.
class CQtMessageBoxes : public MessageBoxPort {
 public:
  CQtMessageBoxes();

  void ShowError(const std::string& text) override;
  void ShowInfo(const std::string& text) override;
  void ShowTitledInfo(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

  static bool HasDisplay();

 private:
  void Report(const std::string& title, const std::string& text);

  CLineRate stderrLines_;
};
