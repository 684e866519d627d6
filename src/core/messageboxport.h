#pragma once

#include <string>

// The program's message boxes: an error box titled "Ondrel Error", an
// information box titled "Ondrel Info" or with a title of its own, and a
// Yes/No question. Each blocks its caller until answered; tests answer them
// at once.
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowInfo(const std::string& text) = 0;
  virtual void ShowTitledInfo(const std::string& title, const std::string& text) = 0;
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
};
