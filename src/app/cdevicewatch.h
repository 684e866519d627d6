#pragma once

#include <cstdint>
#include <string>

class CAudioPaths;
class CDesktopNotice;
class CLog;

// Tells the user once when a call's loudspeaker or microphone went away and
// the call carries on on the sound server's default device: a desktop
// notification (the tray's balloon where no notification service runs) and
// a line in the connection log. The streams move by themselves and come
// back by themselves when the device returns; this only watches their
// count of losses. Main thread, once a second.
class CDeviceWatch {
 public:
  CDeviceWatch(const CAudioPaths& audio, CLog& log, CDesktopNotice& notice)
      : audio_(audio), log_(log), notice_(notice) {}

  void Tick();

 private:
  void Tell(const char* what, const std::string& standIn);

  const CAudioPaths& audio_;
  CLog& log_;
  CDesktopNotice& notice_;
  uint64_t speakerLosses_ = 0;
  uint64_t micLosses_ = 0;
};
