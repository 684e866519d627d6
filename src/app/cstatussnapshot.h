#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <string>

struct CAppState;
class CAudioPaths;
class CCallReport;
class CClients;
class CContacts;
class TDlg;

// A plain-text picture of what the window shows (clients with their
// presence marks, lines with state, peer and name), kept in a file for
// scripts and end-to-end tests that drive the program from outside. Only
// active when ONDREL_STATUS_FILE names the file.
class CStatusSnapshot : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIntervalMs = 20;

  struct Parts {
    const CAppState& state;
    const TDlg& window;
    const CContacts& contacts;
    const CClients& lines;
    const CCallReport& callReport;
    const CAudioPaths& audio;
  };

  CStatusSnapshot(const Parts& parts, std::filesystem::path file);

  // The file named by the environment, or none.
  static std::filesystem::path FileFromEnvironment();

  std::string Text() const;

 private:
  void Write();

  Parts parts_;
  std::filesystem::path file_;
  std::string written_;
  QTimer timer_;
};
