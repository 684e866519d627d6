#pragma once

#include <string>
#include <utility>
#include <vector>

#include "net/cclient.h"
#include "net/lineobserver.h"

// What the lines told, one event a line: "started 1", "released 1",
// "name 1 'Them'", "state 1 ringing", "age 1 10", "connected 1".
class CRecordingLineObserver : public LineObserver {
 public:
  void LineStarted(const CClient& line) override { Note("started", line); }
  void LineReleased(const CClient& line) override { Note("released", line); }
  void PeerNameChanged(const CClient& line) override { Note("name", line, " '" + line.PeerName() + "'"); }
  void StateShown(const CClient& line, LineState state) override { Note("state", line, " " + Word(state)); }
  void CallAge(CClient& line, int64_t seconds) override { Note("age", line, " " + std::to_string(seconds)); }
  void Connected(const CClient& line) override { Note("connected", line); }

  std::vector<std::string> Take() { return std::exchange(events, {}); }
  std::vector<std::string> events;

 private:
  void Note(const char* what, const CClient& line, const std::string& rest = "") {
    events.push_back(what + (" " + std::to_string(line.LineNumber())) + rest);
  }
  static std::string Word(LineState state) {
    switch (state) {
      case LineState::kIdle:
        return "idle";
      case LineState::kCalling:
        return "calling";
      case LineState::kRinging:
        return "ringing";
      case LineState::kAnswered:
        return "answered";
      case LineState::kConnected:
        return "connected";
      case LineState::kHangUpSent:
        return "hung-up";
      case LineState::kHangUpAcknowledged:
        return "closed";
    }
    return "?";
  }
};
