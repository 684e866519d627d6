#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the program was started with:
//   ondrel [--config-dir DIR] [--bind ADDRESS]
//   ondrel --command N [TEXT] [--config-dir DIR]
struct CCommandLine {
  std::filesystem::path configDir;
  uint32_t bindAddress = 0;  // network order; 0 binds all local addresses
  std::string bindText;
  bool sendCommand = false;
  int commandNumber = 0;
  std::string commandText;

  // nullopt and a message in error when the arguments do not parse.
  static std::optional<CCommandLine> Parse(const std::vector<std::string>& args, std::string& error);
  // --config-dir, else $XDG_CONFIG_HOME/ondrel, else ~/.config/ondrel.
  static std::filesystem::path DefaultConfigDir();
};
