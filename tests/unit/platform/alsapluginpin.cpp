#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <filesystem>

// PortAudio probes every ALSA device when it starts, among them ALSA's AC-3
// encoder, whose plugin drags in a codec library that keeps allocations for
// the life of the process. PortAudio's shutdown unloads the plugin, and with
// the library's globals gone LeakSanitizer reports those allocations from an
// unknown module, which no suppression can name. Kept loaded for the whole
// test run, they stay reachable. Without the plugin there is nothing to keep.
namespace {

const bool kPinned = [] {
  Dl_info alsa{};
  if (dladdr(reinterpret_cast<void*>(&snd_pcm_open), &alsa) == 0 || !alsa.dli_fname) return false;
  const auto plugin =
      std::filesystem::path(alsa.dli_fname).parent_path() / "alsa-lib" / "libasound_module_pcm_a52.so";
  return dlopen(plugin.c_str(), RTLD_NOW | RTLD_NODELETE) != nullptr;
}();

}  // namespace
