#include "platform/alsapluginpin.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <filesystem>

void PinAlsaPlugins() {
  static const bool pinned = [] {
    Dl_info alsa{};
    if (dladdr(reinterpret_cast<void*>(&snd_pcm_open), &alsa) == 0 || !alsa.dli_fname) return false;
    const auto plugin =
        std::filesystem::path(alsa.dli_fname).parent_path() / "alsa-lib" / "libasound_module_pcm_a52.so";
    return dlopen(plugin.c_str(), RTLD_NOW | RTLD_NODELETE) != nullptr;
  }();
  (void)pinned;
}
