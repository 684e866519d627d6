#include "audio/pathparts.h"

#include "core/audioline.h"

CCodecSet& CallLines::CodecsOf(const AudioLine& line) const {
  return *codecs[static_cast<std::size_t>(line.LineNumber() - 1)];
}
