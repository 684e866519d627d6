#include "platform/cstreamvolume.h"

#include <utility>

void CStreamVolume::Attach(uint32_t index) {
  index_.store(index);
  std::lock_guard lock(mutex_);
  for (const auto& [owner, listener] : listeners_) listener();
}

void CStreamVolume::Detach(uint32_t index) {
  uint32_t attached = index;
  index_.compare_exchange_strong(attached, kNone);
}

void CStreamVolume::AddListener(const void* owner, Listener listener) {
  std::lock_guard lock(mutex_);
  listeners_.emplace_back(owner, std::move(listener));
}

void CStreamVolume::RemoveListener(const void* owner) {
  std::lock_guard lock(mutex_);
  std::erase_if(listeners_, [owner](const auto& entry) { return entry.first == owner; });
}
