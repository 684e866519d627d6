#pragma once

#include <QString>
#include <functional>

#include "ui/filechooser.h"

class QWidget;

// Qt's file dialog (the desktop's own through its portal where there is
// one). Each chooser starts in the folder the last one ended in, which the
// program keeps between runs through the two hooks.
class CQtFileChooser : public FileChooser {
 public:
  CQtFileChooser(std::function<std::string()> loadFolder, std::function<void(const std::string&)> storeFolder,
                 QWidget* parent = nullptr);

  std::optional<std::string> Choose(const Request& request) override;

 private:
  QString StartPath(const Request& request) const;

  std::function<std::string()> loadFolder_;
  std::function<void(const std::string&)> storeFolder_;
  QWidget* parent_;
};
