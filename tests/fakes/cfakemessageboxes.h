#pragma once

#include <string>
#include <vector>

#include "platform/messageboxport.h"

// Records every box and answers each question with the preset answer.
class CFakeMessageBoxes : public MessageBoxPort {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowInfo(const std::string& text) override { infos.push_back(text); }
  bool AskYesNo(const std::string&, const std::string& text) override {
    questions.push_back(text);
    return answer;
  }

  std::vector<std::string> errors;
  std::vector<std::string> infos;
  std::vector<std::string> questions;
  bool answer = true;
};
