#pragma once

// Keeps ALSA's AC-3 encoder plugin loaded for the life of the process.
// PortAudio probes every ALSA device when it starts, that plugin among
// them, and it drags in a codec library that keeps allocations until the
// process ends; PortAudio's shutdown unloads the plugin and with it the
// library's globals, which leaves those allocations unreachable and makes a
// leak checker report memory no suppression can name. Without the plugin
// there is nothing to keep. Safe to call more than once.
void PinAlsaPlugins();
