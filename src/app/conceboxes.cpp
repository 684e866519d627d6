#include "app/conceboxes.h"

bool COneBoxAtATime::Open(Kind kind, const std::string& text) {
  if (open_[kind]) {
    ++repeats_[kind][text];
    return false;
  }
  open_[kind] = true;
  return true;
}

void COneBoxAtATime::Closed(Kind kind) {
  open_[kind] = false;
  for (const auto& [text, count] : repeats_[kind]) {
    if (log_) log_(text, std::to_string(count) + " more while one was open");
  }
  repeats_[kind].clear();
}

void COneBoxAtATime::ShowError(const std::string& text) {
  if (!Open(kError, text)) return;
  boxes_.ShowError(text);
  Closed(kError);
}

void COneBoxAtATime::ShowInfo(const std::string& text) {
  if (!Open(kInfo, text)) return;
  boxes_.ShowInfo(text);
  Closed(kInfo);
}

void COneBoxAtATime::ShowTitledInfo(const std::string& title, const std::string& text) {
  if (!Open(kInfo, text)) return;
  boxes_.ShowTitledInfo(title, text);
  Closed(kInfo);
}

bool COneBoxAtATime::AskYesNo(const std::string& title, const std::string& text) {
  if (!Open(kQuestion, text)) return false;
  const bool yes = boxes_.AskYesNo(title, text);
  Closed(kQuestion);
  return yes;
}
