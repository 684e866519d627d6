#include "settings/clanguage.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// The document reports "can not read" and "malformed" alike, but only the
// second deserves a message, so readability is settled here first. Only a
// regular file counts: a directory or a pipe of that name is no language
// file, and reading a pipe could block start-up.
bool Readable(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  return std::ifstream(path, std::ios::binary).is_open();
}

}  // namespace

CLanguage::CLanguage(XmlDocument& document, MessageBoxPort& boxes, const std::string& path)
    : document_(document) {
  if (!Readable(path)) return;
  std::string error;
  loaded_ = document_.Load(path, error);
  if (!loaded_) boxes.ShowError(kFormatError);
}

std::string CLanguage::Text(const std::string& key) const {
  if (!loaded_) return "";
  const auto element = document_.ChildElement({0}, key);
  if (!element) return "";
  return document_.Text(*element).value_or("");
}

std::string CLanguage::LanguageName(int index) const {
  if (!loaded_) return "";
  return document_.Attribute({index}, "language").value_or("");
}

TextLookup CLanguage::Lookup() const {
  return [this](const std::string& key) { return Text(key); };
}
