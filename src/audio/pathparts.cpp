#include "audio/pathparts.h"

#include "core/audioline.h"

CCodecSet& PathParts::CodecsOf(const AudioLine& line) const {
  return *codecs[static_cast<std::size_t>(line.LineNumber() - 1)];
}
