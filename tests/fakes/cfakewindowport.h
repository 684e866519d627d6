#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "core/windowport.h"

// Records every message instead of delivering it; safe to post from the
// receive thread while a test reads on its own thread.
class CFakeWindowPort : public WindowPort {
 public:
  struct Message {
    enum class Kind { PostCode, PostCommand };
    Kind kind;
    uint32_t code;
    int64_t wParam = 0;
    TextRecord record{};
  };

  void PostCode(uint32_t code, int64_t wParam) override { Add({Message::Kind::PostCode, code, wParam, {}}); }
  void PostCommand(int command, TextRecord record) override {
    Add({Message::Kind::PostCommand, static_cast<uint32_t>(command), 0, std::move(record)});
  }

  std::vector<Message> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
  }

 private:
  void Add(Message m) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(m));
  }

  mutable std::mutex mutex_;
  std::vector<Message> messages_;
};
