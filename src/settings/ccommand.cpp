#include "settings/ccommand.h"

#include "core/boundedtext.h"
#include "core/codes.h"
#include "core/decimaltext.h"
#include "core/messageboxport.h"
#include "core/netaddress.h"
#include "core/settingnames.h"
#include "core/windowport.h"
#include "settings/cparams.h"

namespace {

constexpr int kTest = 1;
constexpr int kCall = 2;
constexpr int kHangUp = 3;
constexpr int kQuit = 4;
constexpr int kPort = 5;
constexpr int kSoundType = 6;

// The name the window shows for a call placed by remote control.

// A decimal integer in [low, high], the whole text and nothing else, as the
// properties dialog converts its numbers.
bool ConvertInRange(const std::string& text, int low, int high, int& value) {
  if (!IsDecimalInteger(text)) return false;
  value = DecimalToInt(text);
  return value >= low && value <= high;
}

}  // namespace

CCommand::CCommand(CParams& params, WindowPort& window, MessageBoxPort& boxes)
    : params_(params), window_(window), boxes_(boxes) {}

bool CCommand::Execute(const std::string& rawText, int command) {
  const std::string text = BoundedText(rawText, kMaxTextChars);
  switch (command) {
    case kTest:
      return Test(text, command);
    case kCall:
      return Call(text);
    case kHangUp:
      window_.PostCommand(kHangUp, TextRecord{0, ""});
      return true;
    case kQuit:
      window_.Post(WindowMessage::kQuit, 0);
      return true;
    case kPort:
      return Port(text);
    case kSoundType:
      return SoundType(text);
    default:
      return false;
  }
}

bool CCommand::Test(const std::string& text, int command) {
  boxes_.ShowInfo("[" + text + "][" + std::to_string(command) + "]");
  return true;
}

bool CCommand::Call(const std::string& text) {
  // Dotted IPv4 texts are 7 to 15 characters, IPv6 ones at most 45; a text
  // that is no address is refused too, rather than calling whatever it
  // parses to.
  const NetAddress address = NetAddress::Parse(text);
  if (address.IsNone() || address.IsUnspecified()) return false;
  if (address.IsIPv4() ? text.size() < 7 || text.size() > 15 : text.size() > 45) return false;
  window_.PostCommand(kCall, TextRecord{0, address.Text()});
  return true;
}

bool CCommand::Port(const std::string& text) {
  int port = 0;
  if (!ConvertInRange(text, 1, 65535, port)) return false;
  window_.PostCommand(kPort, TextRecord{port, ""});
  return true;
}

bool CCommand::SoundType(const std::string& text) {
  int type = 0;
  if (!ConvertInRange(text, static_cast<int>(code::kSoundFirst), static_cast<int>(code::kSoundLast), type)) {
    return false;
  }
  params_.SetInt(setting::kSndType, type);
  params_.Save();
  window_.Post(WindowMessage::kSwitchSoundType, type);
  return true;
}
