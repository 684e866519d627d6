#pragma once

#include <cstdint>

// What the capture and playback devices call with each frame: the frame's
// samples (interleaved 16-bit PCM, one frame of the sound type in force) and
// the pointer the owner gave the device. It runs on the device's thread and
// must not allocate, lock or block.
using FrameCallback = void (*)(int16_t* frame, void* user);
