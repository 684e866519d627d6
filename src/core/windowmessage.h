#pragma once

#include <cstdint>
#include <optional>

// The main window's own messages: what the program's parts ask of the
// window through its port, as opposed to the codes of received datagrams
// that the port passes on as they are. They share one numbering with those
// codes, so each keeps its number; Number and WindowMessageOf are the way
// between the two, in the window port and its handlers only.
enum class WindowMessage : uint32_t {
  kMixerLineChange = 976,
  kMixerControlChange = 977,
  kQuit = 8888,
  kCloseRequest = 9001,
  // The receive thread hands a hang-up of the page in front to the main thread.
  kHangUpFront = 9035,
  kSwitchSoundType = 9049,
};

constexpr uint32_t Number(WindowMessage message) {
  return static_cast<uint32_t>(message);
}

constexpr std::optional<WindowMessage> WindowMessageOf(uint32_t number) {
  switch (static_cast<WindowMessage>(number)) {
    case WindowMessage::kMixerLineChange:
    case WindowMessage::kMixerControlChange:
    case WindowMessage::kQuit:
    case WindowMessage::kCloseRequest:
    case WindowMessage::kHangUpFront:
    case WindowMessage::kSwitchSoundType:
      return static_cast<WindowMessage>(number);
  }
  return std::nullopt;
}
