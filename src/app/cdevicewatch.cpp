#include "app/cdevicewatch.h"

#include "app/cdesktopnotice.h"
#include "audio/caudiopaths.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "settings/clog.h"

void CDeviceWatch::Tick() {
  // A count that falls belongs to a newly opened stream, which starts at 0.
  if (const CDeviceSp* speaker = audio_.Speaker()) {
    const uint64_t losses = speaker->DeviceLosses();
    if (losses > speakerLosses_) Tell("Loudspeaker", speaker->DeviceName());
    speakerLosses_ = losses;
  }
  if (const CDeviceMc* mic = audio_.Mic()) {
    const uint64_t losses = mic->DeviceLosses();
    if (losses > micLosses_) Tell("Microphone", mic->DeviceName());
    micLosses_ = losses;
  }
}

void CDeviceWatch::Tell(const char* what, const std::string& standIn) {
  const std::string summary = std::string(what) + " gone";
  const std::string body = standIn.empty()
                               ? "The call goes on; the device is used again when it returns."
                               : "The call goes on on " + standIn + "; the device is used again when it returns.";
  log_.Write("Audio device gone", std::string(what) + ", now on " + (standIn.empty() ? "none" : standIn));
  notice_.Tell(summary, body);
}
