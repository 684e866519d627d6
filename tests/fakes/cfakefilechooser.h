#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/filechooser.h"

// Answers each chooser with the next queued path (nullopt: the user
// cancelled) and keeps what was asked.
class CFakeFileChooser : public FileChooser {
 public:
  std::optional<std::string> Choose(const Request& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<std::optional<std::string>> answers;
  std::vector<Request> requests;
};
