#include "platform/cstreamroute.h"

void CStreamRoute::NoteDevice(const std::string& device, const std::string& shown) {
  current_ = device;
  shown_.Set(shown);
  const bool onChosen = !device.empty() && (chosen_.empty() || device == chosen_);
  // A loss is counted as the stream leaves its device, not per move while
  // it stands in elsewhere.
  if (!onChosen && onChosen_.load()) losses_.store(losses_.load() + 1);
  onChosen_.store(onChosen);
}

void CStreamRoute::NoteShown(const std::string& device, const std::string& shown) {
  if (device == current_) shown_.Set(shown);
}

std::string CStreamRoute::MoveForDefault(const std::string& serverDefault) const {
  if (serverDefault.empty() || serverDefault == current_) return {};
  if (!chosen_.empty() && current_ == chosen_) return {};
  return serverDefault;
}
