#include "settings/clog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"

namespace {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards; tests may run in parallel.
class TempDirectory {
 public:
  TempDirectory() {
    std::string pattern = (fs::temp_directory_path() / "ondrel-log-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string FixedStamp() {
  return "24.12.2024 18:05:09";
}

class CLogTest : public testing::Test {
 protected:
  void LogOn() { params.SetInt("log", 1); }
  fs::path LogFile() const { return dir.Path() / "ondrel-log.txt"; }

  CMemoryKeyStore store;
  CParams params{store};
  TempDirectory dir;
  CLog log{params, dir.Path(), FixedStamp};
};

TEST_F(CLogTest, WritesNothingWhileTheLogIsOffAndFollowsTheSettingAtEachWrite) {
  log.Write("Connection attempt", "10.1.2.3");
  EXPECT_FALSE(fs::exists(LogFile()));

  LogOn();
  log.Write("Connection attempt", "10.1.2.4");
  params.SetInt("log", 0);
  log.Write("Connection closed", "10.1.2.5");
  EXPECT_EQ(ReadAll(LogFile()), "24.12.2024 18:05:09 Connection attempt: 10.1.2.4\r\n");
}

TEST_F(CLogTest, AppendsOneLinePerEventAfterWhatIsThere) {
  { std::ofstream(LogFile(), std::ios::binary) << "earlier run\r\n"; }
  LogOn();
  log.Write("Remote password rejected", "10.1.2.3");
  log.Write("Ondrel started", "");
  EXPECT_EQ(ReadAll(LogFile()),
            "earlier run\r\n"
            "24.12.2024 18:05:09 Remote password rejected: 10.1.2.3\r\n"
            "24.12.2024 18:05:09 Ondrel started: \r\n");
}

TEST_F(CLogTest, ALineThatCannotBeWrittenIsLostQuietly) {
  LogOn();
  CLog missingDirectory(params, dir.Path() / "no" / "such" / "directory", FixedStamp);
  missingDirectory.Write("Connection attempt", "10.1.2.3");
  EXPECT_FALSE(fs::exists(dir.Path() / "no"));

  fs::create_directory(LogFile());
  log.Write("Connection attempt", "10.1.2.3");
  EXPECT_TRUE(fs::is_directory(LogFile()));
  EXPECT_TRUE(fs::is_empty(LogFile()));
}

TEST_F(CLogTest, WithoutADirectoryTheFileLandsInTheWorkingDirectory) {
  LogOn();
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  CLog inWorkingDirectory(params, {}, FixedStamp);
  inWorkingDirectory.Write("Local answered", "10.0.0.7");
  fs::current_path(before);
  EXPECT_EQ(ReadAll(LogFile()), "24.12.2024 18:05:09 Local answered: 10.0.0.7\r\n");
}

TEST_F(CLogTest, LinesFromTwoThreadsNeverMix) {
  LogOn();
  const std::string detailA(300, 'a');
  const std::string detailB(300, 'b');
  constexpr int kLinesEach = 500;
  auto writer = [&](const std::string& detail) {
    for (int i = 0; i < kLinesEach; ++i) log.Write("Connection attempt", detail);
  };
  std::thread a(writer, detailA);
  std::thread b(writer, detailB);
  a.join();
  b.join();

  const std::string lineA = FixedStamp() + " Connection attempt: " + detailA;
  const std::string lineB = FixedStamp() + " Connection attempt: " + detailB;
  std::istringstream lines(ReadAll(LogFile()));
  int countA = 0;
  int countB = 0;
  for (std::string line; std::getline(lines, line, '\n');) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    if (line == lineA) {
      ++countA;
    } else {
      ASSERT_EQ(line, lineB);
      ++countB;
    }
  }
  EXPECT_EQ(countA, kLinesEach);
  EXPECT_EQ(countB, kLinesEach);
}

TEST(CLogTimestamp, LocaleTimestampIsShortDateAndLongTime) {
  // Tests run in the "C" locale, whose short date is MM/DD/YY and long time HH:MM:SS.
  EXPECT_THAT(CLog::LocaleTimestamp(),
              testing::MatchesRegex("[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}"));
}

}  // namespace
