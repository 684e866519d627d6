#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

#include "core/mixerbackend.h"

// Every change a mixer backend reports, as its own thread reports it.
struct CMixerReports {
  std::mutex mutex;
  std::vector<std::pair<MixerChange, MixerControlId>> seen;

  MixerBackend::ChangeCallback Callback() {
    return [this](MixerChange change, MixerControlId id) {
      std::lock_guard lock(mutex);
      seen.emplace_back(change, id);
    };
  }
  std::size_t Count(MixerChange change, MixerControlId id) {
    std::lock_guard lock(mutex);
    return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), std::pair(change, id)));
  }
  bool Saw(MixerChange change, MixerControlId id) { return Count(change, id) > 0; }
  std::size_t Count() {
    std::lock_guard lock(mutex);
    return seen.size();
  }
};
