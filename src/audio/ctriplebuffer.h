#pragma once

#include <array>
#include <atomic>

// Hands a value from one writer thread to one reader thread without a lock
// and without either side ever waiting: each side owns one of three copies,
// and the third is swapped in and out atomically. The reader always sees a
// whole value, the newest published one, never one half-written.
//
// Used where the main thread reloads settings that an audio callback reads
// on every frame.
template <typename T>
class CTripleBuffer {
 public:
  explicit CTripleBuffer(const T& initial) : slots_{initial, initial, initial} {}
  CTripleBuffer(const CTripleBuffer&) = delete;
  CTripleBuffer& operator=(const CTripleBuffer&) = delete;

  // Writer: fill the whole of Back(), then Publish(). After Publish, Back()
  // is another copy with older contents.
  T& Back() { return slots_[back_]; }
  void Publish() { back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndex; }

  // Reader: the newest published value, valid until the next call.
  const T& Front() {
    if ((middle_.load(std::memory_order_relaxed) & kFresh) != 0) {
      front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndex;
    }
    return slots_[front_];
  }

 private:
  static constexpr unsigned kIndex = 3;
  static constexpr unsigned kFresh = 4;

  std::array<T, 3> slots_;
  unsigned back_ = 0;                // writer's own
  std::atomic<unsigned> middle_{1};  // index, plus kFresh while the reader has not taken it
  unsigned front_ = 2;               // reader's own
};
