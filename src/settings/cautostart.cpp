#include "settings/cautostart.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "core/boundedtext.h"
#include "core/settingnames.h"
#include "settings/clog.h"
#include "settings/cparams.h"

namespace {

// A script's "#!" or the magic number of an ELF binary.
bool BeginsAsProgram(const std::string& path) {
  static constexpr char kElf[] = {'\x7f', 'E', 'L', 'F'};
  std::array<char, sizeof kElf> head{};
  std::ifstream in(path, std::ios::binary);
  in.read(head.data(), head.size());
  const std::string_view start(head.data(), static_cast<std::size_t>(in.gcount()));
  return start.starts_with("#!") || start == std::string_view(kElf, sizeof kElf);
}

}  // namespace

CAutostart::CAutostart(CParams& params, CLog& log, Launchers launchers)
    : params_(params), log_(log), launchers_(std::move(launchers)) {}

bool CAutostart::IsProgram(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored) && ::access(path.c_str(), X_OK) == 0 &&
         BeginsAsProgram(path);
}

void CAutostart::Run() {
  std::string file;
  if (!params_.GetString(setting::kAutoStartFile, file)) return;
  file = BoundedText(file, kMaxPathChars);
  if (::access(file.c_str(), R_OK) != 0) {
    log_.Write("Auto start file not found", file);
    return;
  }
  const Launch& launch = IsProgram(file) ? launchers_.start : launchers_.open;
  if (!launch || !launch(file)) log_.Write("Auto start failed", file);
}
