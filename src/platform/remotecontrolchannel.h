#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The carrier of remote-control commands between `ondrel --command` and the
// running copy of the same config directory: a per-user local socket.
// A request is the command number (4 bytes, little-endian), the text length
// (2 bytes, little-endian) and the text; the answer is one byte, '1' when
// the command was accepted and '0' when it was refused.
namespace remotecontrol {

inline constexpr std::size_t kMaxTextChars = 254;
inline constexpr std::size_t kHeaderBytes = 6;

// The socket: one per user and config directory. It lives in
// $XDG_RUNTIME_DIR when that is set (a folder the desktop keeps private to
// the user), else in the system's temporary folder.
QString ServerName(const std::filesystem::path& configDir);

// What a request may declare as its text: more than a command ever takes is
// refused at once rather than waited for.
bool DeclaresTooMuch(const std::string& bytes);

std::string EncodeRequest(int32_t command, const std::string& text);

struct Request {
  int32_t command = 0;
  std::string text;
};
// nullopt until the bytes hold a whole request.
std::optional<Request> DecodeRequest(const std::string& bytes);

// Sends one command to the running copy and waits for its answer;
// nullopt when no copy runs for that directory or it does not answer.
std::optional<bool> SendCommand(const std::filesystem::path& configDir, int32_t command,
                                const std::string& text);

}  // namespace remotecontrol
