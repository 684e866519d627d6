// Arbitrary bytes as the settings file: the loader takes what it can, never
// reads past a line or a value, and what it took is saved and loaded again
// unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/cinikeystore.h"
#include "settings/cparams.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

const char* const kNames[] = {"netPort", "SndType", "userName", "Key", "AutoCallOutIp", "ringerFile", "FilterBpQ"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("ondrel-fuzz-settings-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "ondrel.conf";
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                               static_cast<std::streamsize>(size));
  std::string values[std::size(kNames)];
  std::size_t clients = 0;
  {
    CIniKeyStore store(file);
    CParams params(store);
    params.Load();
    for (std::size_t i = 0; i < std::size(kNames); ++i) params.GetString(kNames[i], values[i]);
    params.GetInt("netPort");
    clients = params.ClientCount();
    params.Save();
    params.SaveClients();
  }
  CIniKeyStore again(file);
  CParams reloaded(again);
  reloaded.Load();
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    std::string value;
    reloaded.GetString(kNames[i], value);
    Check(value == values[i]);
  }
  Check(reloaded.ClientCount() == clients);
  return 0;
}
