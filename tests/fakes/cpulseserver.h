#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/cchildprocess.h"

// A private PulseAudio server for one test, so real audio can flow without
// a sound card and without touching the user's own sound server.
//
// It runs from a fresh directory with one null sink per name given; whatever
// is played to sink "x" can be recorded from source "x.monitor". While the
// object lives, this process's PULSE_SERVER points at the server (and so do
// the PortAudio ALSA devices "pulse" and "default", provided PortAudio starts
// after the server), PULSE_SINK names the default sink and PULSE_SOURCE the
// default source. The server and every helper it started end with the object.
class CPulseServer {
 public:
  CPulseServer(const std::vector<std::string>& sinks, const std::string& defaultSource) {
    std::string pattern = ::testing::TempDir() + "ondrel-pulse-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      error_ = "cannot make a directory for the sound server";
      return;
    }
    dir_ = pattern;
    for (const char* sub : {"run", "home", "config"}) std::filesystem::create_directory(dir_ / sub);
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    const std::string socket = (dir_ / "native").string();

    std::vector<std::string> argv = {"pulseaudio",          "-n",
                                     "--daemonize=no",      "--system=no",
                                     "--exit-idle-time=-1", "--disallow-exit",
                                     "--realtime=no",       "--high-priority=no",
                                     "--use-pid-file=no",   "--log-target=stderr"};
    // The sinks come first: once the socket answers, they exist.
    // Each sink is described by its own name, so device lists tell them apart.
    for (const std::string& sink : sinks)
      argv.push_back("--load=module-null-sink sink_name=" + sink + " sink_properties=device.description=" + sink);
    argv.push_back("--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket);
    server_ = std::make_unique<CChildProcess>(argv, (dir_ / "server.log").string(),
                                              std::map<std::string, std::string>{
                                                  {"HOME", (dir_ / "home").string()},
                                                  {"XDG_RUNTIME_DIR", (dir_ / "run").string()},
                                                  {"XDG_CONFIG_HOME", (dir_ / "config").string()},
                                              });
    if (!WaitForSocket(socket)) {
      server_->Stop(SIGTERM);
      error_ = "the PulseAudio server did not start; its log:\n" + Log();
      return;
    }
    SetEnv("PULSE_SERVER", "unix:" + socket);
    if (!sinks.empty()) SetEnv("PULSE_SINK", sinks.front());
    SetEnv("PULSE_SOURCE", defaultSource);
  }

  ~CPulseServer() {
    helpers_.clear();
    if (server_) server_->Stop(SIGTERM);
    for (const auto& [name, value] : savedEnv_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  CPulseServer(const CPulseServer&) = delete;
  CPulseServer& operator=(const CPulseServer&) = delete;

  // Empty when the server runs; else why not.
  const std::string& Error() const { return error_; }
  const std::filesystem::path& Directory() const { return dir_; }

  // Starts recording source as raw 16-bit mono samples at rate into file;
  // the recording goes on until StopHelpers() or the end of the object.
  void Record(const std::string& source, int rate, const std::filesystem::path& file) {
    StartHelper({"parec", "--device=" + source, "--format=s16le", "--rate=" + std::to_string(rate),
                 "--channels=1", "--latency-msec=20"},
                file);
  }
  // Starts playing a sound file to sink.
  void Play(const std::string& sink, const std::filesystem::path& file) {
    StartHelper({"paplay", "--device=" + sink, file.string()}, dir_ / "paplay.log");
  }
  void StopHelpers() {
    for (auto& helper : helpers_) helper->Stop(SIGINT);
    helpers_.clear();
  }

  // The samples recorded so far into a file of Record.
  static std::vector<int16_t> Samples(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return samples;
  }

 private:
  bool WaitForSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    for (int i = 0; i < 400 && server_->Running(); ++i) {
      const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const bool up = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
      close(fd);
      if (up) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  void StartHelper(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    helpers_.push_back(std::make_unique<CChildProcess>(argv, output.string()));
  }

  void SetEnv(const std::string& name, const std::string& value) {
    if (!savedEnv_.count(name)) {
      const char* old = getenv(name.c_str());
      savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }

  std::string Log() const {
    std::ifstream in(dir_ / "server.log");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path dir_;
  std::string error_;
  std::unique_ptr<CChildProcess> server_;
  std::vector<std::unique_ptr<CChildProcess>> helpers_;
  std::map<std::string, std::optional<std::string>> savedEnv_;
};
