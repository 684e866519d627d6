#include "audio/ccodecset.h"

#include "audio/soundtypes.h"

CCodecSet::CCodecSet()
    : gsm_(std::make_unique<CGsm>()),
      speex8_(std::make_unique<CSpeex>(8)),
      speex16_(std::make_unique<CSpeex>(16)),
      speex32_(std::make_unique<CSpeex>(32)),
      g711_(std::make_unique<CG711>()) {}

CCodecSet::~CCodecSet() = default;

CSpeex* CCodecSet::SpeexFor(SoundType type) {
  switch (FindSoundType(type).codec) {
    case SoundCodec::kSpeex8:
      return speex8_.get();
    case SoundCodec::kSpeex16:
      return speex16_.get();
    case SoundCodec::kSpeex32:
      return speex32_.get();
    default:
      return nullptr;
  }
}
