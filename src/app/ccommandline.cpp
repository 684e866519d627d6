#include "app/ccommandline.h"

#include <cstdlib>

#include "net/transport.h"
#include "core/decimaltext.h"

std::filesystem::path CCommandLine::DefaultConfigDir() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "ondrel";
  if (const char* home = std::getenv("HOME"); home && *home) {
    return std::filesystem::path(home) / ".config" / "ondrel";
  }
  return std::filesystem::current_path() / ".ondrel";
}

std::optional<CCommandLine> CCommandLine::Parse(const std::vector<std::string>& args, std::string& error) {
  CCommandLine line;
  std::vector<std::string> loose;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      line.showHelp = true;
    } else if (arg == "--version") {
      line.showVersion = true;
    } else if (arg == "--config-dir") {
      if (!hasValue) return error = "--config-dir needs a directory", std::nullopt;
      line.configDir = args[++i];
    } else if (arg == "--bind") {
      if (!hasValue) return error = "--bind needs an IPv4 or IPv6 address", std::nullopt;
      line.bindText = args[++i];
      line.bindAddress = NetAddress::Parse(line.bindText);
      if (line.bindAddress.IsNone() || line.bindAddress.IsUnspecified())
        return error = "--bind: not an IPv4 or IPv6 address: " + line.bindText, std::nullopt;
    } else if (arg == "--command") {
      if (!hasValue || !IsDecimalInteger(args[i + 1])) {
        return error = "--command needs a command number", std::nullopt;
      }
      line.sendCommand = true;
      line.commandNumber = DecimalToInt(args[++i]);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return error = "unknown option: " + arg, std::nullopt;
    } else {
      loose.push_back(arg);
    }
  }
  if (line.sendCommand && loose.size() <= 1) {
    line.commandText = loose.empty() ? "" : loose.front();
  } else if (!loose.empty()) {
    return error = "unexpected argument: " + loose.front(), std::nullopt;
  }
  if (line.sendCommand && !line.bindText.empty())
    return error = "--bind does not go with --command", std::nullopt;
  if (line.configDir.empty()) line.configDir = DefaultConfigDir();
  return line;
}
