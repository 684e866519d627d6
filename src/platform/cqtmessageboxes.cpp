#include "platform/cqtmessageboxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

// Texts are 8-bit Latin-1 throughout the program.
QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

}  // namespace

CQtMessageBoxes::CQtMessageBoxes()
    : stderrLines_([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }) {}

void CQtMessageBoxes::Report(const std::string& title, const std::string& text) {
  stderrLines_.Line(title + ": " + text);
}

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

void CQtMessageBoxes::ShowTitledInfo(const std::string& title, const std::string& text) {
  if (!HasDisplay()) return Report(title, text);
  QMessageBox::information(nullptr, FromLatin1(title), FromLatin1(text));
}

bool CQtMessageBoxes::AskYesNo(const std::string& title, const std::string& text) {
  if (!HasDisplay()) {
    Report(title, text);
    return false;
  }
  return QMessageBox::question(nullptr, FromLatin1(title), FromLatin1(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
