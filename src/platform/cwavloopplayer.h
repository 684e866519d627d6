#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "core/loopplayer.h"

// Loops a sound file, or the ring sound built into the program, on an
// output stream of its own. libsndfile reads the file whole (any format and
// sample width it knows, cut to the first kMaxSeconds) into 16-bit samples
// and the stream runs at the file's own rate, so nothing is resampled here:
// the sound system converts rates as it does for every other program.
class CWavLoopPlayer : public LoopPlayer {
 public:
  static constexpr int kMaxSeconds = 60;
  static constexpr int kFramesPerCallback = 512;
  static constexpr double kLatencySeconds = 0.1;

  // device: -1 for the default output device, else one of backend's output list.
  explicit CWavLoopPlayer(AudioBackend& backend, int device = -1);
  ~CWavLoopPlayer() override;
  CWavLoopPlayer(const CWavLoopPlayer&) = delete;
  CWavLoopPlayer& operator=(const CWavLoopPlayer&) = delete;

  bool PlayFileLooping(const std::string& path, std::string& error) override;
  bool PlayBuiltInLooping(std::string& error) override;
  void Stop() override;

  bool Playing() const { return stream_ != nullptr; }

 private:
  // Reads all of file (closing it) and starts playing it.
  bool Play(SNDFILE* file, const SF_INFO& info, const std::string& what, std::string& error);
  static void Fill(int16_t* samples, std::size_t count, void* user);

  AudioBackend& backend_;
  int device_;
  // Interleaved frames of one or two channels; only the stream's callback
  // touches them, and position_, while the stream runs.
  std::vector<int16_t> sound_;
  std::size_t position_ = 0;
  std::unique_ptr<AudioStream> stream_;
};
