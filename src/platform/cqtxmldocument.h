#pragma once

#include <QDomDocument>

#include "core/xmldocument.h"

// The document as Qt Xml reads it. The raw bytes go to the parser, so the
// encoding named in the XML declaration is honoured (UTF-8 without one).
// Text nodes holding only blanks are dropped while parsing, so indenting
// the file does not add nodes to count in a path.
class CQtXmlDocument : public XmlDocument {
 public:
  bool Load(const std::string& path, std::string& error) override;
  std::optional<XmlPath> ChildElement(const XmlPath& path, const std::string& name) const override;
  std::optional<std::string> Text(const XmlPath& path) const override;
  std::optional<std::string> Attribute(const XmlPath& path, const std::string& name) const override;

 private:
  // A null element when the path leads nowhere or to another kind of node.
  QDomElement ElementAt(const XmlPath& path) const;

  QDomDocument document_;
};
