#include "ui/qtfilechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

CQtFileChooser::CQtFileChooser(std::function<std::string()> loadFolder,
                               std::function<void(const std::string&)> storeFolder, QWidget* parent)
    : loadFolder_(std::move(loadFolder)), storeFolder_(std::move(storeFolder)), parent_(parent) {}

QString CQtFileChooser::StartPath(const Request& request) const {
  // Paths are the file system's bytes, not Latin-1 texts.
  const QString chosen = QString::fromLocal8Bit(request.startName.c_str());
  if (!chosen.isEmpty() && QFileInfo(chosen).isAbsolute()) return chosen;
  const QString folder = loadFolder_ ? QString::fromLocal8Bit(loadFolder_().c_str()) : QString();
  const QString start = !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
  return chosen.isEmpty() ? start : QDir(start).filePath(chosen);
}

std::optional<std::string> CQtFileChooser::Choose(const Request& request) {
  QFileDialog dialog(parent_, QString::fromLocal8Bit(request.title.c_str()), StartPath(request));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.filter.empty()) dialog.setNameFilter(QString::fromLocal8Bit(request.filter.c_str()));
  if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultSuffix.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString file = dialog.selectedFiles().first();
  if (storeFolder_) storeFolder_(QFileInfo(file).absolutePath().toLocal8Bit().toStdString());
  return file.toLocal8Bit().toStdString();
}
