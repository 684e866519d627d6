#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ccommandline.h"
#include "app/cprogram.h"
#include "platform/cinstancelock.h"
#include "platform/csignalwatcher.h"
#include "platform/remotecontrolchannel.h"
#include "ui/dlgmain.h"

namespace {

// `ondrel --command N [TEXT]`: prints the running copy's 0/1 answer; exits 0
// when it accepted, 1 when it refused, 2 when no copy runs.
int SendRemoteCommand(int argc, char** argv, const CCommandLine& commandLine) {
  QCoreApplication app(argc, argv);
  const auto answer =
      remotecontrol::SendCommand(commandLine.configDir, commandLine.commandNumber, commandLine.commandText);
  if (!answer) {
    std::fprintf(stderr, "ondrel: no running copy of Ondrel for %s\n", commandLine.configDir.c_str());
    return 2;
  }
  std::printf("%d\n", *answer ? 1 : 0);
  return *answer ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto commandLine = CCommandLine::Parse(args, error);
  if (!commandLine) {
    std::fprintf(stderr, "ondrel: %s\n%s", error.c_str(), CCommandLine::kUsage);
    return 2;
  }
  if (commandLine->showHelp) {
    std::fputs(CCommandLine::kUsage, stdout);
    return 0;
  }
  if (commandLine->showVersion) {
    std::printf("%s\n", TDlg::kVersion);
    return 0;
  }

  if (commandLine->sendCommand) return SendRemoteCommand(argc, argv, *commandLine);

  std::error_code ec;
  std::filesystem::create_directories(commandLine->configDir, ec);
  CInstanceLock lock(commandLine->configDir);
  if (!lock.Acquired()) {
    if (lock.HeldElsewhere()) return 0;  // another copy runs for this directory
    std::fprintf(stderr, "ondrel: cannot use the config directory %s\n", commandLine->configDir.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // The desktop ties the windows to the desktop entry and its icon by these.
  QApplication::setApplicationName("ondrel");
  QGuiApplication::setDesktopFileName(CProgram::kAppId);
  // The program's own resources live in a static library: registered here.
  Q_INIT_RESOURCE(resources);
  QApplication::setWindowIcon(QIcon(":/icons/org.ondrel.Ondrel.svg"));
  CProgram program(*commandLine);
  // Caught from here on; served once the event loop runs, so a signal that
  // comes during start-up still quits in order.
  CSignalWatcher quitOnSignal([&program] { program.RequestQuit(); });
  if (!program.FormCreate()) return 1;
  program.Window().show();
  program.FormShow();
  const int result = QApplication::exec();
  program.FormClose();
  return result;
}
