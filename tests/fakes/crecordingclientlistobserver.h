#pragma once

#include <string>
#include <utility>
#include <vector>

#include "settings/clientlistobserver.h"

// What the client list told, one event a line: "added", "removed 1", "marks".
class CRecordingClientListObserver : public ClientListObserver {
 public:
  void ClientAdded() override { events.push_back("added"); }
  void ClientRemoved(int row) override { events.push_back("removed " + std::to_string(row)); }
  void MarksChanged() override { events.push_back("marks"); }

  std::vector<std::string> Take() { return std::exchange(events, {}); }
  void Clear() { events.clear(); }
  std::vector<std::string> events;
};
