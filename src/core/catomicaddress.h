#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

#include "core/netaddress.h"

// A NetAddress that one thread changes and others read, without a lock: a
// call's peer, set on the main thread when the call starts and ends, read
// by the audio threads for every frame. A reader that meets a change in
// progress reads again; a change is a few stores, so it never waits long,
// and it never waits for the writer to be scheduled again unless the writer
// was stopped in the middle of those stores. One writer at a time.
class CAtomicAddress {
 public:
  void Store(const NetAddress& address) {
    // Sequentially consistent throughout: the odd count is seen before any
    // new word, and a reader that saw a new word sees the count move on.
    const Words w = Split(address);
    const uint32_t sequence = sequence_.load();
    sequence_.store(sequence + 1);
    for (int i = 0; i < 2; ++i) bytes_[i].store(w.bytes[i]);
    meta_.store(w.meta);
    sequence_.store(sequence + 2);
  }

  NetAddress Load() const {
    Words w;
    for (;;) {
      const uint32_t before = sequence_.load();
      for (int i = 0; i < 2; ++i) w.bytes[i] = bytes_[i].load();
      w.meta = meta_.load();
      if ((before & 1u) == 0 && sequence_.load() == before) break;
    }
    return Join(w);
  }

 private:
  struct Words {
    uint64_t bytes[2] = {0, 0};
    uint32_t meta = 0;  // family in the high half, port in the low
  };

  static Words Split(const NetAddress& address) {
    Words w;
    std::memcpy(w.bytes, address.bytes().data(), sizeof w.bytes);
    w.meta = (static_cast<uint32_t>(address.family()) << 16) | address.port();
    return w;
  }

  static NetAddress Join(const Words& w) {
    NetAddress::Bytes bytes{};
    std::memcpy(bytes.data(), w.bytes, sizeof w.bytes);
    const auto family = static_cast<NetAddress::Family>(w.meta >> 16);
    const auto port = static_cast<uint16_t>(w.meta & 0xffffu);
    if (family == NetAddress::Family::kIPv4) {
      uint32_t networkOrder = 0;
      std::memcpy(&networkOrder, bytes.data(), sizeof networkOrder);
      return NetAddress::IPv4(networkOrder, port);
    }
    if (family == NetAddress::Family::kIPv6) return NetAddress::IPv6(bytes, port);
    return {};
  }

  std::atomic<uint32_t> sequence_{0};
  std::atomic<uint64_t> bytes_[2] = {0, 0};
  std::atomic<uint32_t> meta_{0};
};
