#pragma once

#include <set>
#include <string>
#include <vector>

#include "core/loopplayer.h"

// Records what it is asked to play instead of playing it. Only the files of
// readableFiles can be played; deviceError makes every start fail as a
// missing sound card would.
class CFakeLoopPlayer : public LoopPlayer {
 public:
  bool PlayFileLooping(const std::string& path, std::string& error) override {
    if (!readableFiles.count(path)) {
      error = "cannot read " + path;
      return false;
    }
    return Start("file " + path, error);
  }
  bool PlayBuiltInLooping(std::string& error) override { return Start("built-in", error); }
  void Stop() override {
    calls.push_back("stop");
    playing = false;
  }

  std::set<std::string> readableFiles;
  std::string deviceError;
  std::vector<std::string> calls;
  bool playing = false;

 private:
  bool Start(const std::string& what, std::string& error) {
    if (!deviceError.empty()) {
      error = deviceError;
      return false;
    }
    if (!playing) calls.push_back(what);
    playing = true;
    return true;
  }
};
