#pragma once

#include <QString>
#include <string>

// The program's texts are 8-bit Latin-1; only the screen shows Unicode. A
// character outside Latin-1 typed into a field becomes "?".
inline QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

inline std::string ToLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}
