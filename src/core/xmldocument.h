#pragma once

#include <optional>
#include <string>
#include <vector>

// Where a node sits in a loaded document: the child-node indices leading down
// from the root element, counting every kind of node (comments and text as
// well as elements), so a path is a plain value that stays meaningful as long
// as the document does. The empty path is the root element itself.
using XmlPath = std::vector<int>;

// A read-only XML document. Every text crossing this interface, names
// included, is the program's 8-bit Latin-1; a character of the file outside
// Latin-1 comes out as "?".
class XmlDocument {
 public:
  virtual ~XmlDocument() = default;

  // Replaces whatever was loaded before. False, with the reason in error and
  // nothing loaded, when the file cannot be read or is not well-formed XML.
  virtual bool Load(const std::string& path, std::string& error) = 0;

  // The path of the first child element of the element at path whose name
  // is exactly name; nullopt when there is none or path is not an element.
  virtual std::optional<XmlPath> ChildElement(const XmlPath& path, const std::string& name) const = 0;

  // The content of the element at path when it is text and nothing else;
  // nullopt for an empty element, one holding elements or comments, or a
  // path that is not an element.
  virtual std::optional<std::string> Text(const XmlPath& path) const = 0;

  // The value of the element's attribute name; nullopt when the attribute is
  // missing or path is not an element.
  virtual std::optional<std::string> Attribute(const XmlPath& path, const std::string& name) const = 0;
};
