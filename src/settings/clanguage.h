#pragma once

#include <string>

#include "core/messageboxport.h"
#include "core/textlookup.h"
#include "core/xmldocument.h"

// The optional translation of the user interface. The file's root element
// holds one section per language, each carrying its name in the attribute
// "language"; the texts come from the first section only, one child element
// per key, for example:
//
//   <languages>
//     <section language="Svenska"><Remove>Ta bort</Remove></section>
//   </languages>
//
// Anything the file does not translate, or translates in a shape this does
// not understand, stays English, so a broken translation never stops the
// program.
class CLanguage {
 public:
  static constexpr const char* kDefaultFile = "language.xml";
  static constexpr const char* kFormatError =
      "Found a language file but I can not read it due to format error.";

  // Loads the file at once. No file (or none that can be opened) is the
  // usual case and passes silently; a file that is there but does not parse
  // is worth telling the user about, once, before carrying on in English.
  CLanguage(XmlDocument& document, MessageBoxPort& boxes, const std::string& path = kDefaultFile);
  CLanguage(const CLanguage&) = delete;
  CLanguage& operator=(const CLanguage&) = delete;

  bool IsLoaded() const { return loaded_; }

  // The translation of key in Latin-1, or "" for none.
  std::string Text(const std::string& key) const;

  // The name the section at the root's child node index gives itself, or "".
  std::string LanguageName(int index) const;

  // Text as the windows take it; it refers to this object, which must
  // outlive every copy.
  TextLookup Lookup() const;

 private:
  XmlDocument& document_;
  bool loaded_ = false;
};
