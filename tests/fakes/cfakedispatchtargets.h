#pragma once

#include <string>
#include <vector>

#include "app/dispatchtargets.h"

// Records what the message handlers ask of the rest of the program, as one
// readable line per call.
class CFakeDispatchTargets : public DispatchTargets {
 public:
  void HangUp(int line) override { Log("HangUp", line); }
  void PlaceCall(int line, const NetAddress& a, const std::string& name) override {
    Log("PlaceCall", line, a.Text(), name);
  }

  void RestartSound(SoundType type, bool announce) override { Log("RestartSound", WireCode(type), announce); }
  void SoundTypeRequested(int32_t code) override { Log("SoundTypeRequested", code); }
  void MixerChanged(int64_t control) override { Log("MixerChanged", control); }

  std::vector<std::string> calls;

 private:
  template <typename... Args>
  void Log(const std::string& what, const Args&... args) {
    std::string line = what;
    ((line += " " + Text(args)), ...);
    calls.push_back(line);
  }
  static std::string Text(const std::string& s) { return s; }
  static std::string Text(const char* s) { return s; }
  static std::string Text(bool b) { return b ? "1" : "0"; }
  template <typename T>
  static std::string Text(T n) {
    return std::to_string(n);
  }
};
