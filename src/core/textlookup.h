#pragma once

#include <functional>
#include <string>

// How the lower layers ask for a translated text without knowing where the
// translations come from: the text for a key, or "" when there is none.
using TextLookup = std::function<std::string(const std::string& key)>;

// A missing lookup, a missing key and an empty translation all keep the
// built-in English text, so a partial translation is always usable.
inline std::string TextOr(const TextLookup& lookup, const std::string& key, const std::string& english) {
  if (!lookup) return english;
  std::string text = lookup(key);
  return text.empty() ? english : text;
}
