#include "platform/cqtxmldocument.h"

#include <QFile>

namespace {

QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Per character rather than QString::toLatin1, which is loose about what
// it makes of characters beyond Latin-1 and would turn one outside the
// Basic Multilingual Plane (two UTF-16 units) into two question marks.
std::string ToLatin1(const QString& text) {
  std::string out;
  for (const char32_t code : text.toUcs4()) out += code <= 0xFF ? static_cast<char>(code) : '?';
  return out;
}

}  // namespace

bool CQtXmlDocument::Load(const std::string& path, std::string& error) {
  document_.clear();
  // The path is handed to the file system as the bytes it is.
  QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!file.open(QIODevice::ReadOnly)) {
    error = "can not open " + path + ": " + ToLatin1(file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = "can not read " + path + ": " + ToLatin1(file.errorString());
    return false;
  }
  QString message;
  int line = 0;
  int column = 0;
  if (!document_.setContent(bytes, &message, &line, &column)) {
    document_.clear();
    error = path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + ToLatin1(message);
    return false;
  }
  return true;
}

QDomElement CQtXmlDocument::ElementAt(const XmlPath& path) const {
  QDomNode node = document_.documentElement();
  for (const int index : path) {
    // QDomNodeList::at does not guard against a negative index.
    const QDomNodeList children = node.childNodes();
    if (index < 0 || index >= children.size()) return {};
    node = children.at(index);
  }
  return node.toElement();
}

std::optional<XmlPath> CQtXmlDocument::ChildElement(const XmlPath& path, const std::string& name) const {
  const QDomElement element = ElementAt(path);
  const QString wanted = FromLatin1(name);
  int index = 0;
  for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling(), ++index) {
    if (child.isElement() && child.toElement().tagName() == wanted) {
      XmlPath found = path;
      found.push_back(index);
      return found;
    }
  }
  return std::nullopt;
}

std::optional<std::string> CQtXmlDocument::Text(const XmlPath& path) const {
  const QDomElement element = ElementAt(path);
  if (element.isNull() || !element.hasChildNodes()) return std::nullopt;
  // The parser may hand one run of text over in pieces (around a character
  // reference or a CDATA section), so every piece counts as part of it.
  QString text;
  for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
    if (!child.isText()) return std::nullopt;
    text += child.toText().data();
  }
  return ToLatin1(text);
}

std::optional<std::string> CQtXmlDocument::Attribute(const XmlPath& path, const std::string& name) const {
  const QDomElement element = ElementAt(path);
  const QString attribute = FromLatin1(name);
  if (element.isNull() || !element.hasAttribute(attribute)) return std::nullopt;
  return ToLatin1(element.attribute(attribute));
}
