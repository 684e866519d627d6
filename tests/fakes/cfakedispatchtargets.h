#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/dispatchtargets.h"

// Records what the message handlers ask of the rest of the program, as one
// readable line per call, and answers from settable tables.
class CFakeDispatchTargets : public DispatchTargets {
 public:
  LineView Line(int line) override { return lines[line]; }
  void HangUp(int line) override { Log("HangUp", line); }
  void PlaceCall(int line, const NetAddress& a, const std::string& name) override {
    Log("PlaceCall", line, a.Text(), name);
  }

  void ApplyRemoteSpeexOption(uint32_t code, int32_t value) override {
    Log("ApplyRemoteSpeexOption", code, value);
  }
  void ReloadPreBuffer() override { Log("ReloadPreBuffer"); }
  void ReloadScopeZoom() override { Log("ReloadScopeZoom"); }
  void ReloadFilters() override { Log("ReloadFilters"); }
  void RestartSound(SoundType type, bool announce) override { Log("RestartSound", WireCode(type), announce); }
  void SoundTypeRequested(int32_t code) override { Log("SoundTypeRequested", code); }
  void MixerChanged(int64_t control) override { Log("MixerChanged", control); }
  void SendSignalling(const NetAddress& a, uint32_t code, const std::string& text) override {
    Log("SendSignalling", a.Text(), code, text);
  }

  std::vector<std::string> calls;
  std::map<int, LineView> lines;

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
