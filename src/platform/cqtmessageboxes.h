#pragma once

#include "core/messageboxport.h"

// The message boxes as Qt shows them: no owner window, a nested event loop
// while open. Without a display (the offscreen platform of tests and
// headless runs) nobody could answer a box, so its text goes to stderr and
// the box counts as answered: OK, or No for a question.
class CQtMessageBoxes : public MessageBoxPort {
 public:
  void ShowError(const std::string& text) override;
  void ShowInfo(const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

  static bool HasDisplay();
};
