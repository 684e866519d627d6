#include "settings/clog.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <ctime>
#include <utility>

#include "core/settingnames.h"
#include "settings/cparams.h"

namespace {

std::string FormatNow(const char* format, const std::tm& now) {
  std::array<char, 128> text{};
  const std::size_t length = std::strftime(text.data(), text.size(), format, &now);
  return std::string(text.data(), length);
}

}  // namespace

std::string CLog::LocaleTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatNow("%x", local) + " " + FormatNow("%X", local);
}

CLog::CLog(CParams& params, std::filesystem::path directory, Timestamp timestamp)
    : params_(params), file_(std::move(directory) / kFileName), timestamp_(std::move(timestamp)) {}

void CLog::Write(std::string_view text, std::string_view detail) {
  if (params_.GetInt(setting::kLog) == 0) return;

  std::string line = timestamp_();
  line.append(" ").append(text).append(": ").append(detail).append("\r\n");

  // O_APPEND and a single write keep a line whole against other writers of
  // the file; the lock keeps this program's two threads from interleaving.
  std::lock_guard lock(writing_);
  const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
}
