#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class CParams;

// The connection log: one line per call event appended to "ondrel-log.txt",
// while the setting "log" is on. The file is opened and closed for every
// line, so the user may read, move or delete it at any time between lines.
class CLog {
 public:
  static constexpr const char* kFileName = "ondrel-log.txt";

  // The date and time a line begins with, separated by one space.
  using Timestamp = std::function<std::string()>;

  // The user's short date and long time as the C library's locale gives them.
  static std::string LocaleTimestamp();

  // An empty directory means the working directory at the time of each line.
  explicit CLog(CParams& params, std::filesystem::path directory = {}, Timestamp timestamp = LocaleTimestamp);
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // Called on the main thread and the receive thread, never from an audio
  // callback. A line that cannot be written is lost without a word.
  void Write(std::string_view text, std::string_view detail);

 private:
  CParams& params_;
  const std::filesystem::path file_;
  const Timestamp timestamp_;
  std::mutex writing_;
};
