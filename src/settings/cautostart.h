#pragma once

#include <functional>
#include <string>

class CParams;

// Opens the file of the user's choice ("AutoStartFile") once at start-up,
// so that a companion program or a document comes up with the phone.
class CAutostart {
 public:
  // Hands a file to the desktop to open; true when the desktop took it.
  using Opener = std::function<bool(const std::string& path)>;
  static constexpr std::size_t kMaxPathChars = 255;

  CAutostart(CParams& params, Opener opener);

  // Every failure is silent: a missing file or a refusal changes nothing.
  void Run();

 private:
  CParams& params_;
  Opener opener_;
};
