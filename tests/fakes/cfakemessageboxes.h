#pragma once

#include <string>
#include <vector>

#include "core/messageboxport.h"

// Records every box instead of showing it; questions get the answer the
// test has set.
class CFakeMessageBoxes : public MessageBoxPort {
 public:
  struct Question {
    std::string title;
    std::string text;
  };

  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowInfo(const std::string& text) override { infos.push_back(text); }
  void ShowTitledInfo(const std::string& title, const std::string& text) override {
    titledInfos.push_back({title, text});
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    questions.push_back({title, text});
    return answer;
  }

  bool answer = false;
  std::vector<std::string> errors;
  std::vector<std::string> infos;
  std::vector<Question> titledInfos;  // a title and a text, as a question has
  std::vector<Question> questions;
};
