#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh directory per test, named after the test and removed with it, so
// file tests neither see each other's files nor leave any behind.
class CTempDirectory {
 public:
  // A suffix tells two directories of one test apart.
  explicit CTempDirectory(const std::string& suffix = "")
      : path_(std::filesystem::path(::testing::TempDir()) /
              ("ondrel-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + suffix)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~CTempDirectory() { std::filesystem::remove_all(path_); }
  CTempDirectory(const CTempDirectory&) = delete;
  CTempDirectory& operator=(const CTempDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

  static void Put(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  static std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};
