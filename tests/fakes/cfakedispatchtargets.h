#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/dispatchtargets.h"

// Records what the message handlers ask of the rest of the program, as one
// readable line per call, and answers from settable tables.
class CFakeDispatchTargets : public DispatchTargets {
 public:
  void ProbeReceived(uint32_t a) override { Log("ProbeReceived", a); }
  void ReplyReceived(uint32_t a) override { Log("ReplyReceived", a); }
  void GoneOffline(uint32_t a) override { Log("GoneOffline", a); }
  void BusyChanged(uint32_t a, bool busy) override { Log("BusyChanged", a, busy); }
  bool IsClient(const std::string& text) override { return clients.count(text) > 0; }
  bool HasClientAt(int row) override { return row >= 0 && row < clientRows; }
  void ClientSelected(int row) override { Log("ClientSelected", row); }

  LineView Line(int line) override { return lines[line]; }
  LineTraffic TakeTraffic(int line) override {
    Log("TakeTraffic", line);
    LineTraffic t = traffic[line];
    traffic[line] = {};
    return t;
  }
  void RouteCode(uint32_t a, uint32_t code) override { Log("RouteCode", a, code); }
  void HangUp(int line) override { Log("HangUp", line); }
  void PlaceCall(int line, uint32_t a, const std::string& name) override { Log("PlaceCall", line, a, name); }
  void AnnounceIncomingCall(int line) override { Log("AnnounceIncomingCall", line); }
  void AcceptCallRequest(uint32_t a, const std::string& request) override {
    Log("AcceptCallRequest", a, request);
  }
  void TakePeerName(int line, uint32_t a, const std::string& name) override {
    Log("TakePeerName", line, a, name);
  }

  void ApplyRemoteSpeexOption(uint32_t code, int32_t value) override {
    Log("ApplyRemoteSpeexOption", code, value);
  }
  void ReloadPreBuffer() override { Log("ReloadPreBuffer"); }
  void ReloadScopeZoom() override { Log("ReloadScopeZoom"); }
  void ReloadFilters() override { Log("ReloadFilters"); }
  void RestartSound(SoundType type, bool announce) override { Log("RestartSound", WireCode(type), announce); }
  void UnfreezeScope() override { Log("UnfreezeScope"); }
  void OpenDevices() override { Log("OpenDevices"); }
  void MixerChanged(int64_t control) override { Log("MixerChanged", control); }

  void SendShort(uint32_t a, uint32_t code) override { Log("SendShort", a, code); }
  void SendSignalling(uint32_t a, uint32_t code, const std::string& text) override {
    Log("SendSignalling", a, code, text);
  }
  uint32_t OwnAddress() override { return ownAddress; }
  void Log(const std::string& text, uint32_t a) override { Log("Log", text, a); }

  std::vector<std::string> calls;
  std::map<int, LineView> lines;
  std::map<int, LineTraffic> traffic;
  std::map<std::string, int> clients;
  int clientRows = 0;
  uint32_t ownAddress = 0;

 private:
  template <typename... Args>
  void Log(const char* name, const Args&... args) {
    std::string line = name;
    ((line += " " + ToText(args)), ...);
    calls.push_back(line);
  }
  static std::string ToText(const std::string& s) { return s; }
  template <typename T>
  static std::string ToText(const T& v) {
    return std::to_string(v);
  }
};
