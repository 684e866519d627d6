#include "settings/ccontact.h"

#include <algorithm>

#include "core/boundedtext.h"
#include "core/codes.h"

CContact::CContact(std::string_view ip, std::string_view name)
    : ip_(BoundedText(ip, kMaxIpChars)),
      name_(BoundedText(name, kMaxNameChars)),
      address_(NetAddress::Parse(ip_).IsUnspecified() ? NetAddress() : NetAddress::Parse(ip_)) {}

bool CContact::SetBusy(bool busy) {
  if (busy_ == busy) return false;
  busy_ = busy;
  return true;
}

void CContact::MarkOnline() {
  missed_ = 0;
  tick_ = kTickAfterAnswer;
}

void CContact::MarkOffline() {
  missed_ = kMissedWhenOffline;
  busy_ = false;
}

bool CContact::Tick() {
  if (++tick_ > kLastTick) tick_ = 0;
  const bool due = std::find(std::begin(kProbeTicks), std::end(kProbeTicks), tick_) != std::end(kProbeTicks);
  if (!due || address_.IsNone()) return false;
  // Counting stops where the client is offline anyway, so a client that
  // stays away for years cannot overflow the count.
  if (missed_ < kMissedWhenOffline) ++missed_;
  return true;
}

bool CContact::TakeChange() {
  const int32_t online = IsOnline() ? 1 : 0;
  if (online == shownOnline_) return false;
  shownOnline_ = online;
  return true;
}
