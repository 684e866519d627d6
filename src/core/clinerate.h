#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

// Lines a remote party can cause as often as it likes (one per datagram)
// must not flood the terminal or the journal: the first kBudget lines of a
// minute are written, the rest counted, and the count is written with the
// next line after the minute, or when the limiter goes.
class CLineRate {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using Write = std::function<void(const std::string& line)>;
  static constexpr std::size_t kBudget = 10;
  static constexpr std::chrono::seconds kWindow{60};

  explicit CLineRate(Write write, Clock clock = std::chrono::steady_clock::now)
      : write_(std::move(write)), clock_(std::move(clock)) {}
  ~CLineRate() { Summarise(); }
  CLineRate(const CLineRate&) = delete;
  CLineRate& operator=(const CLineRate&) = delete;

  void Line(const std::string& line) {
    const auto now = clock_();
    if (written_ == 0 || now - windowStart_ >= kWindow) {
      Summarise();
      windowStart_ = now;
      written_ = 0;
    }
    if (written_ < kBudget) {
      ++written_;
      write_(line);
    } else {
      ++suppressed_;
    }
  }

 private:
  void Summarise() {
    if (suppressed_ == 0) return;
    write_("ondrel: " + std::to_string(suppressed_) + " more lines like these in the last minute");
    suppressed_ = 0;
  }

  Write write_;
  Clock clock_;
  std::chrono::steady_clock::time_point windowStart_{};
  std::size_t written_ = 0;
  std::size_t suppressed_ = 0;
};
