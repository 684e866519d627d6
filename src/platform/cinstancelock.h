#pragma once

#include <filesystem>

// One running copy per config directory: an exclusive lock on a file there.
// The lock goes with the process, so a crashed copy never blocks the next.
class CInstanceLock {
 public:
  explicit CInstanceLock(const std::filesystem::path& directory);
  ~CInstanceLock();
  CInstanceLock(const CInstanceLock&) = delete;
  CInstanceLock& operator=(const CInstanceLock&) = delete;

  // False when another copy holds the lock (or the file cannot be made).
  bool Acquired() const { return fd_ >= 0; }
  // True only when another process holds the lock.
  bool HeldElsewhere() const { return heldElsewhere_; }

 private:
  int fd_ = -1;
  bool heldElsewhere_ = false;
};
