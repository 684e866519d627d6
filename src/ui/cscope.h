#pragma once

#include <QImage>
#include <cstdint>
#include <span>

// The oscilloscope of a call: each heartbeat the speaker trace sweeps on from
// where it stopped, in yellow with a grey column just ahead of it, and the
// microphone trace is drawn over it in cyan. The pen positions are the
// scope's own and carry over from one line's view to the other's.
// Main thread.
class CScope {
 public:
  // The stored "scopeZoom"; below 1 draws with 1.
  void SetZoom(int zoom) { zoom_ = zoom < 1 ? 1 : zoom; }
  int Zoom() const { return zoom_; }

  // A click on the view freezes it; hiding the scope unfreezes it.
  void ToggleFreeze() { frozen_ = !frozen_; }
  void Unfreeze() { frozen_ = false; }
  bool Frozen() const { return frozen_; }

  // Interleaved samples of one frame; nothing is drawn while frozen.
  void DrawSpeaker(QImage& canvas, std::span<const int16_t> frame);
  void DrawMicrophone(QImage& canvas, std::span<const int16_t> frame);

 private:
  struct Trace {
    bool used = false;
    int x = 0;
    int y = 0;
  };
  enum class Kind { kSpeaker, kMicrophone };
  void Draw(QImage& canvas, std::span<const int16_t> frame, Kind kind);

  int zoom_ = 1;
  bool frozen_ = false;
  Trace speaker_;
  Trace microphone_;
};
