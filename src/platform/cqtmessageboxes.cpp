#include "platform/cqtmessageboxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

// Texts are 8-bit Latin-1 throughout the program.
QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

void Report(const char* title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title, text.c_str());
}

}  // namespace

bool CQtMessageBoxes::HasDisplay() {
  if (!QGuiApplication::instance()) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

void CQtMessageBoxes::ShowError(const std::string& text) {
  if (!HasDisplay()) return Report("Ondrel Error", text);
  QMessageBox::critical(nullptr, "Ondrel Error", FromLatin1(text));
}

void CQtMessageBoxes::ShowInfo(const std::string& text) {
  if (!HasDisplay()) return Report("Ondrel Info", text);
  QMessageBox::information(nullptr, "Ondrel Info", FromLatin1(text));
}

bool CQtMessageBoxes::AskYesNo(const std::string& title, const std::string& text) {
  if (!HasDisplay()) {
    Report(title.c_str(), text);
    return false;
  }
  return QMessageBox::question(nullptr, FromLatin1(title), FromLatin1(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
