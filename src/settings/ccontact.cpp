#include "settings/ccontact.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

#include "core/boundedtext.h"
#include "core/codes.h"

CContact::CContact(std::string_view ip, std::string_view name)
    : ip_(BoundedText(ip, kMaxIpChars)),
      name_(BoundedText(name, kMaxNameChars)),
      address_(AddressFromText(ip_)) {}

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
  if (!due || address_ == 0) return false;
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

uint32_t CContact::AddressFromText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return 0;
  const std::string terminated(text);
  in_addr address{};
  if (inet_pton(AF_INET, terminated.c_str(), &address) != 1) return 0;
  return address.s_addr;
}

std::string CContact::TextFromAddress(uint32_t address) {
  in_addr in{};
  in.s_addr = address;
  std::array<char, INET_ADDRSTRLEN> text{};
  if (inet_ntop(AF_INET, &in, text.data(), text.size()) == nullptr) return {};
  return text.data();
}
