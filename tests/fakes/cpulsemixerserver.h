#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// A private PulseAudio server with one null sink, for tests of real audio
// and mixer code. It lives in its own runtime directory, which this process's
// environment points at (XDG_RUNTIME_DIR, PULSE_SINK, PULSE_SOURCE) until the
// object goes; the previous environment is restored then. Clients never
// autospawn a server of their own, so a test that stops this one sees it gone.
// The server is this process's child and is told to end when the test
// process dies, so a crashed or halted test leaves no server behind.
class CPulseMixerServer {
 public:
  static constexpr const char* kSink = "t_spk";

  CPulseMixerServer() : dir_(UniqueDirectory()) {
    pulseaudio_ = FindProgram("pulseaudio");
    pactl_ = FindProgram("pactl");
    if (pulseaudio_.empty() || pactl_.empty()) {
      problem_ = "pulseaudio or pactl is not installed (Debian: pulseaudio pulseaudio-utils)";
      return;
    }
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "client.conf") << "autospawn = no\n";
    SetEnv("XDG_RUNTIME_DIR", dir_.string());
    SetEnv("PULSE_SINK", kSink);
    SetEnv("PULSE_SOURCE", std::string(kSink) + ".monitor");
    SetEnv("PULSE_CLIENTCONFIG", (dir_ / "client.conf").string());
    SetEnv("PULSE_SERVER", std::nullopt);
    Start();
    if (pid_ < 0) {
      problem_ = "pulseaudio could not be started";
    } else if (!WaitFor([this] { return Ended() || Pactl("info", nullptr); }) || Ended()) {
      problem_ = "pulseaudio did not come up: " + Contents(dir_ / "server.log");
    }
  }

  ~CPulseMixerServer() {
    Stop();
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  CPulseMixerServer(const CPulseMixerServer&) = delete;
  CPulseMixerServer& operator=(const CPulseMixerServer&) = delete;

  static bool Installed() { return !FindProgram("pulseaudio").empty() && !FindProgram("pactl").empty(); }
  bool Running() const { return problem_.empty(); }
  const std::string& Problem() const { return problem_; }

  // Ends the server and waits until it is gone.
  void Stop() {
    if (pid_ < 0) return;
    ::kill(pid_, SIGTERM);
    if (!WaitFor([this] { return Ended(); })) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

  // Runs "pactl <arguments>"; false when it fails. output, if given, gets what it printed.
  bool Pactl(const std::string& arguments, std::string* output) const {
    const std::string command = Quote(pactl_) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    std::string text;
    std::array<char, 256> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) text += chunk.data();
    const int status = ::pclose(pipe);
    if (output != nullptr) *output = text;
    return status == 0;
  }

  // The sink's volume of its first channel in PulseAudio's units (65536 = 100%).
  std::optional<long> SinkVolume() const {
    std::string text;
    if (!Pactl(std::string("get-sink-volume ") + kSink, &text)) return std::nullopt;
    const auto colon = text.find(':', text.find("front-left"));
    if (colon == std::string::npos) return std::nullopt;
    return std::strtol(text.c_str() + colon + 1, nullptr, 10);
  }
  std::optional<bool> SinkMuted() const {
    std::string text;
    if (!Pactl(std::string("get-sink-mute ") + kSink, &text)) return std::nullopt;
    return text.find("yes") != std::string::npos;
  }

  // Polls until done() holds; false after a generous bound.
  static bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  static std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
      const std::filesystem::path candidate = std::filesystem::path(dir) / name;
      if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return "";
  }

 private:
  // Short, because the server's socket path must fit a sockaddr_un.
  static std::filesystem::path UniqueDirectory() {
    static int count = 0;
    return std::filesystem::temp_directory_path() /
           ("ondrel-pa-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
  }

  static std::string Quote(const std::string& text) { return "'" + text + "'"; }

  static std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  void Start() {
    std::vector<std::string> args = {pulseaudio_,
                                     "-n",
                                     "--daemonize=no",
                                     "--use-pid-file=no",
                                     "--exit-idle-time=-1",
                                     "--disallow-exit",
                                     "--load=module-native-protocol-unix",
                                     std::string("--load=module-null-sink sink_name=") + kSink};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string log = (dir_ / "server.log").string();
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ != 0) return;
    // Only async-signal-safe calls between fork and exec.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }

  // Reaps the server once it has ended.
  bool Ended() {
    if (pid_ < 0) return true;
    const pid_t reaped = ::waitpid(pid_, nullptr, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR)) return false;
    pid_ = -1;
    return true;
  }

  void SetEnv(const std::string& name, const std::optional<std::string>& value) {
    if (saved_.count(name) == 0) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }

  std::filesystem::path dir_;
  std::string pulseaudio_;
  std::string pactl_;
  std::string problem_;
  pid_t pid_ = -1;
  std::map<std::string, std::optional<std::string>> saved_;
};
