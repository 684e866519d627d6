#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/netaddress.h"

// One client: a named IPv4 address, and what its probes and announcements
// have told about it. Presence is counted in probes that went unanswered,
// so a client turns offline only after several silent probes in a row.
class CContact {
 public:
  static constexpr std::size_t kMaxIpChars = 49;
  static constexpr std::size_t kMaxNameChars = 199;

  // The probe cycle runs over ticks 0 to kLastTick; probes go out at the
  // three ticks below. An answer moves the client to kTickAfterAnswer, so
  // a silent client is probed 11, 17 and 25 seconds after its last answer.
  static constexpr int32_t kLastTick = 30;
  static constexpr int32_t kTickAfterAnswer = 21;
  static constexpr int32_t kProbeTicks[] = {1, 7, 15};
  static constexpr int32_t kMissedWhenOffline = 3;

  // Both texts are cut to their fields.
  CContact(std::string_view ip, std::string_view name);

  const std::string& Ip() const { return ip_; }
  const std::string& Name() const { return name_; }
  // The address the text names; none when it names none (or the
  // unspecified one), and such a client is never probed.
  const NetAddress& Address() const { return address_; }
  bool IsOnline() const { return missed_ < kMissedWhenOffline; }
  bool IsBusy() const { return busy_; }

  // True when the mark changed.
  bool SetBusy(bool busy);
  void MarkOnline();
  void MarkOffline();
  // One second of the probe cycle; true when a probe is due, which then
  // counts as sent.
  bool Tick();
  // True once per change of the online mark, so the list repaints only
  // when something it shows has changed.
  bool TakeChange();

 private:
  std::string ip_;
  std::string name_;
  NetAddress address_;
  int32_t missed_ = kMissedWhenOffline;
  int32_t tick_ = 0;
  bool busy_ = false;
  int32_t shownOnline_ = -1;
};
