#include "platform/quietsoundlibraries.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <cstdlib>

namespace {

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}

// libjack comes in with PortAudio's JACK support, when that is built in; it
// is looked up rather than linked, so a PortAudio without it needs nothing.
void SilenceJack(const char* setter) {
  using Setter = void (*)(void (*)(const char*));
  if (void* function = ::dlsym(RTLD_DEFAULT, setter)) reinterpret_cast<Setter>(function)(&IgnoreJackMessage);
}

}  // namespace

void QuietSoundLibraries() {
  snd_lib_error_set_handler(&IgnoreAlsaMessage);
  // A user who runs JACK has it running already; starting one is not ours to do.
  ::setenv("JACK_NO_START_SERVER", "1", 0);
  SilenceJack("jack_set_error_function");
  SilenceJack("jack_set_info_function");
}
