#pragma once

// ALSA and JACK write to standard error whatever they miss while PortAudio
// probes them at start ("ALSA lib conf.c... cannot find card", "jack server
// is not running"), and ALSA again whenever a device or mixer is opened;
// none of it is a fault of the program, and it reads like one. From this
// call on their messages go nowhere, and PortAudio's JACK probe starts no
// JACK server. What matters (a device that fails) the program says itself,
// one line each. Safe to call more than once.
void QuietSoundLibraries();
