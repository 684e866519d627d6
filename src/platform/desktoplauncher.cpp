#include "platform/desktoplauncher.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace desktoplauncher {

bool StartDetached(const std::string& path) {
  // Absolute, since the program is looked for after the change of folder.
  const QFileInfo program(QFile::decodeName(path.c_str()));
  return QProcess::startDetached(program.absoluteFilePath(), {}, program.absolutePath());
}

bool Open(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

}  // namespace desktoplauncher
