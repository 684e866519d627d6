#pragma once

#include <string>
#include <vector>

#include "core/optionactions.h"

// Each action as a word or two, in the order asked: "filters",
// "sound type 9059", "speex 9100=8 9101=2", "quit".
class CRecordingOptionActions : public OptionActions {
 public:
  void ReloadPreBuffer() override { asked.push_back("pre-buffer"); }
  void ReloadScopeZoom() override { asked.push_back("scope zoom"); }
  void ReloadCodecLock() override { asked.push_back("codec lock"); }
  void ReloadFilters() override { asked.push_back("filters"); }
  void SwitchSoundType(SoundType type) override {
    asked.push_back("sound type " + std::to_string(WireCode(type)));
  }
  void SendSpeexOptions(const std::vector<SpeexOptionValue>& options) override {
    std::string text = "speex";
    for (const SpeexOptionValue& o : options)
      text += " " + std::to_string(o.code) + "=" + std::to_string(o.value);
    asked.push_back(text);
  }
  void Quit() override { asked.push_back("quit"); }

  std::vector<std::string> asked;
};
