#pragma once

#include <optional>
#include <string>

// The file choosers of the dialogs: open an existing file or name one to
// save. nullopt when the user cancels. Tests answer without a window.
class FileChooser {
 public:
  struct Request {
    std::string title;
    std::string filter;         // e.g. "Wav audio files (*.wav *.WAV *.Wav)"; empty: all files
    std::string defaultSuffix;  // added to a saved name without one
    std::string startName;      // the file chosen before, if any
    bool save = false;
  };

  virtual ~FileChooser() = default;
  virtual std::optional<std::string> Choose(const Request& request) = 0;
};
