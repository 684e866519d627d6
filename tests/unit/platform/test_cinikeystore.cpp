#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cinikeystore.h"
#include "settings/cparams.h"

namespace {

namespace fs = std::filesystem;

class CIniKeyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("ondrel-ini-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = dir / "ondrel.conf";
  }
  void TearDown() override { fs::remove_all(dir); }

  void WriteText(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
  std::string ReadText() {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir;
  fs::path file;
};

TEST_F(CIniKeyStoreTest, MissingFileHasNoSections) {
  CIniKeyStore store(file);
  EXPECT_FALSE(store.ReadSection("params2"));
}

TEST_F(CIniKeyStoreTest, HandWrittenFileLoadsAndSavesBackUnchanged) {
  const std::string text =
      "[params2]\n"
      "0=AlwaysAnswer = 1\n"
      "1=AutoStartFile = /opt/my tools/run, then \"go\" = yes\n"
      "2=netPort = 4444\n"
      "[contacts]\n"
      "0=10.0.0.7 Office PC\n"
      "1=\n";
  WriteText(text);
  {
    CIniKeyStore store(file);
    CParams params(store);
    EXPECT_EQ(params.GetInt("AlwaysAnswer"), 1);
    std::string value;
    ASSERT_TRUE(params.GetString("AutoStartFile", value));
    EXPECT_EQ(value, "/opt/my tools/run, then \"go\" = yes");
    std::string address, name;
    ASSERT_TRUE(params.NextClient(address, name));
    EXPECT_EQ(name, "Office PC");
  }  // the store saves on destruction
  EXPECT_EQ(ReadText(), text);
}

TEST_F(CIniKeyStoreTest, WindowsLineEndsCommentsAndStrayLinesAreTolerated) {
  WriteText("; comment\r\n[params2]\r\n 0 = netPort = 5000\r\nnot a key=1\r\n-1=x\r\ngarbage\r\n");
  CIniKeyStore store(file);
  const auto values = store.ReadSection("params2");
  ASSERT_TRUE(values);
  ASSERT_EQ(values->size(), 1u);
  // The blank after "=" stays part of the value; the settings scan skips it.
  EXPECT_EQ(values->at(0), " netPort = 5000");
}

TEST_F(CIniKeyStoreTest, EveryByteValueRoundTrips) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const KeyStore::Values values{{0, all}, {1, "  leading and trailing  "}, {2, "back\\slash \\x41"}};
  {
    CIniKeyStore store(file);
    ASSERT_TRUE(store.WriteSection("params2", values));
  }
  CIniKeyStore reread(file);
  EXPECT_EQ(reread.ReadSection("params2"), values);
}

TEST_F(CIniKeyStoreTest, WritingOneSectionKeepsTheOtherAndDropsLeftovers) {
  CIniKeyStore store(file);
  ASSERT_TRUE(store.WriteSection("params2", {{0, "a = 1"}, {1, "b = 2"}, {2, "c = 3"}}));
  ASSERT_TRUE(store.WriteSection("contacts", {{0, "10.0.0.1 x"}}));
  ASSERT_TRUE(store.WriteSection("params2", {{0, "a = 9"}}));
  CIniKeyStore reread(file);
  EXPECT_EQ(reread.ReadSection("params2"), (KeyStore::Values{{0, "a = 9"}}));
  EXPECT_EQ(reread.ReadSection("contacts"), (KeyStore::Values{{0, "10.0.0.1 x"}}));
  EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

TEST_F(CIniKeyStoreTest, UnwritablePlaceReportsFailureAndKeepsTheOldFile) {
  WriteText("[params2]\n0=a = 1\n");
  CIniKeyStore store(file);
  // A directory where the temporary file would go makes the write fail.
  fs::create_directories(file.string() + ".tmp");
  EXPECT_FALSE(store.WriteSection("params2", {{0, "a = 2"}}));
  EXPECT_EQ(ReadText(), "[params2]\n0=a = 1\n");
}

TEST_F(CIniKeyStoreTest, NonLatin1CharactersBecomeQuestionMarks) {
  WriteText("[params2]\n0=userName = Zo\xC3\xAB \xE2\x82\xAC\n");
  CIniKeyStore store(file);
  EXPECT_EQ(store.ReadSection("params2")->at(0), "userName = Zo\xEB ?");
}

}  // namespace
