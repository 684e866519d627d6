#include "settings/cautostart.h"

#include <unistd.h>

#include "core/boundedtext.h"
#include "settings/cparams.h"

CAutostart::CAutostart(CParams& params, Opener opener) : params_(params), opener_(std::move(opener)) {}

void CAutostart::Run() {
  std::string file;
  if (!params_.GetString("AutoStartFile", file)) return;
  file = BoundedText(file, kMaxPathChars);
  if (::access(file.c_str(), R_OK) != 0) return;
  if (opener_) opener_(file);
}
