#pragma once

#include <QFont>
#include <QString>

#include "core/textlookup.h"
#include "ui/latin1.h"

// The dialogs are laid out to the pixel, for an 11-pixel text, as the main
// window is.
inline QFont DialogFont() {
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  // Set, not inherited: a control inside a bold group box stays plain.
  font.setBold(false);
  return font;
}

// A translated text for a control, or its built-in one.
inline QString Translated(const TextLookup& texts, const std::string& key, const QString& english) {
  return FromLatin1(TextOr(texts, key, ToLatin1(english)));
}
