#include "settings/ccontactfile.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/ccontact.h"

namespace {

constexpr char kAddressEnd = ',';
constexpr char kRecordEnd = ';';

// The two separators cannot be escaped in this format, so a name that holds
// one (a peer's own name, a hand-edited settings file) loses it rather than
// split its record in two on the way back in.
std::string WithoutSeparators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != kAddressEnd && c != kRecordEnd) out.push_back(c);
  }
  return out;
}

// The client dialog trims what it takes, so surrounding blanks do not count
// against a field's length.
std::size_t TrimmedLength(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  return text.find_last_not_of(' ') - first + 1;
}

}  // namespace

std::string CContactFile::Format(const Entry& entry) {
  return WithoutSeparators(entry.address) + kAddressEnd + WithoutSeparators(entry.name) + kRecordEnd + "\r\n";
}

bool CContactFile::Write(const std::string& path, const std::vector<Entry>& entries) {
  const std::string partPath = path + ".ondrel-part";
  {
    std::ofstream file(partPath, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    for (const Entry& entry : entries) file << Format(entry);
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(partPath, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(partPath, path, error);
  if (error) {
    std::filesystem::remove(partPath, error);
    return false;
  }
  return true;
}

std::optional<std::string> CContactFile::Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes;
  std::array<char, 64 * 1024> chunk{};
  while (file) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    bytes.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxFileBytes) return std::nullopt;
  }
  if (file.bad()) return std::nullopt;
  return bytes;
}

std::size_t CContactFile::Walk(std::string_view bytes, const EntryAction& action) {
  std::size_t skipped = 0;
  std::string accumulator;
  std::string address;
  int commas = 0;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x20) continue;  // line breaks may fall anywhere
    if (c == kAddressEnd) {
      address = std::move(accumulator);
      accumulator.clear();
      ++commas;
    } else if (c == kRecordEnd) {
      // A record needs exactly one address of its own: the address of an
      // earlier record, or a second one in this record, is never taken.
      const bool fits = TrimmedLength(address) <= CContact::kMaxIpChars &&
                        TrimmedLength(accumulator) <= CContact::kMaxNameChars;
      if (commas == 1 && fits) {
        action(address, accumulator);
      } else {
        ++skipped;
      }
      accumulator.clear();
      address.clear();
      commas = 0;
    } else {
      accumulator.push_back(c);
    }
  }
  return skipped;
}
