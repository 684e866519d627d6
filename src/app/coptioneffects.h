#pragma once

#include <functional>

#include "core/optionactions.h"

struct CAppState;
class CAudioPaths;
class CClients;
class CParams;
class MainWindowView;
namespace net {
class CUdpSocket;
}

// What the properties dialog's settings set going, done at once on the
// program's objects.
class COptionEffects : public OptionActions {
 public:
  struct Parts {
    CAppState& state;
    CParams& params;
    MainWindowView& window;
    CAudioPaths& audio;
    CClients& lines;
    const net::CUdpSocket& socket;
  };

  COptionEffects(const Parts& parts, std::function<void()> quit);

  void ReloadPreBuffer() override;
  void ReloadScopeZoom() override;
  void ReloadCodecLock() override;
  void ReloadFilters() override;
  void SwitchSoundType(SoundType type) override;
  void SendSpeexOptions(const std::vector<SpeexOptionValue>& options) override;
  void Quit() override;

 private:
  Parts parts_;
  std::function<void()> quit_;
};
