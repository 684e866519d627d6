#pragma once

#include <string>

class QWidget;
class SettingsStore;

// Where a dialog stands between runs: put back at its first showing where
// the user left it, if that is on the screen, else in the middle.
class CDialogPosition {
 public:
  CDialogPosition(SettingsStore& settings, std::string xSetting, std::string ySetting)
      : settings_(settings), xSetting_(std::move(xSetting)), ySetting_(std::move(ySetting)) {}

  // Once, at the first showing; later calls do nothing.
  void Restore(QWidget& dialog);
  // At quitting: only a position that was restored and lies on the screen.
  void Store(const QWidget& dialog);

 private:
  SettingsStore& settings_;
  std::string xSetting_;
  std::string ySetting_;
  bool restored_ = false;
};
