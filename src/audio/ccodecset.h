#pragma once

#include <cstdint>
#include <memory>

#include "audio/cg711.h"
#include "audio/cgsm.h"
#include "audio/cspeex.h"
#include "core/soundtype.h"

// The codecs of one call line, made with the line and destroyed with it, so
// encoder and decoder states carry over from one call to the next on that
// line. The audio paths pick the instance by the sound type in force.
class CCodecSet {
 public:
  CCodecSet();
  ~CCodecSet();
  CCodecSet(const CCodecSet&) = delete;
  CCodecSet& operator=(const CCodecSet&) = delete;

  CGsm& Gsm() { return *gsm_; }
  CG711& G711() { return *g711_; }
  CSpeex& Speex8() { return *speex8_; }
  CSpeex& Speex16() { return *speex16_; }
  CSpeex& Speex32() { return *speex32_; }

  // The Speex instance a sound type travels in (the stereo types share their
  // rate's instance); nullptr for a type that is not Speex.
  CSpeex* SpeexFor(SoundType type);

 private:
  std::unique_ptr<CGsm> gsm_;
  std::unique_ptr<CSpeex> speex8_;
  std::unique_ptr<CSpeex> speex16_;
  std::unique_ptr<CSpeex> speex32_;
  std::unique_ptr<CG711> g711_;
};
