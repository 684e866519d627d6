#include "platform/cinikeystore.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/decimaltext.h"

namespace {

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 to Latin-1 bytes: characters beyond U+00FF become '?', and a byte
// that is not valid UTF-8 is taken as the Latin-1 character it already is.
std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    int length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    uint32_t code = valid ? (b & (0x7F >> length)) : 0;
    for (int k = 1; valid && k < length; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      valid = (c & 0xC0) == 0x80;
      code = (code << 6) | (c & 0x3F);
    }
    if (!valid) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += length;
  }
  return out;
}

}  // namespace

CIniKeyStore::CIniKeyStore(std::filesystem::path file) : file_(std::move(file)) {
  ReadFile();
}

std::string CIniKeyStore::EncodeValue(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '\\') {
      out += "\\\\";
    } else if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else if (b >= 0x80) {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    } else {
      out += ch;
    }
  }
  return out;
}

std::string CIniKeyStore::DecodeValue(const std::string& text) {
  const std::string latin1 = Utf8ToLatin1(text);
  std::string out;
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    if (latin1[i] == '\\' && i + 1 < latin1.size() && latin1[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (latin1[i] == '\\' && i + 3 < latin1.size() && latin1[i + 1] == 'x' &&
               HexDigit(latin1[i + 2]) >= 0 && HexDigit(latin1[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(latin1[i + 2]) * 16 + HexDigit(latin1[i + 3]));
      i += 3;
    } else {
      // A hand-written backslash that starts no escape stays as it is.
      out += latin1[i];
    }
  }
  // Stored texts end at their first zero byte.
  return out.substr(0, out.find('\0'));
}

void CIniKeyStore::ReadFile() {
  sections_.clear();
  std::ifstream in(file_, std::ios::binary);
  if (!in) return;
  Values* current = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      const std::string name = trimmed.substr(1, trimmed.size() - 2);
      auto it = std::find_if(sections_.begin(), sections_.end(), [&](auto& s) { return s.first == name; });
      if (it == sections_.end()) {
        sections_.emplace_back(name, Values{});
        current = &sections_.back().second;
      } else {
        current = &it->second;
      }
      continue;
    }
    const auto equals = line.find('=');
    if (!current || equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    if (!IsDecimalInteger(key) || key[0] == '-' || key[0] == '+' || key.size() > 9) continue;
    (*current)[DecimalToInt(key)] = DecodeValue(line.substr(equals + 1));
  }
}

bool CIniKeyStore::WriteFile() const {
  std::ostringstream text;
  for (const auto& [name, values] : sections_) {
    text << '[' << name << "]\n";
    for (const auto& [number, value] : values) text << number << '=' << EncodeValue(value) << '\n';
  }
  const std::string bytes = text.str();

  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  const std::filesystem::path temp = file_.string() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool complete = written == bytes.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!complete || std::rename(temp.c_str(), file_.c_str()) != 0) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

std::optional<KeyStore::Values> CIniKeyStore::ReadSection(const std::string& section) {
  for (const auto& [name, values] : sections_) {
    if (name == section) return values;
  }
  return std::nullopt;
}

bool CIniKeyStore::WriteSection(const std::string& section, const Values& values) {
  auto it = std::find_if(sections_.begin(), sections_.end(), [&](auto& s) { return s.first == section; });
  if (it == sections_.end()) {
    sections_.emplace_back(section, values);
  } else {
    it->second = values;
  }
  return WriteFile();
}
