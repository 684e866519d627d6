#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/netaddress.h"

// What the program was started with:
//   ondrel [--config-dir DIR] [--bind ADDRESS]
//   ondrel --command N [TEXT] [--config-dir DIR]
//   ondrel --help | --version
struct CCommandLine {
  static constexpr const char* kUsage =
      "Usage: ondrel [--config-dir DIR] [--bind ADDRESS]\n"
      "       ondrel --command N [TEXT] [--config-dir DIR]\n"
      "       ondrel --help | --version\n"
      "\n"
      "A serverless voice phone: calls other computers directly over UDP.\n"
      "\n"
      "  --config-dir DIR   settings in DIR (default $XDG_CONFIG_HOME/ondrel or ~/.config/ondrel)\n"
      "  --bind ADDRESS     answer on this local IPv4 or IPv6 address only\n"
      "  --command N [TEXT] send a command to the running copy and print its answer (1 or 0):\n"
      "                     1 show TEXT, 2 call the address TEXT, 3 hang up, 4 quit,\n"
      "                     5 use the UDP port TEXT from the next start, 6 switch to sound type TEXT\n"
      "  --help             show this text\n"
      "  --version          show the version\n"
      "\n"
      "Exit status: 0 done, 1 refused or failed to start, 2 bad arguments or no running copy.\n";

  bool showHelp = false;
  bool showVersion = false;
  std::filesystem::path configDir;
  NetAddress bindAddress;  // none binds all local addresses
  std::string bindText;
  bool sendCommand = false;
  int commandNumber = 0;
  std::string commandText;

  // nullopt and a message in error when the arguments do not parse.
  static std::optional<CCommandLine> Parse(const std::vector<std::string>& args, std::string& error);
  // --config-dir, else $XDG_CONFIG_HOME/ondrel, else ~/.config/ondrel.
  static std::filesystem::path DefaultConfigDir();
};
