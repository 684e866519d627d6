#pragma once

#include <mutex>
#include <string>

// A text one thread writes now and then and others read: a name shown to
// the user, never touched by an audio callback, so a lock is fine.
class CSharedText {
 public:
  void Set(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = std::move(text);
  }
  std::string Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};
