#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fakes/ctempdirectory.h"
#include "settings/ccontactfile.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

struct WalkResult {
  Entries entries;
  std::size_t skipped = 0;
};

WalkResult Walk(std::string_view bytes) {
  WalkResult result;
  result.skipped = CContactFile::Walk(bytes, [&](const std::string& address, const std::string& name) {
    result.entries.emplace_back(address, name);
  });
  return result;
}

TEST(CContactFileTest, WalkTakesRecordsWhereverTheLineBreaksFall) {
  const struct {
    const char* label;
    std::string bytes;
    Entries entries;
  } cases[] = {
      {"exported file",
       "10.0.0.3,Lab;\r\n10.0.0.4, Desk PC;\r\n",
       {{"10.0.0.3", "Lab"}, {"10.0.0.4", " Desk PC"}}},
      {"two records on one line", "1.1.1.1,aaa;2.2.2.2,bbb;", {{"1.1.1.1", "aaa"}, {"2.2.2.2", "bbb"}}},
      {"name broken by a line end", "1.1.1.1,al\r\npha;", {{"1.1.1.1", "alpha"}}},
      {"control bytes and zeros dropped",
       std::string("1.1.\0\t1.1,a\x01"
                   "bc;",
                   15),
       {{"1.1.1.1", "abc"}}},
      {"bytes after the last record", "1.1.1.1,abc;\r\n2.2.2.2,def", {{"1.1.1.1", "abc"}}},
      {"empty file", "", {}},
      {"high bytes kept", "1.1.1.1,M\xfcller;", {{"1.1.1.1", "M\xfcller"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const WalkResult result = Walk(c.bytes);
    EXPECT_EQ(result.entries, c.entries);
    EXPECT_EQ(result.skipped, 0u);
  }
}

TEST(CContactFileTest, WalkSkipsRecordsThatDoNotFitOrHaveNoAddressOfTheirOwn) {
  const std::string name199(199, 'n');
  const struct {
    const char* label;
    std::string bytes;
    Entries entries;
    std::size_t skipped;
  } cases[] = {
      // An earlier record's address is never reused for a record without one.
      {"no comma", "1.1.1.1,abc;def;", {{"1.1.1.1", "abc"}}, 1},
      {"separator only", ";;", {}, 2},
      {"two commas", "1.1.1.1,2.2.2.2,abc;3.3.3.3,ok;", {{"3.3.3.3", "ok"}}, 1},
      {"name one byte too long", "1.1.1.1," + name199 + "n;", {}, 1},
      {"longest name, blanks around it",
       "1.1.1.1,  " + name199 + "  ;",
       {{"1.1.1.1", "  " + name199 + "  "}},
       0},
      {"address one byte too long", std::string(50, '1') + ",abc;", {}, 1},
      {"longest address", std::string(49, '1') + ",abc;", {{std::string(49, '1'), "abc"}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const WalkResult result = Walk(c.bytes);
    EXPECT_EQ(result.entries, c.entries);
    EXPECT_EQ(result.skipped, c.skipped);
  }
}

class CContactFileDiskTest : public ::testing::Test {
 protected:
  static void Put(const std::filesystem::path& file, const std::string& bytes) {
    CTempDirectory::Put(file, bytes);
  }
  static std::string Contents(const std::filesystem::path& file) { return CTempDirectory::Contents(file); }

  CTempDirectory temp;
  const std::filesystem::path& dir = temp.Path();
};

TEST_F(CContactFileDiskTest, WriteReplacesTheFileAndKeepsRecordsWhole) {
  const auto path = dir / "clients.txt";
  Put(path, "old contents that are longer than the new ones");
  ASSERT_TRUE(CContactFile::Write(path.string(), {{"10.0.0.10", "A"}, {"10.0.0.2", "Desk, PC; 2"}}));
  // A separator inside a name would split the record when read back.
  EXPECT_EQ(Contents(path), "10.0.0.10,A;\r\n10.0.0.2,Desk PC 2;\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

TEST_F(CContactFileDiskTest, FailedWriteReportsFalseAndLeavesNothingBehind) {
  const auto target = dir / "taken";
  std::filesystem::create_directory(target);
  Put(target / "keep", "x");
  EXPECT_FALSE(CContactFile::Write(target.string(), {{"10.0.0.1", "abc"}}));
  EXPECT_FALSE(CContactFile::Write((dir / "missing" / "clients.txt").string(), {{"10.0.0.1", "abc"}}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  EXPECT_EQ(Contents(target / "keep"), "x");
}

TEST_F(CContactFileDiskTest, ReadRefusesWhatIsNotAReadableClientFile) {
  const auto path = dir / "clients.txt";
  Put(path, std::string("1.1.1.1,a\0b;", 12));
  EXPECT_EQ(CContactFile::Read(path.string()), std::string("1.1.1.1,a\0b;", 12));
  EXPECT_EQ(CContactFile::Read((dir / "missing.txt").string()), std::nullopt);
  EXPECT_EQ(CContactFile::Read(dir.string()), std::nullopt);  // a directory

  const auto huge = dir / "huge.txt";
  Put(huge, std::string(CContactFile::kMaxFileBytes, 'x'));
  EXPECT_EQ(CContactFile::Read(huge.string())->size(), CContactFile::kMaxFileBytes);
  std::ofstream(huge, std::ios::binary | std::ios::app) << 'x';
  EXPECT_EQ(CContactFile::Read(huge.string()), std::nullopt);
}

TEST_F(CContactFileDiskTest, AnExportKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  const auto path = dir / "clients.txt";
  std::vector<CContactFile::Entry> small = {{"10.0.0.1", "Desk"}};
  std::vector<CContactFile::Entry> large;
  for (int i = 0; i < 300; ++i) large.push_back({"10.0.1." + std::to_string(i % 250), "Client " + std::to_string(i)});
  std::string smallText, largeText;
  for (const auto& e : small) smallText += CContactFile::Format(e);
  for (const auto& e : large) largeText += CContactFile::Format(e);
  ASSERT_TRUE(CContactFile::Write(path.string(), small));

  std::mt19937 random(7);
  std::uniform_int_distribution<int> delayUs(0, 3000);
  int kills = 0;
  for (int round = 0; round < 200; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Exports one list after the other until it is killed.
      for (int i = 0;; ++i) CContactFile::Write(path.string(), i % 2 == 0 ? large : small);
    }
    ::usleep(static_cast<useconds_t>(delayUs(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    kills += WIFSIGNALED(status) ? 1 : 0;
    const std::string text = Contents(path);
    ASSERT_TRUE(text == smallText || text == largeText) << "round " << round << ": " << text.size() << " bytes";
  }
  EXPECT_EQ(kills, 200);
}

}  // namespace
