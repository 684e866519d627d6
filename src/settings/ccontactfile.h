#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The plain-text file of exported clients: per client the address, ",",
// the name, ";" and CR LF, no header. Users keep and edit these files, so
// the reader is lenient about line breaks and blanks but takes nothing it
// cannot put into a client's fields.
class CContactFile {
 public:
  struct Entry {
    std::string address;
    std::string name;
  };
  using EntryAction = std::function<void(const std::string& address, const std::string& name)>;

  // A list of clients is small; anything much larger is not such a file,
  // and reading it whole could exhaust memory.
  static constexpr std::size_t kMaxFileBytes = 16u << 20;

  // Replaces the file only once the new one is complete, so a failed
  // export never destroys an earlier one. False when nothing was written.
  static bool Write(const std::string& path, const std::vector<Entry>& entries);

  // The whole file; nullopt when it cannot be opened or read, or is larger
  // than kMaxFileBytes.
  static std::optional<std::string> Read(const std::string& path);

  // Runs action for every well-formed record of the bytes, in file order,
  // and returns how many records were skipped as malformed or over-long.
  static std::size_t Walk(std::string_view bytes, const EntryAction& action);

  // The record as Write puts it into the file.
  static std::string Format(const Entry& entry);
};
