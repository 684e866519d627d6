#include <gtest/gtest.h>

#include <string>

#include "fakes/cmemorykeystore.h"
#include "core/keycipher.h"
#include "settings/cparams.h"

namespace {

KeyStore::Values Lines(std::initializer_list<std::pair<const int, std::string>> lines) {
  return lines;
}

class CParamsTest : public ::testing::Test {
 protected:
  CMemoryKeyStore store;
};

TEST_F(CParamsTest, FirstRunReadsNothingAndFirstSaveCreatesTheSection) {
  {
    CParams params(store);
    EXPECT_EQ(params.GetInt("netPort"), 0);
    std::string text = "unchanged";
    EXPECT_FALSE(params.GetString("userName", text));
    EXPECT_EQ(text, "");
    std::string address, name;
    EXPECT_FALSE(params.NextClient(address, name));
    params.SetInt("netPort", 4444);
  }
  // Names read but never set come back as "name = ".
  EXPECT_EQ(store.sections["params2"], Lines({{0, "netPort = 4444"}, {1, "userName = "}}));
  CParams again(store);
  EXPECT_EQ(again.GetInt("netPort"), 4444);
  std::string text;
  EXPECT_FALSE(again.GetString("userName", text));
}

TEST_F(CParamsTest, LoadFollowsTheNumberingAndSkipsLinesThatDoNotScan) {
  store.sections["params2"] = Lines({
      {0, "SndType = 9050"},
      {1, ""},                              // empty: skipped, reading goes on
      {2, "userName = "},                   // no value: skipped
      {3, "ringerFile = /home/a b/r.wav"},  // inner spaces kept
      {4, "FilterBpGain = -4"},
      {5, "SndType = 9058"},  // later line of the same name wins
      {6, "   "},
      {7, "noequals"},
      {9, "netPort = 5000"},  // after the gap at 8: never read
  });
  CParams params(store);
  EXPECT_EQ(params.GetInt("SndType"), 9058);
  EXPECT_EQ(params.GetInt("FilterBpGain"), -4);
  std::string file;
  ASSERT_TRUE(params.GetString("ringerFile", file));
  EXPECT_EQ(file, "/home/a b/r.wav");
  EXPECT_EQ(params.GetInt("netPort"), 0);
}

TEST_F(CParamsTest, SaveNumbersInNameOrderAndLeavesNoOlderLineBehind) {
  store.sections["params2"] = Lines({{0, "b = 1"}, {1, "a = 2"}, {2, "c = 3"}, {3, "c = 4"}});
  {
    CParams params(store);
    params.SetString("_log", "12345");  // names with "_" are never stored
    params.SetString("Log", "x");   // names are case-sensitive, upper case sorts first
  }
  EXPECT_EQ(store.sections["params2"], Lines({{0, "Log = x"}, {1, "a = 2"}, {2, "b = 1"}, {3, "c = 4"}}));
}

TEST_F(CParamsTest, ValuesSurviveSaveAndLoad) {
  const std::string path = "/tmp/with space/and,comma=x \"q\"";
  std::string key = "secret";
  keycipher::EncodeKey(key);
  {
    CParams params(store);
    params.SetString("AutoStartFile", path);
    params.SetString("Key", key);
    params.SetInt("FilterBpGain", -15);
    params.SetString("blank", "   ");
  }
  CParams params(store);
  std::string text;
  ASSERT_TRUE(params.GetString("AutoStartFile", text));
  EXPECT_EQ(text, path);
  ASSERT_TRUE(params.GetString("Key", text));
  EXPECT_EQ(text, key);
  EXPECT_EQ(params.GetInt("FilterBpGain"), -15);
  EXPECT_FALSE(params.GetString("blank", text));  // blanks only do not survive
}

TEST_F(CParamsTest, NumbersConvertLikeTheCLibrary) {
  CParams params(store);
  const std::pair<const char*, int32_t> cases[] = {
      {"  42", 42},
      {"-7x", -7},
      {"+9", 9},
      {"abc", 0},
      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, expected] : cases) {
    params.SetString("n", text);
    EXPECT_EQ(params.GetInt("n"), expected) << text;
  }
}

TEST_F(CParamsTest, ClientLinesLoadWithTheirNames) {
  store.sections["contacts"] =
      Lines({{0, "10.0.0.7 Office PC"}, {1, ""}, {2, "10.0.0.2 Lab"}, {3, "lonely"}});
  CParams params(store);
  std::string address, name;
  ASSERT_TRUE(params.NextClient(address, name));
  EXPECT_EQ(address, "10.0.0.2");
  EXPECT_EQ(name, "Lab");
  ASSERT_TRUE(params.NextClient(address, name));
  EXPECT_EQ(address, "10.0.0.7");
  EXPECT_EQ(name, "Office PC");
  EXPECT_FALSE(params.NextClient(address, name));
  params.RewindClients();
  EXPECT_TRUE(params.NextClient(address, name));
}

TEST_F(CParamsTest, SaveClientsWritesExactly200ValuesAndDropsTheRest) {
  CParams params(store);
  params.SetClient("", "no address");
  params.SetClient("1.1.1.1", "");
  for (int i = 0; i < 201; ++i)
    params.SetClient("10.0." + std::to_string(100 + i / 100) + "." + std::to_string(i % 100),
                     "n" + std::to_string(i));
  params.SaveClients();
  const auto& values = store.sections["contacts"];
  ASSERT_EQ(values.size(), 200u);
  EXPECT_EQ(values.at(0), "10.0.100.0 n0");
  EXPECT_EQ(values.at(10), "10.0.100.18 n18");    // text order, not number order
  EXPECT_EQ(values.at(199), "10.0.101.99 n199");  // 10.0.102.0, last in address order, is dropped
  params.ClearClients();
  params.SetClient("10.0.0.7", "Office PC");
  params.SaveClients();
  EXPECT_EQ(store.sections["contacts"].at(0), "10.0.0.7 Office PC");
  EXPECT_EQ(store.sections["contacts"].at(1), "");
  EXPECT_EQ(store.sections["contacts"].size(), 200u);
}

TEST_F(CParamsTest, OverlongTextsAreCutNotOverrun) {
  store.sections["params2"] = Lines({{0, std::string(600, 'n') + " = v"}, {1, "ok = 1"}});
  CParams params(store);
  EXPECT_EQ(params.GetInt("ok"), 1);
  params.SetString("long", std::string(2000, 'x'));
  params.Save();
  for (const auto& [n, line] : store.sections["params2"]) EXPECT_LE(line.size(), 1023u);
}

TEST(EncodeKeyTest, KnownBytesAndExactInverse) {
  std::string abc = "abc";
  keycipher::EncodeKey(abc);
  EXPECT_EQ(abc, "\xE2\xE2\xE2");
  keycipher::DecodeKey(abc);
  EXPECT_EQ(abc, "abc");

  std::string text;
  for (int i = 0; i < 250; ++i) text += static_cast<char>('A' + i % 26);
  std::string coded = text;
  keycipher::EncodeKey(coded);
  EXPECT_EQ(coded.substr(200), text.substr(200));  // only the first 200 bytes change
  EXPECT_NE(coded.substr(0, 200), text.substr(0, 200));
  keycipher::DecodeKey(coded);
  EXPECT_EQ(coded, text);
}

}  // namespace
