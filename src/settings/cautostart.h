#pragma once

#include <functional>
#include <string>

class CLog;
class CParams;

// Brings the file of the user's choice ("AutoStartFile") up once at
// start-up, so that a companion program or a document comes with the phone:
// a program is started on its own, anything else goes to the desktop to open.
class CAutostart {
 public:
  // Each takes the file's path and tells whether it worked.
  using Launch = std::function<bool(const std::string& path)>;
  struct Launchers {
    Launch start;  // runs a program detached, in the program's own folder
    Launch open;   // hands a file to the desktop's handler for its type
  };
  static constexpr std::size_t kMaxPathChars = 255;

  CAutostart(CParams& params, CLog& log, Launchers launchers);

  // Start-up goes on whatever happens; a failure is a line of the connection
  // log and nothing more.
  void Run();

  // A regular file the user may run that begins as a script or an ELF binary
  // does. Files on foreign file systems often carry execute permission
  // without being programs, and those are better opened than run.
  static bool IsProgram(const std::string& path);

 private:
  CParams& params_;
  CLog& log_;
  Launchers launchers_;
};
