#pragma once

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// A helper program that a test starts and ends itself. It gets the test's
// environment with a few names overridden, writes its output to a file,
// and dies with the test even when the test crashes, so no server is left
// running behind a failed run.
class CChildProcess {
 public:
  CChildProcess(const std::vector<std::string>& argv, const std::string& outputFile,
                const std::map<std::string, std::string>& environment = {}) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (!environment.count(text.substr(0, text.find('=')))) env.push_back(text);
    }
    for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ != 0) return;
    // Only calls that are safe between fork and exec from here on.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
    }
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
  }
  ~CChildProcess() { Stop(SIGTERM); }
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  bool Running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }

  // Sends the signal, waits for the end (killing it after a generous grace)
  // and gives the wait status.
  int Stop(int signal) {
    if (!Running()) return status_;
    kill(pid_, signal);
    for (int i = 0; i < 200 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (Running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      pid_ = -1;
    }
    return status_;
  }

 private:
  static std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
  }

  pid_t pid_ = -1;
  int status_ = 0;
};
