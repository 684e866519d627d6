#include <gtest/gtest.h>

#include "app/ccommandline.h"

namespace {

TEST(CCommandLineTest, StartOptions) {
  std::string error;
  const auto line = CCommandLine::Parse({"--config-dir", "/tmp/x", "--bind", "127.1.0.1"}, error);
  ASSERT_TRUE(line) << error;
  EXPECT_EQ(line->configDir, "/tmp/x");
  EXPECT_EQ(line->bindText, "127.1.0.1");
  EXPECT_EQ(line->bindAddress, NetAddress::Parse("127.1.0.1"));
  EXPECT_FALSE(line->sendCommand);
  const auto v6 = CCommandLine::Parse({"--bind", "2001:db8::5"}, error);
  ASSERT_TRUE(v6) << error;
  EXPECT_EQ(v6->bindAddress, NetAddress::Parse("2001:db8::5"));
}

TEST(CCommandLineTest, RemoteCommandWithText) {
  std::string error;
  const auto line = CCommandLine::Parse({"--command", "2", "10.0.0.1", "--config-dir", "/tmp/y"}, error);
  ASSERT_TRUE(line) << error;
  EXPECT_TRUE(line->sendCommand);
  EXPECT_EQ(line->commandNumber, 2);
  EXPECT_EQ(line->commandText, "10.0.0.1");
}

TEST(CCommandLineTest, HelpAndVersion) {
  std::string error;
  const auto help = CCommandLine::Parse({"--help"}, error);
  ASSERT_TRUE(help) << error;
  EXPECT_TRUE(help->showHelp);
  EXPECT_TRUE(CCommandLine::Parse({"-h"}, error)->showHelp);
  const auto version = CCommandLine::Parse({"--version", "--config-dir", "/tmp/x"}, error);
  ASSERT_TRUE(version) << error;
  EXPECT_TRUE(version->showVersion);
  EXPECT_FALSE(version->showHelp);
}

TEST(CCommandLineTest, DefaultConfigDirFollowsXdg) {
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(CCommandLine::DefaultConfigDir(), "/tmp/xdg/ondrel");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(CCommandLine::DefaultConfigDir(), "/home/u/.config/ondrel");
}

TEST(CCommandLineTest, BadArgumentsAreRefusedWithAMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bind"},       {"--bind", "host.example"},   {"--config-dir"},
      {"--command"},    {"--command", "x"},           {"--frobnicate"},
      {"stray"},        {"--command", "2", "a", "b"}, {"--command", "4", "--bind", "127.0.0.1"},
      {"--bind", "::"},
  };
  for (const auto& args : cases) {
    std::string error;
    EXPECT_FALSE(CCommandLine::Parse(args, error)) << args.front();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
